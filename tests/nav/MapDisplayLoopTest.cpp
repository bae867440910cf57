#include "nav/MapDisplayLoop.h"

#include "app/SharedValues.h"
#include "input/DisplayValues.h"
#include "nav/ExtraVesselTracker.h"
#include "nav/TrackRecorder.h"
#include "platform/Clock.h"

#include "NavTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace vsx;
using vsx::test::utm36;

namespace {

struct FakeMapEnv : MapLoopEnvironment {
    MapTickInputs in;
    std::optional<ProjectionSnapshot> snap = ProjectionSnapshot::take(utm36());
    std::string panel0, panel1;
    double hudSpeed = -1;
    bool hudSpeedShown = false, hudDepthShown = false;
    bool realtimeCurrent = false;  // the real-time window shows the receiver's values as current
    int udpPolls = 0;
    std::map<size_t, double> courses;
    std::vector<long> latencies;

    void pollUdpInput() override { ++udpPolls; }
    MapTickInputs inputs() override { return in; }
    const ProjectionSnapshot* snapshot() override { return snap ? &*snap : nullptr; }
    void handPositionToNtrip(double, double, double) override {}
    void showRealtimeValues(int, const std::string&, const std::string&, int, bool current) override
    {
        realtimeCurrent = current;
    }
    void showStatusPosition(const std::string& g, const std::string& e) override
    {
        panel0 = g;
        panel1 = e;
    }
    void showGnssSilent() override
    {
        panel0 = "silent";
        panel1.clear();
    }
    void setDepthHud(double, double, bool show) override { hudDepthShown = show; }
    void setHudValue(double knots, bool show) override
    {
        hudSpeed = knots;
        hudSpeedShown = show;
    }
    void mirrorTrackToHelmsman(const std::string&, ColorValue, int, TrackPoint, TrackPoint, bool) override {}
    void showLatency(long ms, double) override { latencies.push_back(ms); }
    std::optional<double> extraVesselCourse(size_t i) override
    {
        auto it = courses.find(i);
        return it == courses.end() ? std::nullopt : std::optional<double>(it->second);
    }
};

struct MapLoopTest : ::testing::Test {
    RealtimeState state;
    ReceiverFix gnss;
    CanvasModel canvas;
    FakeMapEnv env;
    MapDisplayLoop loop{state, gnss, canvas, env};
    int fix = -1, flt = -1, nofix = -1, vessel = -1;

    void SetUp() override
    {
        VesselSensors.clear();
        ExtraVessels.clear();
        ActiveTrackingSensor = -1;
        ShowDepthLabels = false;
        fix = canvas.AddLayer("track_fix");
        flt = canvas.AddLayer("track_float");
        nofix = canvas.AddLayer("track_nofix");
        vessel = canvas.AddLayer("~~Veldor Vessel");
        loop.SetVesselLayer(vessel);
        state.MainTracklining = true;
        env.in.trackDistance = 20;
    }
    void TearDown() override
    {
        VesselSensors.clear();
        ExtraVessels.clear();
    }
    // A GGA puts the vessel `north` metres north of 41° N on the central meridian (1e-5° is
    // about 1.11 m) with this fix quality; then a tick.
    void at(double north, int quality)
    {
        state.GpsLatitude = 41.0 + north / 111034.0;
        state.GpsLongitude = 33.0;
        const auto now = vsx::clock().monotonic();
        gnss.current.Heard(now);
        if (quality > 0) gnss.current.Take({state.GpsLatitude, state.GpsLongitude, 0, quality}, now);
        else gnss.current.Lose();
        env.in.fixQuality = quality;
        loop.Tick();
    }
};

} // namespace

TEST(TrackRecorder, StepsSpikesAndRestarts)
{
    // Positions along one axis, D = 20.
    struct Row {
        double x;
        bool have;
        int sensor;
        TrackRecorder::Step step;
    };
    using S = TrackRecorder::Step;
    const Row rows[] = {
        {0, false, -1, S::NoPosition},   // ticks before the first position leave nothing behind
        {0, false, -1, S::NoPosition},
        {1000, true, -1, S::Placed},     // the first position places the point
        {1019, true, -1, S::TooShort},
        {1020, true, -1, S::Segment},
        {1219, true, -1, S::Segment},    // 199 m: still one segment
        {1419, true, -1, S::Spike},      // 200 m: a single jump is a spike ...
        {1240, true, -1, S::Segment},    // ... and the track goes on from the old point
        {5000, true, -1, S::Spike},      // an outage: far positions that persist
        {5010, true, -1, S::Spike},
        {5020, true, -1, S::Placed},     // restart there, without a segment across the gap
        {5040, true, -1, S::Segment},
        {5100, true, 0, S::Placed},      // another tracked sensor: no segment joins the two points
        {5125, true, 0, S::Segment},
    };
    TrackRecorder r;
    for (const Row& row : rows) {
        const auto result = r.Advance({row.x, 0}, row.have, row.sensor, 20);
        EXPECT_EQ(int(result.step), int(row.step)) << "at " << row.x;
    }
    TrackRecorder zero;
    zero.Advance({0, 0}, true, -1, 0);
    for (double x : {5.0, 50.0, 500.0, 500.0, 500.0, 600.0})
        EXPECT_NE(int(zero.Advance({x, 0}, true, -1, 0).step), int(S::Segment)) << "D = 0 never adds a segment";
}

