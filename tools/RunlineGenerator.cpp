#include "tools/RunlineGenerator.h"

#include "canvas/CanvasModel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

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

// ---- Lines along the route: true offset curves ---------------------------------------------
//
// Each line is first laid out as the raw offset of the route: every leg moved e to its side,
// joined on the outside of a turn by corners that keep at least e from the vertex (a mitre, or
// for a turn too sharp for one, a few tangent corners around the vertex), and on the inside of a
// turn simply end to start. Then every part of it that comes closer than e to any leg of the
// route is cut away: the inside of a turn is trimmed back to where the two legs' offsets cross,
// and where the route doubles back so closely that the offset would reach over it, that part
// goes. What is left lies at its offset from the whole route and never crosses it.

// What a point may lack of its offset before it counts as too near the route: far below a
// millimetre, far above the rounding of grid coordinates.
constexpr double kTrimSlack = 1e-8;
// Cut pieces that meet within this distance are one line; shorter pieces are dropped.
constexpr double kJoinGap = 1e-4;
constexpr double kShortestPiece = 1e-3;

Vec sub(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Vec add(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
Vec scaled(Vec a, double f) { return {a.x * f, a.y * f}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
double cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }
double norm(Vec a) { return std::sqrt(a.x * a.x + a.y * a.y); }

struct Interval {
    double lo, hi;
    bool empty() const { return !(lo < hi); }
};

// Where a + t d (t in [0, 1]) lies strictly within r of the segment q-r2: one interval, since a
// segment's r-neighbourhood is convex (the union of the band beside it and the discs at its ends).
Interval nearSegment(Vec a, Vec d, Vec q, Vec q2, double r)
{
    Interval out {1, 0};
    const auto take = [&out](double lo, double hi) {
        if (!(lo < hi)) return;
        out.lo = out.empty() ? lo : std::min(out.lo, lo);
        out.hi = out.empty() ? hi : std::max(out.hi, hi);
    };
    const double dd = dot(d, d);
    for (const Vec c : {q, q2}) {
        const Vec ac = sub(a, c);
        const double b = dot(d, ac), cc = dot(ac, ac) - r * r;
        const double disc = b * b - dd * cc;
        if (dd > 0 && disc > 0) take((-b - std::sqrt(disc)) / dd, (-b + std::sqrt(disc)) / dd);
    }
    // The band: |w . (p - q)| < r and 0 < u . (p - q) < len, each linear in t.
    const Vec leg = sub(q2, q);
    const double len = norm(leg);
    const Vec u = scaled(leg, 1 / len), w {-u.y, u.x};
    double lo = -std::numeric_limits<double>::infinity(), hi = std::numeric_limits<double>::infinity();
    const auto between = [&lo, &hi](double at0, double slope, double min, double max) {
        if (slope == 0) {
            if (!(at0 > min && at0 < max)) hi = lo;
            return;
        }
        double t1 = (min - at0) / slope, t2 = (max - at0) / slope;
        if (t1 > t2) std::swap(t1, t2);
        lo = std::max(lo, t1);
        hi = std::min(hi, t2);
    };
    const Vec aq = sub(a, q);
    between(dot(w, aq), dot(w, d), -r, r);
    between(dot(u, aq), dot(u, d), 0, len);
    take(lo, hi);
    out.lo = std::max(out.lo, 0.0);
    out.hi = std::min(out.hi, 1.0);
    return out;
}

// The route's legs in a tree of bounding boxes over runs of consecutive legs, to find the legs
// near a segment without looking at all of them.
class LegTree {
public:
    explicit LegTree(const std::vector<Vec>& pts) : pts_(pts)
    {
        if (pts.size() >= 2) build(0, pts.size() - 1);
    }

    // Calls f(i) for every leg i (from point i to i + 1) in a box that comes within r of the
    // segment a-b, until f returns true (the segment is cut from end to end: no need to look on).
    template <class F>
    void near(Vec a, Vec b, double r, F&& f) const
    {
        if (!nodes_.empty()) visit(0, a, b, r, f);
    }

private:
    struct Node {
        Vec lo, hi;
        std::size_t first, last;  // legs [first, last)
        std::size_t left = 0, right = 0;  // children, 0 for a leaf
    };

    std::size_t build(std::size_t first, std::size_t last)
    {
        Node n {{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()},
                {-std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()},
                first, last};
        for (std::size_t i = first; i <= last; ++i) {
            n.lo = {std::min(n.lo.x, pts_[i].x), std::min(n.lo.y, pts_[i].y)};
            n.hi = {std::max(n.hi.x, pts_[i].x), std::max(n.hi.y, pts_[i].y)};
        }
        const std::size_t at = nodes_.size();
        nodes_.push_back(n);
        if (last - first > 8) {
            const std::size_t mid = first + (last - first) / 2;
            const std::size_t l = build(first, mid), r = build(mid, last);
            nodes_[at].left = l;
            nodes_[at].right = r;
        }
        return at;
    }

    // Whether the segment a-b comes within r of the box.
    static bool segmentNearBox(Vec a, Vec b, Vec lo, Vec hi, double r)
    {
        if (std::max(a.x, b.x) < lo.x - r || std::min(a.x, b.x) > hi.x + r || std::max(a.y, b.y) < lo.y - r ||
            std::min(a.y, b.y) > hi.y + r)
            return false;
        // The box grown by r, as the segment's distance from the box's points: the nearest point
        // of the box to the segment is a corner, or the segment meets the box.
        const Vec d = sub(b, a);
        const double dd = dot(d, d), rr = r * r;
        const auto nearSegment2 = [&](Vec p) {
            const double t = dd > 0 ? std::clamp(dot(sub(p, a), d) / dd, 0.0, 1.0) : 0.0;
            const Vec q = sub(add(a, scaled(d, t)), p);
            return dot(q, q) < rr;
        };
        const auto nearBox2 = [&](Vec p) {
            const double dx = std::max({lo.x - p.x, 0.0, p.x - hi.x}), dy = std::max({lo.y - p.y, 0.0, p.y - hi.y});
            return dx * dx + dy * dy < rr;
        };
        if (nearBox2(a) || nearBox2(b)) return true;
        for (const Vec c : {lo, hi, Vec {lo.x, hi.y}, Vec {hi.x, lo.y}})
            if (nearSegment2(c)) return true;
        // The segment may cross the box between its corners.
        const auto side = [&](Vec p) { return cross(d, sub(p, a)); };
        const double s1 = side(lo), s2 = side(hi), s3 = side({lo.x, hi.y}), s4 = side({hi.x, lo.y});
        const bool straddles = std::min({s1, s2, s3, s4}) <= 0 && std::max({s1, s2, s3, s4}) >= 0;
        return straddles;
    }

    template <class F>
    bool visit(std::size_t at, Vec a, Vec b, double r, F& f) const
    {
        const Node& n = nodes_[at];
        if (!segmentNearBox(a, b, n.lo, n.hi, r)) return false;
        if (n.left == 0) {
            for (std::size_t i = n.first; i < n.last; ++i)
                if (f(i)) return true;
            return false;
        }
        return visit(n.left, a, b, r, f) || visit(n.right, a, b, r, f);
    }

    const std::vector<Vec>& pts_;
    std::vector<Node> nodes_;
};

// How a vertex is turned around on one side: the outside of a turn gets `segments` tangent
// corners around the vertex (1: the mitre), the inside none.
struct Turn {
    Vec before, after;  // unit normals to this side of the incoming and outgoing leg
    bool outside;
    int segments;
    double angle;       // signed, from `before` to `after`
    double before_length, after_length;  // of the two legs
};

// The fewest tangent corners for a turn of `angle` whose corners stay within the mitre limit.
int cornersFor(double angle)
{
    int k = 1;
    while (k < 64 && 1.0 / std::cos(std::fabs(angle) / (2.0 * k)) > kRunlineMitreLimit) ++k;
    return k;
}

// The raw offset of the route at `e` on the side `side` (+1 left, -1 right).
std::vector<Vec> rawOffset(const std::vector<Vec>& pts, const std::vector<Vec>& normals, const std::vector<Turn>& turns,
                           double d)
{
    std::vector<Vec> out;
    out.push_back(add(pts.front(), scaled(normals.front(), d)));
    for (std::size_t j = 1; j + 1 < pts.size(); ++j) {
        const Turn& t = turns[j];
        const Vec v = pts[j];
        if (!t.outside) {
            // Inside the turn the two legs' offsets cross at the mitre point, when it lies on
            // both; otherwise the offset folds back here and the trimming finds where it ends.
            const double back = d * std::tan(std::fabs(t.angle) / 2);
            if (std::fabs(t.angle) < std::numbers::pi / 2 && back <= t.before_length && back <= t.after_length) {
                out.push_back(add(v, scaled(add(t.before, t.after), d / (1.0 + dot(t.before, t.after)))));
            } else {
                out.push_back(add(v, scaled(t.before, d)));
                out.push_back(add(v, scaled(t.after, d)));
            }
            continue;
        }
        // Corners where the tangents at before, ..., after (turned by equal steps) meet.
        const double step = t.angle / t.segments;
        const double reach = d / std::cos(step / 2);
        const double a0 = std::atan2(t.before.y, t.before.x);
        for (int i = 0; i < t.segments; ++i) {
            const double a = a0 + step * (i + 0.5);
            if (t.segments == 1) {
                // The mitre, exact: the vertex moved along before + after to lie d from both legs.
                const double denom = 1.0 + dot(t.before, t.after);
                out.push_back(add(v, scaled(add(t.before, t.after), d / denom)));
            } else {
                out.push_back({v.x + reach * std::cos(a), v.y + reach * std::sin(a)});
            }
        }
    }
    out.push_back(add(pts.back(), scaled(normals.back(), d)));
    return out;
}

// The parts of `raw` that keep at least `e` from every leg, as separate polylines.
std::vector<std::vector<Vec>> trimmed(const std::vector<Vec>& raw, const LegTree& legs, const std::vector<Vec>& pts,
                                      double e)
{
    const double r = e - kTrimSlack;
    std::vector<std::vector<Vec>> pieces;
    std::vector<Vec> piece;
    const auto finish = [&] {
        double length = 0;
        for (std::size_t i = 1; i < piece.size(); ++i) length += norm(sub(piece[i], piece[i - 1]));
        if (piece.size() >= 2 && length >= kShortestPiece) pieces.push_back(std::move(piece));
        piece.clear();
    };
    const auto extend = [&](Vec p) {
        if (!piece.empty() && norm(sub(p, piece.back())) < kJoinGap) return;
        piece.push_back(p);
    };
    std::vector<Interval> cuts;
    for (std::size_t s = 0; s + 1 < raw.size(); ++s) {
        const Vec a = raw[s], b = raw[s + 1], d = sub(b, a);
        if (norm(d) == 0) continue;
        cuts.clear();
        const auto byStart = [](const Interval& x, const Interval& y) { return x.lo < y.lo; };
        // Whether the cuts so far leave nothing of the segment (then no more legs are asked).
        const auto allCut = [&] {
            std::sort(cuts.begin(), cuts.end(), byStart);
            double t = 0;
            for (const Interval& c : cuts) {
                if (c.lo > t) return false;
                t = std::max(t, c.hi);
            }
            return t >= 1;
        };
        legs.near(a, b, r, [&](std::size_t i) {
            const Interval c = nearSegment(a, d, pts[i], pts[i + 1], r);
            if (c.empty()) return false;
            cuts.push_back(c);
            return (c.lo <= 0 && c.hi >= 1) || (cuts.size() % 8 == 0 && allCut());
        });
        std::sort(cuts.begin(), cuts.end(), byStart);
        // The stretches between the cuts are kept; one that does not begin where the line so
        // far ends (a cut lay between) begins a new piece.
        double t = 0;
        const auto keep = [&](double from, double to) {
            // A sliver (where the line only grazes the route's reach) is no stretch of its own.
            if (!(from < to) || (to - from) * norm(d) < kJoinGap) return;
            const Vec p = add(a, scaled(d, from)), q = add(a, scaled(d, to));
            if (!piece.empty() && norm(sub(p, piece.back())) >= kJoinGap) finish();
            // Trimmed back to where two legs' offsets cross, the piece so far and this stretch end
            // a hair short of that crossing: they meet at the crossing itself.
            if (piece.size() >= 2 && (p.x != piece.back().x || p.y != piece.back().y)) {
                const Vec u = sub(piece.back(), piece[piece.size() - 2]), w = sub(q, p);
                const double den = cross(u, w);
                if (den != 0) {
                    const Vec x = add(p, scaled(w, cross(u, sub(piece.back(), p)) / den));
                    if (norm(sub(x, piece.back())) < kJoinGap) piece.back() = x;
                }
            }
            extend(p);
            extend(q);
        };
        for (const Interval& c : cuts) {
            keep(t, c.lo);
            t = std::max(t, c.hi);
        }
        keep(t, 1);
    }
    finish();
    return pieces;
}

void planAlong(const WorldPoints& route, double spacing, double length, RunlinePlan& plan)
{
    const std::size_t perSide = countOf(length / spacing);
    plan.wanted = perSide > std::numeric_limits<std::size_t>::max() / 8 ? perSide : 2 * perSide;
    if (perSide == 0) {
        plan.problem = RunlineProblem::SpacingBeyondLength;
        return;
    }

    // Worked in metres from the first point, where grid coordinates of millions of metres keep
    // their last digits.
    const Vec origin {route.front().X, route.front().Y};
    std::vector<Vec> pts;
    pts.reserve(route.size());
    for (const WorldPoint& p : route) pts.push_back({p.X - origin.x, p.Y - origin.y});
    std::vector<Vec> normals;  // left normal of each leg
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
        const Vec n = leftNormal({pts[i].x, pts[i].y}, {pts[i + 1].x, pts[i + 1].y});
        normals.push_back(n);
    }

    // Each side's turns. A route that doubles back exactly counts as turning right.
    std::vector<Turn> left(pts.size()), right(pts.size());
    std::size_t vertices = 2;
    for (std::size_t j = 1; j + 1 < pts.size(); ++j) {
        const Vec a = normals[j - 1], b = normals[j];
        double turn = std::atan2(cross(a, b), dot(a, b));  // > 0: a left turn
        if (std::fabs(cross(a, b)) < 1e-12 && dot(a, b) < 0) turn = -std::numbers::pi;
        const int k = cornersFor(turn);
        const double l0 = norm(sub(pts[j], pts[j - 1])), l1 = norm(sub(pts[j + 1], pts[j]));
        left[j] = {a, b, turn < 0, turn < 0 ? k : 0, turn, l0, l1};
        right[j] = {scaled(a, -1), scaled(b, -1), turn > 0, turn > 0 ? k : 0, turn, l0, l1};
        vertices += std::size_t(std::max(2, k));
    }
    if (plan.wanted > kRunlineMaxLines || plan.wanted * vertices > kRunlineMaxPoints) {
        plan.problem = RunlineProblem::TooManyLines;
        return;
    }

    const LegTree legs(pts);
    std::vector<Vec> sideNormals(normals);
    plan.lines.reserve(plan.wanted);
    for (std::size_t k = 1; k <= perSide; ++k) {
        const double e = double(k) * spacing;
        for (const double side : {1.0, -1.0}) {
            for (std::size_t i = 0; i < normals.size(); ++i) sideNormals[i] = scaled(normals[i], side);
            const std::vector<Vec> raw = rawOffset(pts, sideNormals, side > 0 ? left : right, e);
            for (const std::vector<Vec>& piece : trimmed(raw, legs, pts, e)) {
                WorldPoints line;
                line.reserve(piece.size());
                for (const Vec& p : piece) line.push_back({p.x + origin.x, p.y + origin.y});
                plan.lines.push_back(std::move(line));
            }
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
