// The curves of DXF drawings as polylines: bulge arcs by their defining sagitta, a rational
// B-spline circle within the chord tolerance at every scale, and splines that would take millions
// of vertices or cannot be evaluated.
#include "canvas/DxfCurves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

using namespace vsx::dxf;

namespace {

// The circle through three points: centre x, y and radius.
std::array<double, 3> circleThrough(const Point3& a, const Point3& b, const Point3& c)
{
    const double d = 2 * (a.x * (b.y - c.y) + b.x * (c.y - a.y) + c.x * (a.y - b.y));
    const double a2 = a.x * a.x + a.y * a.y, b2 = b.x * b.x + b.y * b.y, c2 = c.x * c.x + c.y * c.y;
    const double x = (a2 * (b.y - c.y) + b2 * (c.y - a.y) + c2 * (a.y - b.y)) / d;
    const double y = (a2 * (c.x - b.x) + b2 * (a.x - c.x) + c2 * (b.x - a.x)) / d;
    return {x, y, std::hypot(a.x - x, a.y - y)};
}

}  // namespace

// A bulge is the tangent of a quarter of the included angle: the arc's middle lies |bulge| * chord
// / 2 from the chord's middle, right of the direction of travel when the bulge is positive
// (counter-clockwise). Every arc has at least the 20 chords of an ARC entity.
TEST(DxfCurves, BulgeArcsByTheirSagitta)
{
    const struct {
        double x0, y0, x1, y1, bulge;
    } arcs[] = {
        {0, 0, 20, 0, 1},                                  // half circle below the chord
        {0, 0, 20, 0, -1},                                 // clockwise: above
        {35, 0, 40, 5, std::tan(std::numbers::pi / 8)},    // quarter circle
        {512000, 4512000, 512300, 4512400, 0.001},         // nearly straight, far from the origin
        {0, 0, 10, 0, 10},                                 // most of a circle
        {-3, 7, -3, 2, -0.3},
    };
    for (const auto& a : arcs) {
        std::vector<Point3> pts;
        appendBulgeArc(a.x0, a.y0, a.x1, a.y1, a.bulge, pts);
        const std::string what = "bulge " + std::to_string(a.bulge);
        ASSERT_GE(pts.size(), 19u) << what;
        const double dx = a.x1 - a.x0, dy = a.y1 - a.y0, chord = std::hypot(dx, dy);
        double far = 0;
        for (const Point3& p : pts) {
            const double side = (dx * (p.y - a.y0) - dy * (p.x - a.x0)) / chord;  // left of travel > 0
            EXPECT_LT(side * a.bulge, 0) << what << ": on the wrong side";
            far = std::max(far, std::fabs(side));
        }
        const double sagitta = std::fabs(a.bulge) * chord / 2;
        EXPECT_NEAR(far, sagitta, chordTolerance(std::max(chord, sagitta)) + 1e-9 * chord) << what;
        // All on one circle with the end points.
        const auto c = circleThrough({a.x0, a.y0, 0}, pts[pts.size() / 2], {a.x1, a.y1, 0});
        for (const Point3& p : pts) EXPECT_NEAR(std::hypot(p.x - c[0], p.y - c[1]), c[2], 1e-6 * c[2]) << what;
    }
    for (const double none : {0.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        std::vector<Point3> pts;
        appendBulgeArc(0, 0, 10, 0, none, pts);
        EXPECT_TRUE(pts.empty()) << none;
    }
    std::vector<Point3> pts;
    appendBulgeArc(4, 4, 4, 4, 1, pts);
    EXPECT_TRUE(pts.empty()) << "coincident ends";
    appendBulgeArc(0, 0, 10, 0, 1e300, pts);
    ASSERT_FALSE(pts.empty());
    for (const Point3& p : pts) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << "a bulge beyond any real one";
}

// The exact rational circle (nine control points, weights 1 and 1/sqrt 2) at radii from half a
// unit to five thousand kilometres, round a centre in a projected grid: every vertex on the
// circle, no chord farther from it than the tolerance (0.1 % of the size, at least 0.01), and the
// chords not needlessly short; the closed flag makes a polygon without a repeated vertex.
TEST(DxfCurves, RationalCircleWithinTheChordTolerance)
{
    const double cx = 512000, cy = 4512000, w = std::sqrt(0.5);
    for (const double radius : {0.5, 50.0, 5000.0, 5e6}) {
        SplineData s;
        s.degree = 2;
        s.flags = 1 | 4;
        const double corners[9][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}};
        for (const auto& c : corners) s.controlPoints.push_back({cx + radius * c[0], cy + radius * c[1], 0});
        s.weights = {1, w, 1, w, 1, w, 1, w, 1};
        s.knots = {0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 4};
        const SplinePolyline out = tessellateSpline(s);
        ASSERT_EQ(out.result, SplineResult::Drawn);
        EXPECT_TRUE(out.closed);
        const std::string what = "radius " + std::to_string(radius);
        ASSERT_GE(out.vertices.size(), 8u) << what;
        ASSERT_LE(out.vertices.size(), kMaxCurveVertices) << what;
        const double tol = chordTolerance(2 * std::sqrt(2.0) * radius);
        double worstSag = 0;
        for (std::size_t i = 0; i < out.vertices.size(); ++i) {
            const Point3& a = out.vertices[i];
            const Point3& b = out.vertices[(i + 1) % out.vertices.size()];
            EXPECT_NEAR(std::hypot(a.x - cx, a.y - cy), radius, 1e-9 * radius + 1e-8) << what;
            const double half = std::hypot(b.x - a.x, b.y - a.y) / 2;
            ASSERT_GT(half, 0) << what << ": a repeated vertex at " << i;
            worstSag = std::max(worstSag, radius - std::sqrt(std::max(0.0, radius * radius - half * half)));
        }
        EXPECT_LE(worstSag, tol * (1 + 1e-6)) << what;
        EXPECT_GT(worstSag, tol / 8) << what << ": chords finer than the tolerance asks";
    }
}

