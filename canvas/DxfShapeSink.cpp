#include "canvas/DxfShapeSink.h"

#include <cmath>
#include <numbers>

namespace vsx::dxf {

std::unique_ptr<TVPolyline> polylineShape(bool closed)
{
    auto s = std::make_unique<TVPolyline>(closed ? shapecode::Polygon : shapecode::Polyline, 0);
    s->Closed = closed ? 1 : 0;
    return s;
}

std::unique_ptr<TVShape> mappedCircle(double cx, double cy, double cz, double r, const Affine3& m, bool keepHeights,
                                      Heights& z)
{
    double scale = 1;
    if (m.keepsLevelCircles(scale)) {
        const Point3 c = m.map(cx, cy, cz);
        z = {c.z};
        return std::make_unique<TVCircle>(c.x, c.y, r * scale, 0);
    }
    PolylineMaker s(true, keepHeights);
    for (int k = 0; k < 72; ++k) {
        const double t = 2 * std::numbers::pi * k / 72;
        s.add(m.map(cx + r * std::cos(t), cy + r * std::sin(t), cz));
    }
    z = std::move(s.z);
    return std::move(s.shape);
}

std::string ImportTally::omissions() const
{
    std::string out;
    for (const auto& [what, count] : leftOut_) out += (out.empty() ? "" : ", ") + std::to_string(count) + " " + what;
    return out.empty() ? out : "DXF imported without: " + out + ".";
}

}  // namespace vsx::dxf
