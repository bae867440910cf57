// Run-line geometry: closed-form routes whose lines can be written down, the refused and
// degenerate cases, and polylines with turns checked against shapely's offset curves.
#include "canvas/CanvasModel.h"
#include "canvas/Shapes.h"
#include "tools/RunlineGenerator.h"
#include "support/MissingPeer.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <limits>
#include <numbers>

using namespace vsx;

namespace {

constexpr double kMm = 0.001;

void expectPoint(const WorldPoint& p, double x, double y, const std::string& what)
{
    EXPECT_NEAR(p.X, x, 1e-9) << what;
    EXPECT_NEAR(p.Y, y, 1e-9) << what;
}

const WorldPoints kStraight25 {{0, 0}, {25, 0}};
const WorldPoints kRightTurn {{0, 0}, {100, 0}, {100, 100}};  // east, then north (a left turn)

} // namespace

TEST(RunlineGeometry, AcrossAStraightRoute)
{
    // Stations at 0, 10 and 20 m; each line 2 x 100 m, centred, left end first.
    const RunlinePlan plan = PlanRunlines(kStraight25, 10, 100, RunlineKind::Perpendicular);
    EXPECT_EQ(plan.problem, RunlineProblem::None);
    ASSERT_EQ(plan.lines.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        ASSERT_EQ(plan.lines[size_t(k)].size(), 2u);
        expectPoint(plan.lines[size_t(k)][0], 10.0 * k, 100, "line " + std::to_string(k));
        expectPoint(plan.lines[size_t(k)][1], 10.0 * k, -100, "line " + std::to_string(k));
    }
    // A spacing that divides the route gives its end a line too, also where the quotient is a
    // few ulps short of a whole number (0.3 / 0.1).
    EXPECT_EQ(PlanRunlines({{0, 0}, {30, 0}}, 10, 5, RunlineKind::Perpendicular).lines.size(), 4u);
    EXPECT_EQ(PlanRunlines({{0, 0}, {0.3, 0}}, 0.1, 5, RunlineKind::Perpendicular).lines.size(), 4u);
}

TEST(RunlineGeometry, AcrossKeepsTheSpacingOverVertices)
{
    // 200 m with a corner at 100 m: stations every 30 m along the whole route, not restarting at
    // the corner; the ones after it lie across the second leg.
    const RunlinePlan plan = PlanRunlines(kRightTurn, 30, 50, RunlineKind::Perpendicular);
    ASSERT_EQ(plan.lines.size(), 7u);
    expectPoint(plan.lines[3][0], 90, 50, "station 90 on the first leg");
    expectPoint(plan.lines[4][0], 50, 20, "station 120 on the second leg");
    expectPoint(plan.lines[4][1], 150, 20, "station 120 on the second leg");
    expectPoint(plan.lines[6][0], 50, 80, "station 180");

    // A route digitised with a vertex every metre still gets its lines 10 m apart.
    WorldPoints dense;
    for (int i = 0; i <= 100; ++i) dense.push_back({double(i), 0});
    const RunlinePlan d = PlanRunlines(dense, 10, 5, RunlineKind::Perpendicular);
    ASSERT_EQ(d.lines.size(), 11u);
    for (size_t k = 0; k < d.lines.size(); ++k) EXPECT_NEAR(d.lines[k][0].X, 10.0 * double(k), 1e-9);
}

