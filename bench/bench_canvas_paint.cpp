// Map painting on a 1920 x 1080 offscreen frame. Targets:
//  - a full rebuild showing a 1 000 000-segment track with the whole drawing in view: <= 30 ms,
//    with the track's own pen width (1 and 3 pixels);
//  - a map tick while following the vessel zoomed in on that drawing (vessel redrawn, one track
//    segment added, view re-centred, frame painted): <= 3 ms;
//  - a frame with 10 000 depth labels in view: <= 20 ms;
//  - a mouse move that only changes the cursor read-out: no rebuild (the run fails otherwise).
#include "canvas/VeldorCanvas.h"

#include <QApplication>
#include <QMouseEvent>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

using namespace vsx;

namespace {

QApplication& app()
{
    static int argc = 1;
    static char name[] = "bench_canvas_paint";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: at exit Qt's own statics may already be gone.
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

constexpr int kLines = 500;
constexpr int kSegmentsPerLine = 2000;  // 1 m segments on lines 2000 m long, 10 m apart

// A survey block: run lines sailed back and forth, with a little position noise.
struct SurveyCanvas {
    std::unique_ptr<TVeldorCanvas> canvas;
    int trackLayer = 0;
    int vesselLayer = 0;

    explicit SurveyCanvas(int penWidth)
    {
        app();
        canvas = std::make_unique<TVeldorCanvas>();
        canvas->resize(1920, 1080);
        CanvasModel& m = canvas->Model();
        m.Resize(1920, 1080);
        trackLayer = m.AddLayer("track_fix");
        m.SetLayerColor(trackLayer, 0x008000);
        m.SetLayerWidth(trackLayer, penWidth);
        unsigned noise = 12345;
        auto jitter = [&noise] {
            noise = noise * 1103515245u + 12345u;
            return ((noise >> 16) % 600) / 1000.0 - 0.3;
        };
        double px = 500000, py = 4500000;
        for (int line = 0; line < kLines; ++line) {
            const double y = 4500000 + line * 10.0;
            for (int i = 1; i <= kSegmentsPerLine; ++i) {
                const double x = line % 2 == 0 ? 500000 + i : 502000 - i;
                const double nx = x + jitter(), ny = y + jitter();
                m.AddLine(px, py, nx, ny, trackLayer);
                px = nx, py = ny;
            }
        }
        vesselLayer = m.AddLayer("~~Veldor Vessel");
        m.SetLayerColor(vesselLayer, clRed);
        m.SetLayerWidth(vesselLayer, 2);
        m.ZoomExtents();
        canvas->SetHudValue(5.2, true);
        QImage frame;
        canvas->RenderFrame(frame);  // builds the culling index once
    }

    void drawVessel(double x, double y)
    {
        CanvasModel& m = canvas->Model();
        m.DeleteLayerShapes(vesselLayer);
        m.AddLine(x, y, x + 10, y, vesselLayer);
        m.AddLine(x, y, x - 3, y + 3, vesselLayer);
        m.AddLine(x, y, x - 3, y - 3, vesselLayer);
        m.AddLine(x + 10, y, x - 3, y + 3, vesselLayer);
        m.AddLine(x + 10, y, x - 3, y - 3, vesselLayer);
        m.AddCircle(x, y, 10, vesselLayer);
        m.AddCircle(x, y, 20, vesselLayer);
    }
};

void BM_FullRebuild_1M_Track(benchmark::State& state)
{
    SurveyCanvas s(int(state.range(0)));
    QImage frame;
    for (auto _ : state) {
        s.canvas->Redraw();
        s.canvas->RenderFrame(frame);
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.counters["shapes_k"] = double(s.canvas->Model().ShapeCount()) / 1000;
}
BENCHMARK(BM_FullRebuild_1M_Track)->Arg(1)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond);

void BM_FollowVessel_1M_Track(benchmark::State& state)
{
    SurveyCanvas s(int(state.range(0)));
    CanvasModel& m = s.canvas->Model();
    // About 200 m across, on a line in the middle of the block.
    m.SetWorldWindow(500900, 4502600 + 56, 501100, 4502600 - 56);
    QImage frame;
    double x = 500900, y = 4502600;
    double lastX = x, lastY = y;
    for (auto _ : state) {
        x += 1.0;
        if (x > 501900) x = 500900;
        m.AddLine(lastX, lastY, x, y, s.trackLayer);
        lastX = x, lastY = y;
        s.drawVessel(x, y);
        m.CenterAt(x, y);
        s.canvas->RenderFrame(frame);
        benchmark::DoNotOptimize(frame.constBits());
    }
}
BENCHMARK(BM_FollowVessel_1M_Track)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_Frame_10k_DepthLabels(benchmark::State& state)
{
    app();
    TVeldorCanvas canvas;
    canvas.resize(1920, 1080);
    CanvasModel& m = canvas.Model();
    m.SetWorldWindow(0, 1080, 1920, 0);
    canvas.SetSoundingStyle(1, 0.5, "Arial", 9, clNavy);
    for (int i = 0; i < 10000; ++i) {
        const double x = 10 + (i % 100) * 19.0, y = 10 + (i / 100) * 10.6;
        canvas.AddSounding(x, y, 5 + (i % 377) * 0.1);
    }
    if (canvas.Soundings().size() != 10000) state.SkipWithError("labels were thinned out");
    QImage frame;
    canvas.RenderFrame(frame);
    for (auto _ : state) {
        canvas.update();
        canvas.RenderFrame(frame);  // the back buffer is reused: copy plus overlays
        benchmark::DoNotOptimize(frame.constBits());
    }
}
BENCHMARK(BM_Frame_10k_DepthLabels)->Unit(benchmark::kMillisecond);

void BM_MouseMove_CursorReadout(benchmark::State& state)
{
    SurveyCanvas s(1);
    double readout = 0;
    QObject::connect(s.canvas.get(), &TVeldorCanvas::OnWorldMouseMove,
                     [&readout](TVeldorCanvas*, int, double x, double, double, double) { readout = x; });
    QImage frame;
    int x = 100;
    const int before = s.canvas->RebuildCount();
    for (auto _ : state) {
        x = x >= 1800 ? 100 : x + 1;
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 500), QPointF(x, 500), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(s.canvas.get(), &move);
        s.canvas->RenderFrame(frame);
        benchmark::DoNotOptimize(readout);
    }
    if (s.canvas->RebuildCount() != before) state.SkipWithError("a mouse move rebuilt the back buffer");
}
BENCHMARK(BM_MouseMove_CursorReadout)->Unit(benchmark::kMillisecond);

} // namespace
