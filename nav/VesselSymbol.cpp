#include "nav/VesselSymbol.h"

#include <cmath>
#include <numbers>

namespace vsx {

void DrawVesselSymbol(CanvasModel& canvas, int layer, TrackPoint p, double gridHeadingDeg, const SymbolSizes& s)
{
    const double h = gridHeadingDeg * std::numbers::pi / 180.0;
    const double half = std::numbers::pi / 2;
    const TrackPoint b{p.x + s.bowArrow * std::sin(h), p.y + s.bowArrow * std::cos(h)};
    const TrackPoint r{p.x + s.sideArrow * std::sin(h + half), p.y + s.sideArrow * std::cos(h + half)};
    const TrackPoint l{p.x + s.sideArrow * std::sin(h - half), p.y + s.sideArrow * std::cos(h - half)};
    canvas.AddLine(p.x, p.y, b.x, b.y, layer);
    canvas.AddLine(p.x, p.y, r.x, r.y, layer);
    canvas.AddLine(p.x, p.y, l.x, l.y, layer);
    canvas.AddLine(b.x, b.y, r.x, r.y, layer);
    canvas.AddLine(b.x, b.y, l.x, l.y, layer);
    for (int k = 0; k < s.circles; ++k) canvas.AddCircle(p.x, p.y, s.radius + k * s.interval, layer);
}

} // namespace vsx