TEST(RunlineGeometry, ParallelLinesOnBothSides)
{
    const RunlinePlan plan = PlanRunlines(kStraight25, 10, 100, RunlineKind::Parallel);
    ASSERT_EQ(plan.lines.size(), 20u);
    for (int k = 1; k <= 10; ++k) {
        const WorldPoints& left = plan.lines[size_t(2 * (k - 1))];
        const WorldPoints& right = plan.lines[size_t(2 * (k - 1) + 1)];
        expectPoint(left[0], 0, 10.0 * k, "left start");
        expectPoint(left[1], 25, 10.0 * k, "left end");
        expectPoint(right[0], 0, -10.0 * k, "right start");
        expectPoint(right[1], 25, -10.0 * k, "right end");
    }
    EXPECT_EQ(PlanRunlines(kStraight25, 30, 100, RunlineKind::Parallel).lines.size(), 6u) << "offsets 30, 60, 90";
    EXPECT_EQ(PlanRunlines(kStraight25, 0.1, 0.3, RunlineKind::Parallel).lines.size(), 6u);

    // At a right-angled corner each line keeps its distance from both legs (mitred corner).
    const RunlinePlan turn = PlanRunlines(kRightTurn, 10, 10, RunlineKind::Parallel);
    ASSERT_EQ(turn.lines.size(), 2u);
    ASSERT_EQ(turn.lines[0].size(), 3u);
    expectPoint(turn.lines[0][0], 0, 10, "inner start");
    expectPoint(turn.lines[0][1], 90, 10, "inner corner");
    expectPoint(turn.lines[0][2], 90, 100, "inner end");
    expectPoint(turn.lines[1][1], 110, -10, "outer corner");
    expectPoint(turn.lines[1][2], 110, 100, "outer end");

    // A route that doubles back: one side goes round its far end e beyond it (two corners, none
    // thrown far away); on the other, where the legs lie on each other, the stretch across the
    // route is cut out and the two stretches beside it stay.
    const RunlinePlan back = PlanRunlines({{0, 0}, {100, 0}, {50, 0}}, 10, 10, RunlineKind::Parallel);
    ASSERT_EQ(back.lines.size(), 3u);
    ASSERT_EQ(back.lines[0].size(), 4u);
    expectPoint(back.lines[0][1], 110, 10, "round the end, first corner");
    expectPoint(back.lines[0][2], 110, -10, "round the end, second corner");
    expectPoint(back.lines[0][3], 50, -10, "end");
    ASSERT_EQ(back.lines[1].size(), 2u);
    expectPoint(back.lines[1][0], 0, -10, "beside the first leg");
    expectPoint(back.lines[1][1], 100, -10, "beside the first leg");
    ASSERT_EQ(back.lines[2].size(), 2u);
    expectPoint(back.lines[2][0], 100, 10, "beside the second leg");
    expectPoint(back.lines[2][1], 50, 10, "beside the second leg");
}

TEST(RunlineGeometry, RepeatedPointsAreDropped)
{
    // Double clicks and a point 0.5 mm on: the same lines as the clean route, no NaN.
    const WorldPoints messy {{0, 0}, {0, 0}, {25, 0}, {25.0005, 0}, {25, 0}};
    for (RunlineKind kind : {RunlineKind::Perpendicular, RunlineKind::Parallel}) {
        const RunlinePlan a = PlanRunlines(messy, 10, 100, kind);
        const RunlinePlan b = PlanRunlines(kStraight25, 10, 100, kind);
        ASSERT_EQ(a.lines.size(), b.lines.size());
        for (size_t i = 0; i < a.lines.size(); ++i) {
            ASSERT_EQ(a.lines[i].size(), b.lines[i].size());
            for (size_t j = 0; j < a.lines[i].size(); ++j) {
                EXPECT_TRUE(std::isfinite(a.lines[i][j].X) && std::isfinite(a.lines[i][j].Y));
                EXPECT_NEAR(a.lines[i][j].X, b.lines[i][j].X, 1e-9);
                EXPECT_NEAR(a.lines[i][j].Y, b.lines[i][j].Y, 1e-9);
            }
        }
    }
}

