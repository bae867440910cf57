#include "tools/RunlineGenerator.h"

#include "canvas/CanvasModel.h"

#include <cmath>
#include <limits>

namespace vsx {

namespace {

// Counts from a quotient: a few ulps below a whole number still count as that number, so
// 0.3 / 0.1 gives 3 stations, not 2.
constexpr double kCountSlack = 1e-9;

struct Vec {
    double x, y;
};

Vec leftNormal(const WorldPoint& a, const WorldPoint& b)
{
    const double dx = b.X - a.X, dy = b.Y - a.Y;
    const double len = std::hypot(dx, dy);
    return {-dy / len, dx / len};
}

// A count that may be far beyond any limit, saturated instead of overflowing.
std::size_t countOf(double quotient)
{
    const double c = std::floor(quotient + kCountSlack);
    if (!(c < double(std::numeric_limits<std::size_t>::max() / 4))) return std::numeric_limits<std::size_t>::max() / 4;
    return std::size_t(c);
}

void planAcross(const WorldPoints& pts, double spacing, double length, RunlinePlan& plan)
{
    const std::size_t legs = pts.size() - 1;
    std::vector<double> start(legs + 1, 0.0);  // chainage of each vertex
    for (std::size_t i = 0; i < legs; ++i)
        start[i + 1] = start[i] + std::hypot(pts[i + 1].X - pts[i].X, pts[i + 1].Y - pts[i].Y);
    const double total = start[legs];

    plan.wanted = countOf(total / spacing) + 1;
    if (plan.wanted > kRunlineMaxLines) {
        plan.problem = RunlineProblem::TooManyLines;
        return;
    }
    if (spacing > total) plan.problem = RunlineProblem::SpacingBeyondRoute;
    plan.lines.reserve(plan.wanted);
    std::size_t leg = 0;
    for (std::size_t k = 0; k < plan.wanted; ++k) {
        const double c = std::min(double(k) * spacing, total);
        // A station on a vertex takes the leg that starts there; the route's end takes the last.
        while (leg + 1 < legs && c >= start[leg + 1]) ++leg;
        const WorldPoint& a = pts[leg];
        const WorldPoint& b = pts[leg + 1];
        const double legLength = start[leg + 1] - start[leg];
        const double f = (c - start[leg]) / legLength;
        const WorldPoint q {a.X + (b.X - a.X) * f, a.Y + (b.Y - a.Y) * f};
        const Vec u = leftNormal(a, b);
        plan.lines.push_back({{q.X + u.x * length, q.Y + u.y * length}, {q.X - u.x * length, q.Y - u.y * length}});
    }
}

void planAlong(const WorldPoints& pts, double spacing, double length, RunlinePlan& plan)
{
    const std::size_t perSide = countOf(length / spacing);
    plan.wanted = perSide > std::numeric_limits<std::size_t>::max() / 8 ? perSide : 2 * perSide;
    if (perSide == 0) {
        plan.problem = RunlineProblem::SpacingBeyondLength;
        return;
    }

    // The offset directions of each route vertex: one mitre vector m (m . a = m . b = 1 for the
    // unit normals a, b of the legs meeting there, so the vertex moves e along it to lie e from
    // both legs), or the two leg normals of a bevel where the mitre would reach too far.
    struct Corner {
        WorldPoint at;
        Vec first, second;
        bool bevel;
    };
    std::vector<Corner> corners;
    corners.reserve(pts.size());
    std::size_t vertices = 0;
    const double bevelBelow = 2.0 / (kRunlineMitreLimit * kRunlineMitreLimit);
    for (std::size_t j = 0; j < pts.size(); ++j) {
        if (j == 0 || j + 1 == pts.size()) {
            const Vec n = j == 0 ? leftNormal(pts[0], pts[1]) : leftNormal(pts[j - 1], pts[j]);
            corners.push_back({pts[j], n, n, false});
            ++vertices;
            continue;
        }
        const Vec a = leftNormal(pts[j - 1], pts[j]);
        const Vec b = leftNormal(pts[j], pts[j + 1]);
        const double denom = 1.0 + a.x * b.x + a.y * b.y;
        if (denom < bevelBelow) {
            corners.push_back({pts[j], a, b, true});
            vertices += 2;
        } else {
            const Vec m {(a.x + b.x) / denom, (a.y + b.y) / denom};
            corners.push_back({pts[j], m, m, false});
            ++vertices;
        }
    }
    if (plan.wanted > kRunlineMaxLines || plan.wanted * vertices > kRunlineMaxPoints) {
        plan.problem = RunlineProblem::TooManyLines;
        return;
    }

    plan.lines.reserve(plan.wanted);
    for (std::size_t k = 1; k <= perSide; ++k) {
        const double e = double(k) * spacing;
        for (const double side : {1.0, -1.0}) {
            WorldPoints line;
            line.reserve(vertices);
            const double d = side * e;
            for (const Corner& c : corners) {
                line.push_back({c.at.X + c.first.x * d, c.at.Y + c.first.y * d});
                if (c.bevel) line.push_back({c.at.X + c.second.x * d, c.at.Y + c.second.y * d});
            }
            plan.lines.push_back(std::move(line));
        }
    }
}

} // namespace

WorldPoints RouteWithoutRepeats(const WorldPoints& route)
{
    WorldPoints out;
    out.reserve(route.size());
    for (const WorldPoint& p : route) {
        if (!std::isfinite(p.X) || !std::isfinite(p.Y)) continue;
        if (out.empty() || std::hypot(p.X - out.back().X, p.Y - out.back().Y) >= kRunlineMinLeg) out.push_back(p);
    }
    return out;
}

double RouteLength(const WorldPoints& route)
{
    double total = 0;
    for (std::size_t i = 1; i < route.size(); ++i)
        total += std::hypot(route[i].X - route[i - 1].X, route[i].Y - route[i - 1].Y);
    return total;
}

RunlinePlan PlanRunlines(const WorldPoints& route, double spacing, double length, RunlineKind kind)
{
    RunlinePlan plan;
    if (route.size() < 2) {
        plan.problem = RunlineProblem::TooFewPoints;
        return plan;
    }
    const WorldPoints pts = RouteWithoutRepeats(route);
    if (pts.size() < 2) {
        plan.problem = RunlineProblem::NoLength;
        return plan;
    }
    if (!(spacing > 0) || !std::isfinite(spacing)) {
        plan.problem = RunlineProblem::SpacingNotPositive;
        return plan;
    }
    if (!(length > 0) || !std::isfinite(length)) {
        plan.problem = RunlineProblem::LengthNotPositive;
        return plan;
    }
    if (kind == RunlineKind::Perpendicular) planAcross(pts, spacing, length, plan);
    else planAlong(pts, spacing, length, plan);
    return plan;
}

std::string RunlineProblemText(const RunlinePlan& plan)
{
    switch (plan.problem) {
    case RunlineProblem::None: return {};
    case RunlineProblem::TooFewPoints: return "A route needs at least 2 points.";
    case RunlineProblem::NoLength: return "The route has no length: all its points lie on one spot.";
    case RunlineProblem::SpacingNotPositive: return "Spacing must be a number greater than 0.";
    case RunlineProblem::LengthNotPositive: return "Length must be a number greater than 0.";
    case RunlineProblem::SpacingBeyondRoute:
        return "The spacing is longer than the route: only the line at its start was made.";
    case RunlineProblem::SpacingBeyondLength:
        return "The spacing is larger than the length: no parallel lines were made.";
    case RunlineProblem::TooManyLines:
        return "Too many run lines (" + std::to_string(plan.wanted) + "): use a larger spacing.";
    }
    return {};
}

int DrawRunlines(CanvasModel& canvas, const WorldPoints& route, const RunlinePlan& plan)
{
    const int current = canvas.CurrentLayer();
    int layer = canvas.FindLayer(kRunlineLayer);
    if (layer < 0) {
        layer = canvas.AddLayer(kRunlineLayer);
        // A new layer becomes current; the user's next shape belongs where it was going.
        canvas.SetCurrentLayer(current);
    }
    canvas.DeleteLayerShapes(layer);
    canvas.AddPolyline(route, layer, 0);
    for (const WorldPoints& line : plan.lines) canvas.AddPolyline(line, layer, 0);
    canvas.Redraw();
    return layer;
}

} // namespace vsx