// A spline of a hundred thousand control points stays within the vertex cap and still runs from
// its first control point to its last; a degree no CAD program writes is not evaluated; knots that
// do not fit the control points give the uniform clamped spline, as no knots do.
TEST(DxfCurves, HostileAndMalformedSplines)
{
    SplineData zigzag;
    zigzag.degree = 3;
    for (int i = 0; i < 100000; ++i) zigzag.controlPoints.push_back({double(i), double(i % 2) * 50, 0});
    SplinePolyline out = tessellateSpline(zigzag);
    ASSERT_EQ(out.result, SplineResult::Drawn);
    EXPECT_LE(out.vertices.size(), kMaxCurveVertices);
    EXPECT_GE(out.vertices.size(), kMaxCurveVertices / 2);
    EXPECT_EQ(out.vertices.front().x, 0);
    EXPECT_NEAR(out.vertices.back().x, 99999, 1e-6);

    SplineData steep = zigzag;
    steep.controlPoints.resize(200);
    steep.degree = kMaxSplineDegree + 1;
    EXPECT_EQ(tessellateSpline(steep).result, SplineResult::Unsupported);

    SplineData plain;
    plain.degree = 3;
    plain.controlPoints = {{0, 0, 0}, {6, 14, 0}, {18, 8, 0}, {24, 22, 0}, {34, 2, 0}};
    const std::vector<Point3> reference = tessellateSpline(plain).vertices;
    for (const std::vector<double>& knots : std::vector<std::vector<double>>{
             {0, 0, 0, 0, 1, 1, 1},                                                   // too few
             {0, 0, 0, 0, 2, 1, 2, 2, 2},                                             // decreasing
             {0, 0, 0, 0, std::numeric_limits<double>::quiet_NaN(), 2, 2, 2, 2}}) {   // not a number
        SplineData bad = plain;
        bad.knots = knots;
        const SplinePolyline got = tessellateSpline(bad);
        ASSERT_EQ(got.vertices.size(), reference.size());
        for (std::size_t i = 0; i < reference.size(); ++i) {
            EXPECT_DOUBLE_EQ(got.vertices[i].x, reference[i].x);
            EXPECT_DOUBLE_EQ(got.vertices[i].y, reference[i].y);
        }
    }
    SplineData one;
    one.controlPoints = {{1, 1, 0}};
    one.fitPoints = {{2, 2, 0}};
    EXPECT_EQ(tessellateSpline(one).result, SplineResult::TooFewPoints);
}
