// The imagery step of a map rebuild on a 1920 x 1080 back buffer, every tile at hand in memory.
// Target: <= 10 ms for a view of about 100 tiles, unrotated. Painting never waits for the
// network: tiles not at hand are only asked for, so a view with none cached costs the same step
// without the drawing (the "nothing cached" case, with the server unreachable).
#include "canvas/CanvasModel.h"
#include "canvas/CanvasViewMapping.h"
#include "canvas/WorldImagery.h"

#include <QApplication>
#include <QBuffer>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>

using namespace vsx;

namespace {

QApplication& app()
{
    static int argc = 1;
    static char name[] = "bench_imagery";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

// A flat conversion scaled so that a zoom-16 tile spans about 90 m: a 1 km view needs about
// a hundred of them.
class SmallTiles : public ImageryGeoreference {
public:
    static constexpr double kLat0 = 41.01, kLon0 = 28.03, kShrink = 5.0;
    bool Ready() const override { return true; }
    bool ToGrid(double lat, double lon, double& e, double& n) const override
    {
        e = 500000 + (lon - kLon0) * 111320 * std::cos(kLat0 * std::numbers::pi / 180) / kShrink;
        n = 4500000 + (lat - kLat0) * 110540 / kShrink;
        return true;
    }
    bool ToWgs84(double e, double n, double& lat, double& lon) const override
    {
        lon = kLon0 + (e - 500000) * kShrink / (111320 * std::cos(kLat0 * std::numbers::pi / 180));
        lat = kLat0 + (n - 4500000) * kShrink / 110540;
        return true;
    }
    int Generation() const override { return 1; }
};

QByteArray jpegTile()
{
    QImage image(256, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) image.setPixel(x, y, qRgb(x, y, (x ^ y) & 0xFF));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}

void runStep(benchmark::State& state, bool cached, double rotation)
{
    app();
    SmallTiles georeference;
    WorldImagery imagery;
    imagery.SetGeoreference(&georeference);
    imagery.SetShown(true);
    TileServer unreachable;
    unreachable.scheme = "http";
    unreachable.host = "127.0.0.1";
    unreachable.port = 9;  // discard: refused at once
    imagery.SetServer(unreachable);
    CanvasModel model;
    model.Resize(1920, 1080);
    model.SetWorldWindow(499500, 4500281.25, 500500, 4499718.75);
    if (rotation != 0) {
        model.SetRotationCenter(500000, 4500000);
        model.SetRotation(rotation);
    }
    QImage buffer(1920, 1080, QImage::Format_RGB32);
    if (cached) {
        // Fill the memory cache with every tile of the view.
        const CanvasViewMapping mapping(model);
        QPainter probe(&buffer);
        imagery.Draw(probe, model, mapping);
        const QByteArray tile = jpegTile();
        const WorldBox box = mapping.VisibleBox();
        double s = 0, w = 0, n = 0, e = 0;
        georeference.ToWgs84(box.XMin, box.YMin, s, w);
        georeference.ToWgs84(box.XMax, box.YMax, n, e);
        const TileRange r = ImageryTileRange(s, w, n, e, imagery.LastZoom(), WorldImagery::MaxTilesPerView);
        for (int y = r.y1; y <= r.y2; ++y)
            for (int x = r.x1; x <= r.x2; ++x) imagery.Store().Store({r.z, x, y}, tile);
    }
    for (auto _ : state) {
        QPainter painter(&buffer);
        const CanvasViewMapping mapping(model);
        imagery.Draw(painter, model, mapping);
        benchmark::DoNotOptimize(buffer.constBits());
    }
    state.counters["tiles_drawn"] = imagery.LastTilesDrawn();
    state.counters["zoom"] = imagery.LastZoom();
}

void BM_ImageryStepHundredCachedTiles(benchmark::State& state) { runStep(state, true, 0); }
void BM_ImageryStepHundredCachedTilesTurned(benchmark::State& state) { runStep(state, true, 30); }
void BM_ImageryStepNothingCached(benchmark::State& state) { runStep(state, false, 0); }

} // namespace

BENCHMARK(BM_ImageryStepHundredCachedTiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageryStepHundredCachedTilesTurned)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageryStepNothingCached)->Unit(benchmark::kMillisecond);
