#pragma once
// The vessel symbol drawn on the map for the own vessel and for each further vessel: an arrow
// from the tracked point towards the bow with two side points, and circles around the point.
#include "canvas/CanvasModel.h"
#include "nav/TrackRecorder.h"

namespace vsx {

struct SymbolSizes {
    int circles = 2;
    double interval = 10.0;
    double radius = 10.0;
    double bowArrow = 100.0;
    double sideArrow = 10.0;
};

// Lines P-B, P-R, P-L, B-R, B-L (B = P + bow arrow along the heading, R and L the side points)
// and circles of radius radius + k * interval for k = 0 .. circles - 1, on `layer`.
void DrawVesselSymbol(CanvasModel& canvas, int layer, TrackPoint p, double gridHeadingDeg, const SymbolSizes& sizes);

} // namespace vsx