TEST(RunlineGeometry, RefusedAndDegenerateRoutes)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    WorldPoints tenKm {{0, 0}, {10000, 0}};
    const struct {
        const char* name;
        WorldPoints route;
        double spacing, length;
        RunlineKind kind;
        RunlineProblem problem;
        size_t lines;
    } cases[] = {
        {"no point", {}, 10, 100, RunlineKind::Perpendicular, RunlineProblem::TooFewPoints, 0},
        {"one point", {{5, 5}}, 10, 100, RunlineKind::Parallel, RunlineProblem::TooFewPoints, 0},
        {"all points on one spot", {{5, 5}, {5, 5}, {5.0002, 5}}, 10, 100, RunlineKind::Parallel,
         RunlineProblem::NoLength, 0},
        {"spacing 0", kStraight25, 0, 100, RunlineKind::Perpendicular, RunlineProblem::SpacingNotPositive, 0},
        {"spacing -5", kStraight25, -5, 100, RunlineKind::Parallel, RunlineProblem::SpacingNotPositive, 0},
        {"spacing not a number", kStraight25, nan, 100, RunlineKind::Perpendicular,
         RunlineProblem::SpacingNotPositive, 0},
        {"length 0", kStraight25, 10, 0, RunlineKind::Parallel, RunlineProblem::LengthNotPositive, 0},
        {"spacing beyond the route", kStraight25, 30, 100, RunlineKind::Perpendicular,
         RunlineProblem::SpacingBeyondRoute, 1},
        {"spacing beyond the length", kStraight25, 200, 100, RunlineKind::Parallel,
         RunlineProblem::SpacingBeyondLength, 0},
        {"a million lines across", tenKm, 0.01, 100, RunlineKind::Perpendicular, RunlineProblem::TooManyLines, 0},
        {"a million lines along", tenKm, 0.0001, 100, RunlineKind::Parallel, RunlineProblem::TooManyLines, 0},
        {"spacing of a denormal", tenKm, 1e-320, 100, RunlineKind::Perpendicular, RunlineProblem::TooManyLines, 0},
    };
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        const RunlinePlan plan = PlanRunlines(c.route, c.spacing, c.length, c.kind);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << c.name;
        EXPECT_EQ(plan.problem, c.problem) << c.name;
        EXPECT_EQ(plan.lines.size(), c.lines) << c.name;
        EXPECT_FALSE(RunlineProblemText(plan).empty()) << c.name;
    }
    EXPECT_EQ(RunlineProblemText(PlanRunlines(tenKm, 0.01, 100, RunlineKind::Perpendicular)),
              "Too many run lines (1000001): use a larger spacing.");
}

TEST(RunlineGeometry, DrawnOnTheirOwnLayer)
{
    CanvasModel model;
    const int user = model.AddLayer("veldor_usershape");
    const int other = model.AddLine(0, 0, 1, 1, user);
    const RunlinePlan plan = PlanRunlines(kStraight25, 10, 100, RunlineKind::Perpendicular);
    const int layer = DrawRunlines(model, kStraight25, plan);
    EXPECT_EQ(model.FindLayer(kRunlineLayer), layer);
    EXPECT_EQ(model.CurrentLayer(), user) << "the user's next shape keeps its layer";
    EXPECT_EQ(model.LayerShapeCount(layer), 4) << "the route copy and three lines";
    // A second generation replaces the lines; other layers keep theirs.
    DrawRunlines(model, kStraight25, PlanRunlines(kStraight25, 5, 100, RunlineKind::Perpendicular));
    EXPECT_EQ(model.LayerShapeCount(layer), 7) << "the route copy and six lines (0 to 25 m)";
    EXPECT_NE(model.FindShape(other), nullptr);
    for (int id : model.GetLayerShapeIds(layer)) {
        EXPECT_EQ(model.GetShapeType(id), 5) << "open polylines";
    }
}

// ---- shapely as the independent computation -----------------------------------------------------