TEST_F(MapLoopTest, TrackStartsAfterEmptyTicksAndGoesToTheLayerOfItsFix)
{
    loop.Tick();
    loop.Tick();  // lines came before any position
    EXPECT_EQ(state.VesselEasting, 0);
    EXPECT_EQ(canvas.LayerShapeCount(vessel), 0);
    const double worldCentre = (canvas.WorldXMin() + canvas.WorldXMax()) / 2;
    EXPECT_EQ(worldCentre, 500) << "no position: the view is left where it was";

    at(0, 4);
    EXPECT_NEAR(state.VesselEasting, 500000, 1e-3);
    EXPECT_EQ(canvas.LayerShapeCount(vessel), 5 + 2) << "five arrow lines and two circles";
    at(25, 4);
    at(50, 5);
    at(75, 2);
    at(100, 3);
    at(125, 1);
    at(150, 0);
    at(160, 4);  // too short
    EXPECT_EQ(canvas.LayerShapeCount(fix), 1);
    EXPECT_EQ(canvas.LayerShapeCount(flt), 3);
    EXPECT_EQ(canvas.LayerShapeCount(nofix), 2);
    EXPECT_EQ(canvas.GetLayerColor(nofix), 255u);
    EXPECT_NEAR((canvas.WorldYMin() + canvas.WorldYMax()) / 2, state.VesselNorthing, 1e-6) << "the view follows";

    state.MainTracklining = false;
    at(200, 4);
    EXPECT_EQ(canvas.LayerShapeCount(fix), 1) << "without tracklining the point moves on, nothing is drawn";
    state.MainTracklining = true;
    at(225, 4);
    EXPECT_EQ(canvas.LayerShapeCount(fix), 2);
    double x1, y1, x2, y2;
    ASSERT_TRUE(canvas.GetLine(canvas.GetLayerShapeIds(fix).back(), x1, y1, x2, y2));
    EXPECT_NEAR(y1 - y2, 25, 0.05) << "the new segment starts where tracklining found the vessel";
}

TEST_F(MapLoopTest, StatusLineSymbolMarkersAndStatusBar)
{
    env.in.satellites = 14;
    env.in.speedLabelText = "4.26";
    env.in.sensorEnabled = true;
    env.in.sounderMessageType = "Veldor XDR H/L";
    state.RtkAntennaHeight = 32.456;
    state.RtkTide = 1.005;
    state.TrueDepthHi = 12.345;
    state.TrueDepthLo = 12.9;
    VesselSensors = {{"Transducer", 1.5, -2.0}, {"Head", 0, 5, clRed, false}};
    at(0, 4);
    EXPECT_EQ(state.HudStatusText,
              "RTK Fix | Spd: 4.3 kn | SV: 14 | Ant: 32.46 m | Tide: 1.01 m | HDepth: 12.35 m | LDepth: 12.90 m | Trk: GPS");
    EXPECT_EQ(canvas.LayerShapeCount(vessel), 7 + 3 + 1) << "one visible sensor: a circle, a cross and its label";

    ActiveTrackingSensor = 0;
    env.in.offsetsVisible = true;
    env.in.sensorEnabled = false;
    at(0, 7);
    EXPECT_EQ(state.HudStatusText, "Fix:7 | Spd: 4.3 kn | SV: 14 | Ant: 32.46 m | Tide: - m | Trk: Tra");
    EXPECT_EQ(canvas.LayerShapeCount(vessel), 7 + 4) << "the antenna marker and label, the hidden sensor not drawn";
    ActiveTrackingSensor = 5;
    state.NoValidPosition = true;
    at(0, 1);
    EXPECT_EQ(state.HudStatusText, "*** EMPTY GGA - NO POSITION ***");
    ActiveTrackingSensor = -1;

    EXPECT_EQ(env.panel1, "E500000.00, N4538757.06");
    state.GpsLatitude = 40.99999999;  // 59.99996" rounds into the next minute and degree
    state.GpsLongitude = 33 + 59.0 / 60 + 59.9996 / 3600;
    loop.Tick();
    EXPECT_EQ(env.panel0, "41\xC2\xB0" "0'0.000\"N, 34\xC2\xB0" "0'0.000\"E");
}

