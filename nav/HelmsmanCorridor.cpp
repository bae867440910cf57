#include "nav/HelmsmanCorridor.h"

#include "nav/RightButtonGesture.h"

#include <algorithm>
#include <cmath>

namespace vsx {

namespace {

constexpr double kTiny = 1e-6;

// Angle between two bearings, 0..180 degrees.
double bearingGap(double a, double b)
{
    double d = std::fmod(std::fabs(a - b), 360.0);
    return d > 180 ? 360 - d : d;
}

// Left normal of a segment, (0, 0) for a segment shorter than kTiny.
WorldPoint leftNormal(const WorldPoint& a, const WorldPoint& b)
{
    const double dx = b.X - a.X, dy = b.Y - a.Y;
    const double len = std::hypot(dx, dy);
    if (len < kTiny) return {};
    return {-dy / len, dx / len};
}

} // namespace

WorldPoints OrientRunline(WorldPoints points, std::optional<WorldPoint> vessel, double gridHeadingDeg)
{
    if (points.size() < 2 || !vessel || (vessel->X == 0 && vessel->Y == 0)) return points;
    const WorldPoint& first = points.front();
    const WorldPoint& last = points.back();
    const double toFirst = GridBearingDegrees(first.X - vessel->X, first.Y - vessel->Y);
    const double toLast = GridBearingDegrees(last.X - vessel->X, last.Y - vessel->Y);
    if (bearingGap(gridHeadingDeg, toLast) > bearingGap(gridHeadingDeg, toFirst))
        std::reverse(points.begin(), points.end());
    return points;
}

Corridor BuildCorridor(const WorldPoints& p, double w)
{
    Corridor c;
    const size_t n = p.size();
    if (n < 2) return c;
    for (size_t k = 0; k < n; ++k) {
        WorldPoint normal;
        if (k == 0) {
            normal = leftNormal(p[0], p[1]);
        } else if (k == n - 1) {
            normal = leftNormal(p[n - 2], p[n - 1]);
        } else {
            const WorldPoint in = leftNormal(p[k - 1], p[k]), out = leftNormal(p[k], p[k + 1]);
            normal = {in.X + out.X, in.Y + out.Y};
            const double len = std::hypot(normal.X, normal.Y);
            if (len > kTiny) normal = {normal.X / len, normal.Y / len};
        }
        c.left.push_back({p[k].X + w * normal.X, p[k].Y + w * normal.Y});
        c.right.push_back({p[k].X - w * normal.X, p[k].Y - w * normal.Y});
    }

    // One walk along the line with the next chainage to mark: a chainage on a shared vertex is
    // marked on the segment that reaches it and is then behind the walk.
    double start = 0;
    double next = 0;
    for (size_t k = 0; k + 1 < n; ++k) {
        const double dx = p[k + 1].X - p[k].X, dy = p[k + 1].Y - p[k].Y;
        const double len = std::hypot(dx, dy);
        if (len < kTiny) continue;
        const double ux = dx / len, uy = dy / len;
        const double end = start + len;
        while (next <= end + kTiny) {
            const double t = std::clamp(next - start, 0.0, len);
            const WorldPoint at{p[k].X + t * ux, p[k].Y + t * uy};
            const WorldPoint across{-uy, ux};
            CorridorTick tick;
            tick.chainage = next;
            tick.from = {at.X + w * across.X, at.Y + w * across.Y};
            tick.to = {at.X - w * across.X, at.Y - w * across.Y};
            tick.labelAt = {at.X + 1.2 * w * across.X, at.Y + 1.2 * w * across.Y};
            tick.label = "KP" + std::to_string(static_cast<long long>(next + 0.5));
            c.ticks.push_back(std::move(tick));
            next += kChainageStep;
        }
        start = end;
    }
    return c;
}

double CorridorHalfWidth(std::optional<double> editRadius, double storedRadius)
{
    if (editRadius && *editRadius > 0) return *editRadius;
    return storedRadius > 0 ? storedRadius : 10.0;
}

} // namespace vsx
