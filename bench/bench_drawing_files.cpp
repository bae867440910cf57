// Speed of the drawing files. Targets: saving a drawing of 500,000 line segments <= 1.5 s and
// loading it <= 1 s; DXF import <= 2 microseconds per vertex; DXF export of 1,000,000 vertices
// <= 1 s.
#include "canvas/CanvasModel.h"
#include "canvas/DxfExport.h"
#include "canvas/DxfImport.h"
#include "canvas/FileNumbers.h"
#include "canvas/ProjectFile.h"
#include "platform/AtomicFile.h"

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
BENCHMARK(BM_SaveProject500kLines)->Arg(500000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

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
BENCHMARK(BM_LoadProject500kLines)->Arg(500000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// A canvas of polylines with `vertices` vertices in all, at grid coordinates.
void fillPolylines(CanvasModel& m, int polylines, int perPolyline)
{
    const int layer = m.AddLayer("Runlines");
    WorldPoints pts(static_cast<std::size_t>(perPolyline));
    for (int p = 0; p < polylines; ++p) {
        for (int k = 0; k < perPolyline; ++k) pts[std::size_t(k)] = {512000.0 + p * 10.0 + k * 0.37, 4512000.0 + k * 1.13};
        m.AddPolyline(pts, layer, p % 2);
    }
}

// A DXF of 1000 polylines of 1000 vertices: LWPOLYLINE records (release 2000 and later) or
// POLYLINE/VERTEX records (release 12, as our own export writes them).
std::string dxfWithVertices(bool lightweight)
{
    std::string out = "0\r\nSECTION\r\n2\r\nENTITIES\r\n";
    for (int p = 0; p < 1000; ++p) {
        out += lightweight ? "0\r\nLWPOLYLINE\r\n8\r\nRunlines\r\n90\r\n1000\r\n70\r\n0\r\n" : "0\r\nPOLYLINE\r\n8\r\nRunlines\r\n66\r\n1\r\n70\r\n0\r\n";
        for (int k = 0; k < 1000; ++k) {
            if (!lightweight) out += "0\r\nVERTEX\r\n8\r\nRunlines\r\n";
            out += "10\r\n";
            filenum::appendFixed(out, 512000.0 + p * 10.0 + k * 0.37, 6);
            out += "\r\n20\r\n";
            filenum::appendFixed(out, 4512000.0 + k * 1.13, 6);
            out += lightweight ? "\r\n" : "\r\n30\r\n0.0\r\n";
        }
        if (!lightweight) out += "0\r\nSEQEND\r\n8\r\nRunlines\r\n";
    }
    return out + "0\r\nENDSEC\r\n0\r\nEOF\r\n";
}

void importDxfBench(benchmark::State& state, bool lightweight)
{
    const std::string path = tempPath(lightweight ? "lw.dxf" : "r12.dxf");
    writeFileAtomically(path, dxfWithVertices(lightweight));
    for (auto _ : state) {
        auto m = std::make_unique<CanvasModel>();
        if (!ImportDxf(*m, path)) state.SkipWithError("import failed");
        state.PauseTiming();
        m.reset();
        state.ResumeTiming();
    }
    // Wall-clock seconds per vertex (the reporter prints e.g. "250ns").
    state.counters["per_vertex"] = benchmark::Counter(1e6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    std::filesystem::remove(path);
}

// Target: <= 2 microseconds per vertex.
void BM_ImportDxfLwpolyline1MVertices(benchmark::State& state) { importDxfBench(state, true); }
BENCHMARK(BM_ImportDxfLwpolyline1MVertices)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
void BM_ImportDxfPolylineVertex1MVertices(benchmark::State& state) { importDxfBench(state, false); }
BENCHMARK(BM_ImportDxfPolylineVertex1MVertices)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Target: <= 1 s for 1,000,000 vertices.
void BM_ExportDxf1MVertices(benchmark::State& state)
{
    CanvasModel m;
    fillPolylines(m, 1000, 1000);
    const std::string path = tempPath("export.dxf");
    for (auto _ : state)
        if (!ExportDxf(m, path)) state.SkipWithError("export failed");
    state.counters["bytes"] = double(std::filesystem::file_size(path));
    std::filesystem::remove(path);
}
BENCHMARK(BM_ExportDxf1MVertices)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