// Speed, satellites and heights are shown only with a current position; a stopped run shows no
// speed and no depth on the HUD.
TEST_F(MapLoopTest, NothingIsShownAsCurrentWithoutAPosition)
{
    env.in.sensorEnabled = true;
    state.SpeedKnots = 3.5;
    state.TrueDepthHi = 12.3;
    gnss.current.Heard(vsx::clock().monotonic());  // lines come, no fix yet in this run
    loop.Tick();
    EXPECT_EQ(state.HudStatusText, kNoPositionText);
    EXPECT_FALSE(env.realtimeCurrent);
    EXPECT_FALSE(env.hudSpeedShown);
    EXPECT_TRUE(env.panel0.empty()) << "no position on the status bar: " << env.panel0;

    at(0, 4);
    EXPECT_EQ(state.HudStatusText.rfind("RTK Fix | Spd: ", 0), 0u) << state.HudStatusText;
    EXPECT_TRUE(env.realtimeCurrent);
    EXPECT_TRUE(env.hudSpeedShown);
    EXPECT_TRUE(env.hudDepthShown);

    // A GGA whose position fields are empty takes the position away and says so.
    state.NoValidPosition = true;
    gnss.current.Lose();
    loop.Tick();
    EXPECT_EQ(state.HudStatusText, kEmptyGgaText);
    EXPECT_FALSE(env.realtimeCurrent);
    EXPECT_FALSE(env.hudSpeedShown);

    loop.ShowStopped();
    EXPECT_EQ(state.HudStatusText, kNoGnssDataText);
    EXPECT_FALSE(env.hudSpeedShown);
    EXPECT_FALSE(env.hudDepthShown);
}

TEST_F(MapLoopTest, FailedConversionEndsTheTickAndKeepsTheLastGoodPosition)
{
    at(0, 4);
    const double e = state.VesselEasting, n = state.VesselNorthing;
    state.GpsLatitude = 95;  // not on the ellipsoid
    const int before = canvas.ShapeCount();
    loop.Tick();
    EXPECT_EQ(state.VesselEasting, e);
    EXPECT_EQ(state.VesselNorthing, n);
    EXPECT_EQ(canvas.ShapeCount(), before) << "nothing of the tick after the conversion ran";
    env.snap.reset();
    at(30, 4);
    EXPECT_EQ(state.VesselNorthing, n) << "no snapshot: nothing converted";
}

TEST_F(MapLoopTest, LatencyIsMeasuredOnTheMonotonicClock)
{
    FakeClock fake({2026, 12, 31, 23, 59, 59, 990});
    setClock(&fake);
    env.in.latencyVisible = true;
    at(0, 4);
    at(30, 4);
    setClock(nullptr);
    EXPECT_EQ(state.Latency.samples, 2);
    EXPECT_EQ(env.latencies, (std::vector<long>{0, 0})) << "a frozen clock across midnight gives no negative figure";
}

TEST_F(MapLoopTest, ExtraVesselsTracksGatesHeadingsAndLayerNames)
{
    ExtraVessels.resize(3);
    for (MultiVesselEntry& e : ExtraVessels) {
        e.Enabled = true;
        e.Name = "Boat";
        e.Amount = 0;
    }
    MultiVesselEntry& v = ExtraVessels[2];
    v.HasPosition = true;
    v.Latitude = 41;
    v.Longitude = 33;
    state.OtherTracklining = true;
    env.courses[2] = 90;
    at(0, 4);
    const int track = canvas.FindLayer("track_vessel4"), symbol = canvas.FindLayer("~~Vessel4");
    ASSERT_GE(track, 0);
    ASSERT_GE(symbol, 0);
    EXPECT_EQ(canvas.FindLayer("~~Vessel2"), -1) << "a vessel without a position gets no layers";
    EXPECT_EQ(canvas.LayerShapeCount(symbol), 5 + 1) << "Amount 0: the arrow and the name";
    double x1, y1, x2, y2;
    canvas.GetLine(canvas.GetLayerShapeIds(symbol)[0], x1, y1, x2, y2);
    EXPECT_NEAR(x2 - x1, 100, 0.01) << "heading 0 from HDT: the receiver's course (east) is used";

    struct Step {
        double metres;
        int segments;
    };
    const Step steps[] = {{0.005, 0}, {0.02, 1}, {480, 2}, {530, 2}, {10, 3}};
    double north = 0;
    for (const Step& s : steps) {
        north += s.metres;
        v.Latitude = 41 + north / 111034.0;
        loop.Tick();
        EXPECT_EQ(canvas.LayerShapeCount(track), s.segments) << "after a move of " << s.metres;
    }
    state.OtherTracklining = false;
    v.Latitude += 30 / 111034.0;
    loop.Tick();
    EXPECT_EQ(canvas.LayerShapeCount(track), 3);
    state.OtherTracklining = true;
    v.Latitude += 30 / 111034.0;
    loop.Tick();
    ASSERT_EQ(canvas.LayerShapeCount(track), 4);
    canvas.GetLine(canvas.GetLayerShapeIds(track).back(), x1, y1, x2, y2);
    EXPECT_NEAR(y2 - y1, 30, 0.05) << "the first segment after a pause starts at the previous tick's position";

    ExtraVessels.resize(4);
    state.MapFollowTarget = 3;
    loop.Tick();
    EXPECT_NEAR((canvas.WorldYMin() + canvas.WorldYMax()) / 2, ExtraVessels[2].Northing, 1e-6) << "centred on vessel 4";
}