namespace {

// Checks the plan of `route` against shapely: across, the stations by interpolation along the
// route and the normals from the route's own direction there; along, parallel_offset with mitred
// joins. Prints "ok" or what differs by more than 1 mm.
const char* kShapelyCheck = R"PY(
import sys, math
from shapely.geometry import LineString, Point
data = [l.split() for l in open(sys.argv[1]) if l.strip()]
kind, s, L = data[0][0], float(data[0][1]), float(data[0][2])
route = LineString([(float(x), float(y)) for x, y in zip(data[1][0::2], data[1][1::2])])
lines = [[(float(x), float(y)) for x, y in zip(r[0::2], r[1::2])] for r in data[2:]]
tol = 0.001
total = route.length
bad = []
if kind == "across":
    n = int(math.floor(total / s + 1e-9)) + 1
    if len(lines) != n: bad.append("count %d, shapely %d" % (len(lines), n))
    for k, ln in enumerate(lines[:n]):
        c = min(k * s, total)
        p = route.interpolate(c)
        a, b = (route.interpolate(c), route.interpolate(c + 0.01)) if c + 0.01 <= total else (route.interpolate(c - 0.01), p)
        dx, dy = b.x - a.x, b.y - a.y
        d = math.hypot(dx, dy)
        ux, uy = -dy / d, dx / d
        ref = [(p.x + ux * L, p.y + uy * L), (p.x - ux * L, p.y - uy * L)]
        for q, r in zip(ln, ref):
            if math.hypot(q[0] - r[0], q[1] - r[1]) > tol: bad.append("line %d end %s, shapely %s" % (k, q, r))
        mid = Point((ln[0][0] + ln[-1][0]) / 2, (ln[0][1] + ln[-1][1]) / 2)
        if abs(route.project(mid) - k * s) > tol: bad.append("line %d at chainage %f" % (k, route.project(mid)))
else:
    n = int(math.floor(L / s + 1e-9))
    if len(lines) != 2 * n: bad.append("count %d, shapely %d" % (len(lines), 2 * n))
    for i, ln in enumerate(lines[:2 * n]):
        e = (i // 2 + 1) * s
        side = "left" if i % 2 == 0 else "right"
        ref = route.parallel_offset(e, side, join_style=2, mitre_limit=10.0)
        mine = LineString(ln)
        h = mine.hausdorff_distance(ref)
        if h > tol: bad.append("line %d (%s %g): %f from shapely" % (i, side, e, h))
        # Its ends stand across the route's ends, e away.
        for end, ch in ((Point(ln[0]), 0.0), (Point(ln[-1]), total)):
            if abs(route.project(end) - ch) > tol or abs(route.distance(end) - e) > tol:
                bad.append("line %d end %s" % (i, end))
print("ok" if not bad else "\n".join(bad[:10]))
)PY";

// Runs a checking script on a plan file; what it prints.
std::string runCheck(const char* script, const std::string& path)
{
    QProcess p;
    p.start("/usr/bin/python3", {"-c", script, QString::fromStdString(path)});
    if (!p.waitForFinished(120000)) return "python did not finish";
    return (p.readAllStandardOutput() + p.readAllStandardError()).trimmed().toStdString();
}

bool haveShapely()
{
    QProcess p;
    p.start("/usr/bin/python3", {"-c", "import shapely"});
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

std::string checkWithShapely(const WorldPoints& route, double s, double L, RunlineKind kind, const RunlinePlan& plan)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("plan.txt").toStdString();
    {
        std::ofstream f(path);
        f.precision(17);
        f << (kind == RunlineKind::Perpendicular ? "across" : "along") << ' ' << s << ' ' << L << '\n';
        for (const WorldPoint& p : route) f << p.X << ' ' << p.Y << ' ';
        f << '\n';
        for (const WorldPoints& line : plan.lines) {
            for (const WorldPoint& p : line) f << p.X << ' ' << p.Y << ' ';
            f << '\n';
        }
    }
    return runCheck(kShapelyCheck, path);
}

} // namespace

