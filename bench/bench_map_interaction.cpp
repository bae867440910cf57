// The main map's commands on a day's drawing, the helmsman refresh and the screenshot stall.
// Targets:
//  - a track lasso (the polygon over half the drawing), deleting a track layer and the
//    nearest-line search of "Select Runline Here", each at 200 000 shapes: under 100 ms;
//  - one helmsman refresh (selection check, corridor, vessels, one mirrored segment) with
//    100 000 mirrored track segments: under 5 ms of work on the drawings;
//  - the screenshot's share of the interactive thread at 1920 x 1080 (grab handed over, the
//    encoding and writing on the worker): under 50 ms.
#include "canvas/CanvasModel.h"
#include "nav/HelmsmanScene.h"
#include "nav/MapSelection.h"
#include "nav/ScreenshotWriter.h"
#include "nav/TrackClearing.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

using namespace vsx;

namespace {

QCoreApplication& app()
{
    static int argc = 1;
    static char name[] = "bench_map_interaction";
    static char* argv[] = {name, nullptr};
    // Never destroyed: at exit Qt's own statics may already be gone.
    static QCoreApplication* instance = new QCoreApplication(argc, argv);
    return *instance;
}

constexpr int kShapes = 200000;

// 200 000 shapes: a surveyed block of 1 m track segments on the three track layers (lines 10 m
// apart, 1000 m long), with run lines and user shapes making up a tenth.
std::unique_ptr<CanvasModel> dayDrawing()
{
    auto m = std::make_unique<CanvasModel>();
    m->Resize(1920, 1080);
    const int layers[] = {m->AddLayer("track_fix"), m->AddLayer("track_float"), m->AddLayer("track_nofix")};
    const int runlines = m->AddLayer("Veldor_Runlines");
    const int user = m->AddLayer("veldor_usershape");
    int n = 0;
    for (int line = 0; n < kShapes * 9 / 10; ++line)
        for (int i = 0; i < 1000 && n < kShapes * 9 / 10; ++i, ++n)
            m->AddLine(i, line * 10.0, i + 1, line * 10.0, layers[(i / 100) % 3]);
    for (int k = 0; n < kShapes; ++k, ++n) {
        if (k % 2) m->AddPolyline({{k * 0.1, -5.0}, {k * 0.1 + 3, 2000.0}, {k * 0.1 + 5, 2100.0}}, runlines, 0);
        else m->AddPoint(k * 0.05, k * 0.01, user);
    }
    m->SetWorldWindow(-50, 2100, 1050, -50);
    return m;
}

void BM_TrackLasso_200k_target_under_100ms(benchmark::State& state)
{
    auto m = dayDrawing();
    const WorldPoints half{{-10, -10}, {500, -10}, {500, 2200}, {-10, 2200}};
    MapSelection s;
    for (auto _ : state) {
        state.PauseTiming();
        s.StartTracks(*m);
        m->AddPolyline(half, m->CurrentLayer(), 1);
        state.ResumeTiming();
        const auto f = s.FinishDrawing(*m, 6, half);
        benchmark::DoNotOptimize(f);
    }
    state.SetLabel(std::to_string(m->SelectedCount()) + " selected");
}
BENCHMARK(BM_TrackLasso_200k_target_under_100ms)->Unit(benchmark::kMillisecond);

void BM_DeleteLassoedTracks_200k_target_under_100ms(benchmark::State& state)
{
    const WorldPoints half{{-10, -10}, {500, -10}, {500, 2200}, {-10, 2200}};
    for (auto _ : state) {
        state.PauseTiming();
        auto m = dayDrawing();
        MapSelection s;
        s.StartTracks(*m);
        s.FinishDrawing(*m, 6, half);
        state.ResumeTiming();
        m->DeleteSelected();
        state.PauseTiming();
        m.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteLassoedTracks_200k_target_under_100ms)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ClearTrackLayer_200k_target_under_100ms(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto m = dayDrawing();
        state.ResumeTiming();
        benchmark::DoNotOptimize(ClearTrackLayer(*m, TrackClass::Fixed));
        state.PauseTiming();
        m.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ClearTrackLayer_200k_target_under_100ms)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_NearestRunline_200k_target_under_100ms(benchmark::State& state)
{
    auto m = dayDrawing();
    int found = -1;
    for (auto _ : state) found = m->FindNearestLine(500, 1000, 25);
    if (found < 0) state.SkipWithError("no run line found");
}
BENCHMARK(BM_NearestRunline_200k_target_under_100ms)->Unit(benchmark::kMillisecond);

void BM_HelmsmanRefresh_100kTrack_target_under_5ms(benchmark::State& state)
{
    CanvasModel main, helm;
    main.Resize(1920, 1080);
    helm.Resize(1000, 760);
    const int line = main.AddPolyline({{500000, 4500000}, {500000, 4500250}}, main.AddLayer("Veldor_Runlines"), 0);
    main.SelectShape(line, false);
    HelmsmanScene scene(helm);
    HelmsmanInputs in;
    in.vesselEasting = 500003;
    in.vesselNorthing = 4500100;
    in.gridHeading = 2;
    in.halfWidth = 10;
    std::vector<MultiVesselEntry> vessels(2);
    for (size_t i = 0; i < vessels.size(); ++i) {
        vessels[i].Enabled = vessels[i].HasPosition = true;
        vessels[i].Easting = 500050 + 20.0 * i;
        vessels[i].Northing = 4500120;
    }
    scene.CopySelection(main, false, in);
    double y = 4499000;
    for (int i = 0; i < 100000; ++i, y += 0.5)
        scene.MirrorTrack(i % 7 ? "track_fix" : "track_float", 0x008000, 3, {500000, y + 0.5}, {500000, y}, true);
    for (auto _ : state) {
        scene.MirrorTrack("track_fix", 0x008000, 3, {500000, y + 0.5}, {500000, y}, true);
        y += 0.5;
        in.vesselNorthing += 0.5;
        scene.CopyIfSelectionChanged(main, in);
        scene.Refresh(&main, in, vessels);
    }
    state.SetLabel(std::to_string(helm.ShapeCount()) + " shapes on the helmsman map");
}
BENCHMARK(BM_HelmsmanRefresh_100kTrack_target_under_5ms)->Unit(benchmark::kMicrosecond);

// A screen grab as the window system hands it over: a fresh 1920 x 1080 picture each time.
class FullHdScreen : public ScreenSource {
public:
    FullHdScreen() : picture_(1920, 1080, QImage::Format_RGB32)
    {
        for (int y = 0; y < picture_.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(picture_.scanLine(y));
            for (int x = 0; x < picture_.width(); ++x) row[x] = qRgb(x & 255, y & 255, (x ^ y) & 255);
        }
    }
    std::vector<MonitorRect> Monitors() override { return {{0, 0, 1920, 1080}}; }
    QImage Grab(size_t) override { return picture_.copy(); }

private:
    QImage picture_;
};

void BM_ScreenshotStall_1920x1080_target_under_50ms(benchmark::State& state)
{
    app();
    QTemporaryDir dir;
    FullHdScreen screen;
    ScreenshotWriter writer;
    LocalDateTime t;
    for (auto _ : state) {
        writer.Take(screen, dir.path().toStdString() + "/", t);
        state.PauseTiming();
        writer.WaitForDone();
        state.ResumeTiming();
    }
    state.SetLabel("interactive thread only; the PNG is written on the worker");
}
BENCHMARK(BM_ScreenshotStall_1920x1080_target_under_50ms)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ScreenshotWorkerEncode_1920x1080(benchmark::State& state)
{
    QTemporaryDir dir;
    FullHdScreen screen;
    const QImage picture = screen.Grab(0);
    const std::string path = dir.path().toStdString() + "/shot.png";
    for (auto _ : state)
        if (!ScreenshotWriter::WritePng(picture, path).empty()) state.SkipWithError("not written");
    state.SetLabel("off the interactive thread: conversion, level-9 PNG, write");
}
BENCHMARK(BM_ScreenshotWorkerEncode_1920x1080)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
