#pragma once
// Draws the shapes of a CanvasModel onto a painter, as the map's back buffer needs them: in
// z-order, only visible layers, culled by the visible region, thinned where shapes would not
// show (points within 2 pixels of the last one drawn, shapes smaller than half a pixel, one text
// per 60 x 60 pixel cell), each pen in its contrast colour against the background.
//
// A rebuild draws at most `Cap` shapes. When more qualify, the oldest (lowest in the z-order)
// are left out, never the newest: the vessel symbol and the latest track stay on top and
// visible. The result says how many were left out so the caller can report it.
//
// The caller sets any rotation transform on the painter first; with the model rotated, the
// region culled to is the box of the whole rotated screen, not the unrotated window.
#include "canvas/CanvasModel.h"
#include "canvas/GdiPainter.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vsx {

struct ShapeRenderResult {
    std::size_t Drawn = 0;
    std::size_t LeftOut = 0;  // qualifying shapes not drawn because of the cap
};

class ShapeRenderer {
public:
    static constexpr std::size_t DefaultCap = 500000;
    std::size_t Cap = DefaultCap;

    ShapeRenderResult DrawShapes(const CanvasModel& model, GdiPainter& painter);

    // The world box that the screen shows: the world window, or with a rotation the bounding
    // box of the four screen corners turned back into the world.
    static void VisibleWorldBox(const CanvasModel& model, double& xmin, double& ymin, double& xmax, double& ymax);

private:
    std::vector<std::uint32_t> candidates_;  // z positions of the shapes of the first pass
    std::vector<bool> cells_;
    std::vector<bool> visibleLayers_;
};

} // namespace vsx
