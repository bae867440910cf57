// Run lines laid out along a long route and put on the map's run-line layer, replacing the
// previous generation (what every keystroke in the generator's spacing field does).
// Target: 1,000 run lines along a 10,000-vertex route in under 100 ms, the lines across the route;
// for comparison, 100 parallel lines of 10,000 vertices each (a million vertices), each one
// trimmed against the whole route.
#include "canvas/CanvasModel.h"
#include "tools/RunlineGenerator.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using namespace vsx;

// A winding survey route of `n` vertices about 2 m apart, in grid metres.
WorldPoints windingRoute(int n)
{
    WorldPoints route;
    route.reserve(size_t(n));
    double x = 512000, y = 4545000, heading = 0.3;
    for (int i = 0; i < n; ++i) {
        route.push_back({x, y});
        heading += 0.01 * std::sin(i * 0.005);
        x += 2 * std::sin(heading);
        y += 2 * std::cos(heading);
    }
    return route;
}

void generate(benchmark::State& state, RunlineKind kind, double spacingDivisor, double length)
{
    const WorldPoints route = windingRoute(10000);
    const double spacing = kind == RunlineKind::Perpendicular ? RouteLength(route) / spacingDivisor : length / spacingDivisor;
    CanvasModel canvas;
    size_t lines = 0;
    for (auto _ : state) {
        const RunlinePlan plan = PlanRunlines(route, spacing, length, kind);
        DrawRunlines(canvas, route, plan);
        lines = plan.lines.size();
        benchmark::DoNotOptimize(canvas.ShapeCount());
    }
    state.counters["lines"] = double(lines);
}

void BM_Runlines1000AcrossA10000VertexRoute_Under100ms(benchmark::State& state)
{
    generate(state, RunlineKind::Perpendicular, 999.0, 100);
}
BENCHMARK(BM_Runlines1000AcrossA10000VertexRoute_Under100ms)->Unit(benchmark::kMillisecond);

void BM_Runlines100ParallelToA10000VertexRoute(benchmark::State& state)
{
    generate(state, RunlineKind::Parallel, 50.0, 500);
}
BENCHMARK(BM_Runlines100ParallelToA10000VertexRoute)->Unit(benchmark::kMillisecond);

} // namespace
