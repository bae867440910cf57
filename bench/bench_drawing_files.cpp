// Speed of the drawing files. Targets: saving a drawing of 500,000 line segments <= 1.5 s and
// loading it <= 1 s; DXF import <= 2 microseconds per vertex; DXF export of 1,000,000 vertices
// <= 1 s.
#include "canvas/CanvasModel.h"
#include "canvas/ProjectFile.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

using namespace vsx;

std::string tempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / (std::string("vsx-bench-") + std::to_string(::getpid()) + "-" + name)).string();
}

// A survey day's track: one LINE per segment at realistic grid coordinates.
void fillTrack(CanvasModel& m, int segments)
{
    const int layer = m.AddLayer("track_fix");
    double x = 512345.678, y = 4512345.678;
    for (int i = 0; i < segments; ++i) {
        const double nx = x + 0.731 + (i % 17) * 0.013, ny = y + 0.457 - (i % 11) * 0.021;
        m.AddLine(x, y, nx, ny, layer);
        x = nx, y = ny;
    }
}

void BM_SaveProject500kLines(benchmark::State& state)
{
    CanvasModel m;
    fillTrack(m, int(state.range(0)));
    const std::string path = tempPath("save.vltx");
    for (auto _ : state) SaveShapeFile(m, path, 0, false);
    state.counters["bytes"] = double(std::filesystem::file_size(path));
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveProject500kLines)->Arg(500000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadProject500kLines(benchmark::State& state)
{
    const std::string path = tempPath("load.vltx");
    {
        CanvasModel m;
        fillTrack(m, int(state.range(0)));
        SaveShapeFile(m, path, 0, false);
    }
    for (auto _ : state) {
        auto m = std::make_unique<CanvasModel>();
        LoadShapeFile(*m, path, 0, 0, 0);
        benchmark::DoNotOptimize(m->ShapeCount());
        state.PauseTiming();
        m.reset();  // freeing the drawing is not part of loading it
        state.ResumeTiming();
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadProject500kLines)->Arg(500000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