TEST(RunlineGeometry, AgreesWithShapely)
{
    if (!haveShapely()) VSX_SKIP_MISSING() << "python3-shapely is not installed (/usr/bin/python3 -c 'import shapely')";
    // Grid coordinates of a real survey area; turns of up to about 100 degrees either way, legs
    // long against the largest offset so no offset folds over.
    const double e0 = 512345.25, n0 = 4545678.5;
    const WorldPoints routes[] = {
        {{e0, n0}, {e0 + 300, n0 + 40}, {e0 + 520, n0 - 60}, {e0 + 700, n0 + 150}, {e0 + 760, n0 + 420}},
        {{e0, n0}, {e0 + 250, n0}, {e0 + 250, n0 + 250}, {e0 + 500, n0 + 250}, {e0 + 420, n0 + 520}},
        {{e0, n0}, {e0 + 1234.5, n0 + 17.25}},
    };
    const struct {
        double s, L;
    } settings[] = {{10, 50}, {7.5, 40}, {33.3, 66.6}};
    for (const WorldPoints& route : routes) {
        for (const auto& st : settings) {
            for (RunlineKind kind : {RunlineKind::Perpendicular, RunlineKind::Parallel}) {
                const RunlinePlan plan = PlanRunlines(route, st.s, st.L, kind);
                ASSERT_EQ(plan.problem, RunlineProblem::None);
                EXPECT_EQ(checkWithShapely(route, st.s, st.L, kind, plan), "ok")
                    << (kind == RunlineKind::Perpendicular ? "across" : "along") << " s=" << st.s << " L=" << st.L
                    << " route of " << route.size() << " points";
            }
        }
    }
}

namespace {

// Checks parallel lines as offset curves: each line's nearest approach to the route is its offset
// (within 1 mm) and it never meets the route; away from the route's corners (where the corner
// style may differ) the lines of each side and shapely's offset curve of the route lie on each
// other within 1 mm. Prints "ok" or what is wrong.
const char* kOffsetCheck = R"PY(
import sys
from shapely.geometry import LineString, Point, MultiLineString
from shapely.ops import unary_union
data = [l.split() for l in open(sys.argv[1]) if l.strip()]
s, L = float(data[0][0]), float(data[0][1])
pts = [(float(x), float(y)) for x, y in zip(data[1][0::2], data[1][1::2])]
route = LineString(pts)
lines = []
for r in data[2:]:
    e, side = float(r[0]), r[1]
    lines.append((e, side, LineString([(float(x), float(y)) for x, y in zip(r[2::2], r[3::2])])))
tol = 0.001
bad = []
for i, (e, side, ln) in enumerate(lines):
    d = ln.distance(route)
    if abs(d - e) > tol: bad.append("line %d (%s %g): nearest %.4f from the route" % (i, side, e, d))
    if ln.intersects(route): bad.append("line %d (%s %g) meets the route" % (i, side, e))
corners = [Point(p) for p in pts[1:-1]]
def away(p, e): return all(p.distance(c) > 2.05 * e for c in corners)
def samples(g, step):
    parts = list(g.geoms) if hasattr(g, "geoms") else [g]
    out = []
    for part in parts:
        n = max(1, int(part.length / step))
        out += [part.interpolate(part.length * k / n) for k in range(n + 1)]
    return out
n = int(L / s + 1e-9)
for k in range(1, n + 1):
    e = k * s
    for side in ("left", "right"):
        mine = [ln for (ee, sd, ln) in lines if abs(ee - e) < 1e-9 and sd == side]
        ref = route.parallel_offset(e, side, join_style=1, resolution=64)
        ref_ok = [p for p in samples(ref, 0.25) if p.distance(route) > e - tol and away(p, e)]
        mine_u = unary_union(mine) if mine else None
        for p in ref_ok:
            if mine_u is None or p.distance(mine_u) > tol:
                bad.append("%s %g: shapely's offset point %s has no line" % (side, e, p.wkt)); break
        for ln in mine:
            for p in samples(ln, 0.25):
                if away(p, e) and p.distance(ref) > tol:
                    bad.append("%s %g: point %s is not on shapely's offset" % (side, e, p.wkt)); break
print("ok" if not bad else "\n".join(bad[:10]))
)PY";

