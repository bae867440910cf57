// Speed of the drawing files. Targets: saving a drawing of 500,000 line segments <= 1.5 s and
// loading it <= 1 s, and under twice a bare zlib inflate of the same file; DXF import <= 2
// microseconds per vertex and no slower per vertex than GDAL's own DXF reader in the same process,
// with a peak of under 100 MB for 1,000,000 vertices; DXF export of 1,000,000 vertices <= 1 s.
#include "canvas/CanvasModel.h"
#include "canvas/DxfExport.h"
#include "canvas/DxfImport.h"
#include "canvas/FileNumbers.h"
#include "canvas/ProjectFile.h"
#include "platform/AtomicFile.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <dlfcn.h>
#include <fstream>
#include <malloc.h>
#include <sys/wait.h>
#include <zlib.h>
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

// The same file's bytes inflated by zlib alone, into one buffer: what loading cannot beat.
void BM_InflateProject500kLines(benchmark::State& state)
{
    const std::string path = tempPath("inflate.vltx");
    {
        CanvasModel m;
        fillTrack(m, int(state.range(0)));
        SaveShapeFile(m, path, 0, false);
    }
    std::string bytes;
    readFile(path, bytes);
    std::string out;
    for (auto _ : state) {
        z_stream zs{};
        inflateInit(&zs);
        zs.next_in = reinterpret_cast<Bytef*>(bytes.data() + 4);
        zs.avail_in = uInt(bytes.size() - 4);
        out.resize(64 << 20);
        std::size_t total = 0;
        int rc = Z_OK;
        while (rc == Z_OK) {
            if (total == out.size()) out.resize(out.size() * 2);
            zs.next_out = reinterpret_cast<Bytef*>(out.data() + total);
            zs.avail_out = uInt(out.size() - total);
            rc = inflate(&zs, Z_NO_FLUSH);
            total = out.size() - zs.avail_out;
        }
        inflateEnd(&zs);
        benchmark::DoNotOptimize(total);
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_InflateProject500kLines)->Arg(500000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// A DXF of 1000 polylines of 1000 vertices: LWPOLYLINE records (release 2000 and later) or
// POLYLINE/VERTEX records (release 12, as our own export writes them); bulged, one LWPOLYLINE
// vertex in ten carries a bulge (an arc to the next vertex, as rounded corners are drawn).
std::string dxfWithVertices(bool lightweight, bool bulged = false)
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
            if (bulged && k % 10 == 0) out += "42\r\n0.25\r\n";
        }
        if (!lightweight) out += "0\r\nSEQEND\r\n8\r\nRunlines\r\n";
    }
    return out + "0\r\nENDSEC\r\n0\r\nEOF\r\n";
}

void importDxfBench(benchmark::State& state, bool lightweight, bool bulged = false)
{
    const std::string path = tempPath(lightweight ? "lw.dxf" : "r12.dxf");
    writeFileAtomically(path, dxfWithVertices(lightweight, bulged));
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
// The same file with one vertex in ten bulged: each of those 100,000 arcs is drawn with at least
// the 20 chords of an ARC, so the import makes about 2.9 million vertices. Per vertex of the file
// it costs the arcs' evaluation on top of the plain import (no target of its own).
void BM_ImportDxfLwpolylineBulged1MVertices(benchmark::State& state) { importDxfBench(state, true, true); }
BENCHMARK(BM_ImportDxfLwpolylineBulged1MVertices)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// GDAL's DXF reader in this process, through its C interface (loaded at run time, so the
// benchmark needs no GDAL headers): every feature read and its points counted.
struct Gdal {
    void* lib = dlopen("libgdal.so.32", RTLD_NOW | RTLD_LOCAL);
    template <class F> F fn(const char* name) const { return lib ? reinterpret_cast<F>(dlsym(lib, name)) : nullptr; }
};

void BM_GdalReadDxfPolylineVertex1MVertices(benchmark::State& state)
{
    static const Gdal gdal;
    const auto allRegister = gdal.fn<void (*)()>("GDALAllRegister");
    const auto openEx = gdal.fn<void* (*)(const char*, unsigned, const char* const*, const char* const*, const char* const*)>("GDALOpenEx");
    const auto getLayer = gdal.fn<void* (*)(void*, int)>("GDALDatasetGetLayer");
    const auto nextFeature = gdal.fn<void* (*)(void*)>("OGR_L_GetNextFeature");
    const auto geometry = gdal.fn<void* (*)(void*)>("OGR_F_GetGeometryRef");
    const auto pointCount = gdal.fn<int (*)(void*)>("OGR_G_GetPointCount");
    const auto destroy = gdal.fn<void (*)(void*)>("OGR_F_Destroy");
    const auto close = gdal.fn<void (*)(void*)>("GDALClose");
    if (!allRegister || !openEx || !getLayer || !nextFeature || !geometry || !pointCount || !destroy || !close) {
        state.SkipWithError("GDAL (libgdal.so.32) is not installed");
        return;
    }
    allRegister();
    const std::string path = tempPath("gdal.dxf");
    writeFileAtomically(path, dxfWithVertices(false));
    long long points = 0;
    for (auto _ : state) {
        void* ds = openEx(path.c_str(), 0x04 /* vector */, nullptr, nullptr, nullptr);
        if (!ds) {
            state.SkipWithError("GDAL cannot open the file");
            break;
        }
        points = 0;
        void* layer = getLayer(ds, 0);
        while (void* f = nextFeature(layer)) {
            if (void* g = geometry(f)) points += pointCount(g);
            destroy(f);
        }
        close(ds);
    }
    state.counters["points"] = double(points);
    state.counters["per_vertex"] = benchmark::Counter(1e6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    std::filesystem::remove(path);
}
BENCHMARK(BM_GdalReadDxfPolylineVertex1MVertices)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The memory the import of 1,000,000 POLYLINE/VERTEX vertices takes at its peak, measured in a
// child process from its resident size before the import (peak_MB; target under 100).
long statusKb(const char* key)
{
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::string(key).size()));
    return -1;
}

void BM_ImportDxfPeakMemory1MVertices(benchmark::State& state)
{
    const std::string path = tempPath("peak.dxf");
    writeFileAtomically(path, dxfWithVertices(false));
    double peakMb = 0;
    for (auto _ : state) {
        int fds[2];
        if (pipe(fds) != 0) break;
        const pid_t child = fork();
        if (child == 0) {
            // Free memory the heap still holds goes back first, so the import cannot hide in it;
            // then the peak restarts at the present size.
            malloc_trim(0);
            std::ofstream("/proc/self/clear_refs") << "5";
            const long before = statusKb("VmRSS:");
            CanvasModel m;
            ImportDxf(m, path);
            const double mb = double(statusKb("VmHWM:") - before) / 1024.0;
            [[maybe_unused]] const auto n = write(fds[1], &mb, sizeof mb);
            _exit(0);
        }
        double mb = 0;
        [[maybe_unused]] const auto n = read(fds[0], &mb, sizeof mb);
        waitpid(child, nullptr, 0);
        ::close(fds[0]);
        ::close(fds[1]);
        peakMb = mb;
    }
    state.counters["peak_MB"] = peakMb;
    std::filesystem::remove(path);
}
BENCHMARK(BM_ImportDxfPeakMemory1MVertices)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

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
