// One tick of the main map with a survey day's track already drawn.
// Target: with 500,000 track segments on the map, one tick (position conversion through the datum
// and projection, the vessel symbol rebuilt, one track segment appended, status line and HUD
// values) takes at most 2 ms of model work; the repaint is the map widget's own budget.
#include "app/SharedValues.h"
#include "canvas/CanvasModel.h"
#include "nav/MapDisplayLoop.h"
#include "platform/Clock.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace vsx;

struct BenchEnv : MapLoopEnvironment {
    MapTickInputs in;
    std::optional<ProjectionSnapshot> snap;
    double hud = 0;

    BenchEnv()
    {
        GeodeticTexts t;
        t.localDatum = "6378388 297 -1.2 0.5 -0.3 1.1 -84.1 -101.8 -129.7";
        t.localEllipsoid = "6378388 297";
        t.projection = "27 0 0.9996 500000 0";
        snap = ProjectionSnapshot::take(t);
        in.fixQuality = 4;
        in.satellites = 18;
        in.speedLabelText = "5.2";
        in.trackDistance = 1;
    }
    void pollUdpInput() override {}
    MapTickInputs inputs() override { return in; }
    const ProjectionSnapshot* snapshot() override { return &*snap; }
    void handPositionToNtrip(double, double, double) override {}
    void showRealtimeValues(int, const std::string&, const std::string&, int, bool) override {}
    void showStatusPosition(const std::string&, const std::string&) override {}
    void showGnssSilent() override {}
    void setDepthHud(double, double, bool) override {}
    void setHudValue(double knots, bool) override { hud = knots; }
    void mirrorTrackToHelmsman(const std::string&, ColorValue, int, TrackPoint, TrackPoint, bool) override {}
    void showLatency(long, double) override {}
    std::optional<double> extraVesselCourse(size_t) override { return std::nullopt; }
};

void BM_MapTickWith500kTrackSegments(benchmark::State& st)
{
    VesselSensors = {{"Transducer", 1.5, -2.0}, {"Head", 0, 5}};
    CanvasModel canvas;
    const int fix = canvas.AddLayer("track_fix");
    canvas.AddLayer("track_float");
    canvas.AddLayer("track_nofix");
    const int vessel = canvas.AddLayer("~~Veldor Vessel");
    canvas.SetLayerColor(fix, clGreen);
    canvas.SetLayerWidth(fix, 3);
    double y = 4'300'000;
    for (int i = 0; i < 500'000; ++i, y += 1.2) canvas.AddLine(600000, y, 600000, y + 1.2, fix);

    RealtimeState state;
    state.MainTracklining = true;
    ReceiverFix gnss;
    BenchEnv env;
    MapDisplayLoop loop(state, gnss, canvas, env);
    loop.SetVesselLayer(vessel);
    double lat = 38.8;
    for (auto _ : st) {
        // A new fix every tick, 1.5 m further north, so every tick converts and adds a segment.
        lat += 1.5 / 111000.0;
        state.GpsLatitude = lat;
        state.GpsLongitude = 28.1;
        const auto now = vsx::clock().monotonic();
        gnss.current.Heard(now);
        gnss.current.Take({lat, 28.1, 0, 4}, now);
        loop.Tick();
        benchmark::DoNotOptimize(state.VesselNorthing);
    }
    st.counters["segments"] = double(canvas.LayerShapeCount(fix));
    VesselSensors.clear();
}
BENCHMARK(BM_MapTickWith500kTrackSegments)->Unit(benchmark::kMicrosecond);

} // namespace