std::string checkOffsetsWithShapely(const WorldPoints& route, double s, double L, const RunlinePlan& plan)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("offsets.txt").toStdString();
    {
        std::ofstream f(path);
        f.precision(17);
        f << s << ' ' << L << '\n';
        for (const WorldPoint& p : route) f << p.X << ' ' << p.Y << ' ';
        f << '\n';
        // Each line with its offset and side: its first point's distance and side of the route.
        for (const WorldPoints& line : plan.lines) {
            double best = std::numeric_limits<double>::infinity();
            double sideOf = 0;
            for (size_t i = 0; i + 1 < route.size(); ++i) {
                const double dx = route[i + 1].X - route[i].X, dy = route[i + 1].Y - route[i].Y;
                const double len2 = dx * dx + dy * dy;
                const double t = std::clamp(((line[0].X - route[i].X) * dx + (line[0].Y - route[i].Y) * dy) / len2, 0.0, 1.0);
                const double px = route[i].X + t * dx - line[0].X, py = route[i].Y + t * dy - line[0].Y;
                if (std::hypot(px, py) < best) {
                    best = std::hypot(px, py);
                    sideOf = dx * (line[0].Y - route[i].Y) - dy * (line[0].X - route[i].X);
                }
            }
            const double e = std::round(best / s) * s;
            f << e << ' ' << (sideOf > 0 ? "left" : "right") << ' ';
            for (const WorldPoint& p : line) f << p.X << ' ' << p.Y << ' ';
            f << '\n';
        }
    }
    return runCheck(kOffsetCheck, path);
}

// A route that turns by `degrees` (positive: to the left) after a first leg of `first` metres
// east, its second leg `second` metres long.
WorldPoints turning(double degrees, double first, double second)
{
    const double a = degrees * std::numbers::pi / 180.0;
    return {{500000, 4500000}, {500000 + first, 4500000}, {500000 + first + second * std::cos(a), 4500000 + second * std::sin(a)}};
}

} // namespace

// Where the route turns sharply, every line keeps its offset from the whole route: on a hairpin
// the lines inside the turn would reach over the other leg and are cut back, those outside go
// round the turn at their offset, never nearer.
TEST(RunlineGeometry, ParallelLinesKeepTheirOffsetFromTheWholeRoute)
{
    if (!haveShapely()) VSX_SKIP_MISSING() << "python3-shapely is not installed (/usr/bin/python3 -c 'import shapely')";
    const WorldPoints zigzag {{500000, 4500000}, {500040, 4500030}, {500080, 4500000}, {500120, 4500030},
                              {500160, 4500000}, {500200, 4500030}};
    const struct {
        const char* name;
        WorldPoints route;
        double s, L;
    } cases[] = {
        {"hairpin of 171 degrees", turning(171, 30, 30), 10, 30},
        {"hairpin of 171 degrees to the right", turning(-171, 30, 30), 10, 30},
        {"right angle", turning(90, 100, 100), 10, 30},
        {"turn of 130 degrees", turning(-130, 60, 80), 7.5, 45},
        {"zig-zag", zigzag, 10, 30},
    };
    for (const auto& c : cases) {
        const RunlinePlan plan = PlanRunlines(c.route, c.s, c.L, RunlineKind::Parallel);
        ASSERT_EQ(plan.problem, RunlineProblem::None) << c.name;
        ASSERT_FALSE(plan.lines.empty()) << c.name;
        EXPECT_EQ(checkOffsetsWithShapely(c.route, c.s, c.L, plan), "ok") << c.name;
    }

    // The hairpin's outer lines go round its end at their offset, the inner ones are cut away
    // where the other leg lies nearer than their offset.
    const WorldPoints hairpin = turning(171, 30, 30);
    const RunlinePlan plan = PlanRunlines(hairpin, 10, 30, RunlineKind::Parallel);
    for (const WorldPoints& line : plan.lines)
        for (const WorldPoint& p : line) EXPECT_LE(p.X, hairpin[1].X + 2 * 30 + kMm) << "no corner thrown far out";
}
