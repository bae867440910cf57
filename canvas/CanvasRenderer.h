#pragma once
// Builds the map's back buffer: background, the imagery step, the grid under or over the shapes
// and the shapes themselves, turned by the map rotation. Shapes are drawn in z-order, filtered by
// layer visibility and culled against the world box the screen shows (under rotation the box
// around the turned screen, so nothing on screen is lost when the rotation centre is off-centre).
// Dense drawings are thinned: a point within 2 pixels of the last point drawn and a shape
// smaller than half a pixel (other than a line, rectangle or text) are skipped, and texts take
// one 60-pixel cell each, the first in z-order taking it. Every pen is drawn in its contrast
// colour against the background; the shapes keep their own colours. Line segments, the bulk of
// every track, are stroked in short pixel runs that leave out segments falling on the pixels
// already drawn.
#include "canvas/CanvasCullIndex.h"
#include "canvas/CanvasGrid.h"
#include "canvas/GdiPainter.h"

#include <QImage>
#include <QLine>
#include <QTransform>
#include <cstddef>
#include <functional>
#include <vector>

class QPainter;

namespace vsx {

class CanvasModel;
class CanvasViewMapping;
class TVShape;
struct ShapeView;

class CanvasRenderer {
public:
    // Shapes looked at per rebuild at most, counted from the top of the z-order down: on a
    // larger drawing the oldest shapes in view are left out, never the vessel or the newest track.
    static constexpr std::size_t MaxShapesPerRebuild = 2'000'000;
    void SetShapeBudget(std::size_t shapes) { budget_ = shapes; }

    // Draws on the back buffer under the map rotation before the grid and the shapes (imagery).
    using BackgroundStep = std::function<void(QPainter&, const CanvasModel&, const CanvasViewMapping&)>;
    void SetBackgroundStep(BackgroundStep step) { backgroundStep_ = std::move(step); }

    // Sizes `buffer` to the model's view, redraws it and clears the model's Dirty flag.
    void Rebuild(QImage& buffer, CanvasModel& model, const CanvasGrid& grid);

    // Shapes drawn by the last rebuild (thinned ones not counted).
    std::size_t LastDrawnCount() const { return drawn_; }
    // Shapes at the bottom of the z-order that the last rebuild left unseen because of the
    // budget (0 when it looked at all of them), for the caller to report.
    std::size_t LastLeftOutCount() const { return leftOut_; }

private:
    struct LineRun {
        ColorValue Color = 0;
        int Width = 0;
        std::vector<GdiPoint> Points;
        GdiPoint Last;         // end of the last segment added
        bool Pending = false;  // Last is not in Points yet (a short step of a wide pen)
    };

    void drawShapes(GdiPainter& painter, CanvasModel& model, const CanvasViewMapping& mapping);
    void drawTexts(GdiPainter& painter, const CanvasModel& model, const ShapeView& view, const QTransform& deviceToScreen,
                   bool rotated, double f);
    void addSegment(GdiPainter& painter, ColorValue color, int width, GdiPoint a, GdiPoint b);
    void flushRun(GdiPainter& painter);
    void drawGrid(GdiPainter& painter, const CanvasModel& model, const CanvasGrid& grid, const CanvasViewMapping& mapping);

    CanvasCullIndex index_;
    BackgroundStep backgroundStep_;
    std::vector<char> layerVisible_;
    std::vector<const TVShape*> texts_;
    std::vector<char> cells_;
    LineRun run_;
    QPainter* qp_ = nullptr;  // during a rebuild
    std::vector<QLine> lines_;
    std::size_t budget_ = MaxShapesPerRebuild;
    std::size_t drawn_ = 0;
    std::size_t leftOut_ = 0;
};

} // namespace vsx
