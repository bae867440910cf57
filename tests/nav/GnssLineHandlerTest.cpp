#include "nav/GnssLineHandler.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "input/GgaForwarding.h"
#include "input/NmeaParser.h"
#include "nav/SensorOffset.h"
#include "nav/SyntheticGga.h"
#include "platform/Clock.h"

#include "NavTestSupport.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

using namespace vsx;
using namespace vsx::test;

namespace {

struct FakeEnv : GnssLineEnvironment {
    bool openedByRun = false;
    bool mapRunning = false;
    int mapStarts = 0;
    std::vector<std::string> echoed;
    std::optional<OffsetValues> offsets;
    std::optional<ProjectionSnapshot> snap = ProjectionSnapshot::take(utm36());
    bool gyro = true;
    std::vector<ColorValue> colours;

    bool receiverOpenedByRun() const override { return openedByRun; }
    bool mapTimerRunning() const override { return mapRunning; }
    void startMapTimer() override
    {
        mapRunning = true;
        ++mapStarts;
    }
    void echoToMonitor(std::string_view line) override { echoed.emplace_back(line); }
    std::optional<OffsetValues> offsetsToTakeOver() const override { return offsets; }
    const ProjectionSnapshot* snapshot() override { return snap ? &*snap : nullptr; }
    GridProjection gridProjection() const override { return GridProjection::TransverseMercator; }
    bool gyroEnabled() const override { return gyro; }
    void showFixColour(ColorValue c) override { colours.push_back(c); }
    void reportRejectedGga(std::string_view line, const char* problem) override
    {
        rejected.emplace_back(std::string(problem) + ": " + std::string(line));
    }
    std::vector<std::string> rejected;
};

// Forwarding and sensors reset around each test: they are process-wide.
struct GnssLineHandlerTest : ::testing::Test {
    TempHome home;
    RealtimeState state;
    FakeEnv env;
    GnssLineHandler handler{state, env};
    // The receiver's reading of each line, which the handler is given with the line.
    NmeaParser receiver;
    struct : NmeaParser::Listener {
        bool positionChanged(double, double, double) override { return true; }
        bool speedChanged(double) override { return true; }
    } events;

    void feed(std::string_view line)
    {
        const NmeaChecksum checksum = line.substr(0, 1) == "$" ? nmeaChecksum(line) : NmeaChecksum::Absent;
        handler.HandleLine(line, receiver.Read(line, checksum, vsx::clock().monotonic()), receiver.published());
        receiver.Commit(events);
    }
    // A new run, as the survey start makes one.
    void newRun()
    {
        receiver.forget();
        handler.NewRun();
    }
    const CurrentPosition& position() const { return receiver.published().current; }

    void SetUp() override
    {
        InitSharedValues();
        CreateDataFolders();
        VesselSensors.clear();
        SensorLogFiles.clear();
        ForwardEnabled = false;
        ForwardUseUdp = true;
        ForwardTarget = -1;
        ForwardUdpIp = "127.0.0.1";
    }
    void TearDown() override
    {
        CloseForwardTarget();
        ForwardEnabled = false;
        ForwardUdpPort = kDefaultForwardUdpPort;
        VesselSensors.clear();
        SensorLogFiles.clear();
    }
};

} // namespace

TEST_F(GnssLineHandlerTest, GgaFieldsGiveTimeEmptyStateAndRtkHeights)
{
    struct Row {
        const char* line;
        const char* time;
        bool empty;
        double rtkHeight;  // NaN: unchanged from 7.0
    };
    const double unchanged = std::nan("");
    const Row rows[] = {
        {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", "12:35:19", false, unchanged},
        {"$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,545.4,M,46.9,M,,*42", "12:35:19", false, 592.3},
        {"$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,545.4,M,,M,,", "12:35:19", false, 545.4},
        {"$GPGGA,235959.87,,,,,0,00,99.9,,,,,,*51", "23:59:59", true, unchanged},
        // A fix at midnight UTC is a position like any other.
        {"$GPGGA,000000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", "00:00:00", false, unchanged},
        // Cut short without a checksum: refused as a wrong checksum is, so nothing changes.
        {"$GPGGA,garbage", "00:00:00", false, unchanged},
        {"$GPGGA,123520,4807.038,N,01131.000,E,4,08,0.9,27", "00:00:00", false, unchanged},
    };
    env.offsets = OffsetValues{0.5, 1480, 1.5, 0.2};
    for (const Row& r : rows) {
        state.GgaTimeText = "00:00:00";
        state.NoValidPosition = false;
        state.RtkAntennaHeight = 7.0;
        feed(r.line);
        EXPECT_EQ(state.GgaTimeText, r.time) << r.line;
        EXPECT_EQ(state.NoValidPosition, r.empty) << r.line;
        if (std::isnan(r.rtkHeight)) {
            EXPECT_DOUBLE_EQ(state.RtkAntennaHeight, 7.0) << r.line;
        } else {
            EXPECT_NEAR(state.RtkAntennaHeight, r.rtkHeight, 1e-9) << r.line;
            EXPECT_NEAR(state.RtkTide, r.rtkHeight - 1.5, 1e-9) << r.line;
        }
    }
    EXPECT_DOUBLE_EQ(state.TransducerDraft, 0.5);
    EXPECT_DOUBLE_EQ(state.SoundVelocity, 1480);
}

TEST_F(GnssLineHandlerTest, HeadingAndSpeedSentences)
{
    struct Row {
        std::string line;
        double knots;  // expected SpeedKnots after the line
    };
    state.SpeedKnots = 9;
    const Row rows[] = {
        {rmc("123519", 48.1, 11.5, 5.5, 84.4), 5.5},
        // No fix: empty position and speed fields read as speed 0.
        {"$GPRMC,123520,V,,,,,,,101226,,,N", 0},
        // Receivers that leave the magnetic course empty still give their speed.
        {vtg(54.7, 6.25), 6.25},
        {"$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K", 5.5},
    };
    for (const Row& r : rows) {
        feed(r.line);
        EXPECT_DOUBLE_EQ(state.SpeedKnots, r.knots) << r.line;
    }
    feed("$HEHDT,274.07,T*19");
    EXPECT_DOUBLE_EQ(state.GyroHeading, 274.07);
    feed("$HEHDT,,T");
    EXPECT_DOUBLE_EQ(state.GyroHeading, 274.07) << "an unreadable heading keeps the last one";
}

TEST_F(GnssLineHandlerTest, MapStartEchoOffsetsAndFixColours)
{
    feed("$GPGSV,1");
    EXPECT_EQ(env.mapStarts, 0) << "no start before real time opened the receiver";
    env.openedByRun = true;
    state.TransducerDraft = 3;
    env.offsets.reset();  // the offsets window is open: its values are being edited
    feed("$GPGSV,2");
    feed("$GPGSV,3");
    EXPECT_EQ(env.mapStarts, 1);
    EXPECT_EQ(env.echoed.size(), 3u);
    EXPECT_DOUBLE_EQ(state.TransducerDraft, 3);

    const std::pair<int, ColorValue> fixes[] = {{4, 0x00FF00}, {2, 0xFFFF00}, {5, 0x00FFFF}, {3, 0x00FFFF},
                                                {1, 0x0000FF}, {0, 0x0000FF}, {7, 0x00FFFF}};
    for (auto [q, colour] : fixes) EXPECT_EQ(FixQualityColour(q), colour) << q;
    // The colour follows the fix quality of the line just heard, and changes with it only.
    env.colours.clear();
    feed(gga("101500.00", 41.0, 33.0, 4));
    EXPECT_EQ(env.colours, (std::vector<ColorValue>{0x00FF00})) << "the GGA's own quality, not the one before it";
    feed("$GPGSV,4");
    feed(gga("101501.00", 41.0, 33.0, 4));
    feed(gga("101502.00", 41.0, 33.0, 1));
    EXPECT_EQ(env.colours, (std::vector<ColorValue>{0x00FF00, 0x0000FF})) << "the colour changes with the fix only";
    std::string wrongSum = gga("101503.00", 41.0, 33.0, 4);
    wrongSum.back() = wrongSum.back() == '0' ? '1' : '0';
    feed(wrongSum);
    EXPECT_EQ(env.colours.size(), 2u) << "a sentence with a wrong checksum changes no colour";
}

TEST(SyntheticGga, SentencesTalkersAndMinutes)
{
    EXPECT_EQ(SensorTalker("x"), "GP");
    EXPECT_EQ(SensorTalker("he1"), "HE");
    EXPECT_EQ(SensorTalker("7a"), "GP");
    EXPECT_EQ(SensorTalker("\xDE" "a"), "GP") << "a Windows-1254 letter is not an address character";
    EXPECT_EQ(SyntheticTimeField("12:35:19"), "123519.00");
    EXPECT_EQ(BuildSyntheticGga("HE", "123519.40", -0.5, 33.25, 4),
              sentence("HEGGA,123519.40,0030.000000,S,03315.000000,E,4,00,0.0,0.0,M,0.0,M,,"));
    EXPECT_EQ(BuildSyntheticGga("HE", "123519.00", -0.5, 33.25, 4),
              sentence("HEGGA,123519.00,0030.000000,S,03315.000000,E,4,00,0.0,0.0,M,0.0,M,,"));
    // 59.9999996' rounds up into the next degree instead of reading 60.000000.
    const double lat = 48 + 59.9999996 / 60, lon = -(11 + 59.99999996 / 60);
    EXPECT_EQ(BuildSyntheticGga("GP", "000001.00", lat, lon, 1),
              sentence("GPGGA,000001.00,4900.000000,N,01200.000000,W,1,00,0.0,0.0,M,0.0,M,,"));
    const std::string s = BuildSyntheticGga("GP", "010203.00", 41.0123456789, 29.0011, 2);
    EXPECT_EQ(nmeaChecksum(s), NmeaChecksum::Valid);
    std::vector<std::string_view> f;
    SplitFields(s, f);
    EXPECT_NEAR(NmeaToDegrees(f[2], f[3]), 41.0123456789, 1e-8);
}

TEST_F(GnssLineHandlerTest, ForwardingRoutesAntennaAndSensorsToTheirPorts)
{
    UdpSinks sinks(3);
    ASSERT_GT(sinks.base(), 0);
    VesselSensors = {{"Transducer", 1.5, -2.0}, {"Head", 0.0, 5.0}};
    ForwardEnabled = true;
    ForwardUdpPort = sinks.base();
    OpenForwardTarget(GetIniFileName());
    const std::string line = gga("101500.00", 41.0, 33.0, 4);

    ForwardTarget = -1;  // ALL
    feed(hdt(12.5));
    feed(line);
    feed("$GPGGA,101501.00,,,,,0,00,99.9,,,,,,");  // empty: nothing goes out
    EXPECT_EQ(sinks.take(0), (std::vector<std::string>{line + "\r\n"}));
    const auto s0 = sinks.take(1), s1 = sinks.take(2);
    ASSERT_EQ(s0.size(), 1u);
    ASSERT_EQ(s1.size(), 1u);
    EXPECT_EQ(s0[0].substr(0, 7), "$TRGGA,");
    EXPECT_EQ(s1[0].substr(0, 7), "$HEGGA,");

    ForwardTarget = 2;  // the second sensor alone, on the port set for it
    ForwardUdpPort = sinks.base() + 2;
    feed(line);
    EXPECT_TRUE(sinks.take(0).empty());
    EXPECT_TRUE(sinks.take(1).empty());
    EXPECT_EQ(sinks.take(2).size(), 1u);

    const std::string events = home.readFile(EventsLogFileName().substr(home.root().size()));
    const std::string logged = "UDP send to 127.0.0.1:" + std::to_string(sinks.base() + 1) + " result=";
    EXPECT_NE(events.find(logged), std::string::npos) << events;
    EXPECT_EQ(events.find("UDP send to", events.find(logged) + 1), std::string::npos) << "logged once only";
}

TEST_F(GnssLineHandlerTest, SensorSentencesCarryTheOffsetPositionOfThisEpoch)
{
    // Heading 90°: a sensor 10 m towards the bow lies 10 m grid-east of the antenna (plus the
    // convergence); one 4 m to starboard lies 4 m grid-south.
    VesselSensors = {{"Bow", 0.0, 10.0}, {"Stb", 4.0, 0.0}};
    SensorLogFiles = {std::make_shared<AppendFile>(LogFolder + "bow.log"), nullptr};
    feed(hdt(90));
    const double lat = 41.2, lon = 34.1;
    feed(gga("080910.00", lat, lon, 5));
    EXPECT_EQ(handler.SyntheticSentences(), 2) << "a sensor without a log file still gets its sentence";

    const std::string log = home.readFile((LogFolder + "bow.log").substr(home.root().size()));
    ASSERT_GT(log.size(), 24u);
    EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
    const std::string sent = log.substr(24, log.size() - 26);
    EXPECT_EQ(sent.substr(0, 17), "$BOGGA,080910.00,") << sent;
    std::vector<std::string_view> f;
    SplitFields(sent, f);
    EXPECT_EQ(f[6], "5");
    const double sLat = NmeaToDegrees(f[2], f[3]), sLon = NmeaToDegrees(f[4], f[5]);

    const auto a = env.snap->toGrid(lat, lon, 0, GridProjection::TransverseMercator);
    const auto s = env.snap->toGrid(sLat, sLon, 0, GridProjection::TransverseMercator);
    ASSERT_TRUE(a && s);
    const GridOffsetPoint expected = SensorGridPosition(a->easting, a->northing, 90 + a->convergence, 0, 10);
    EXPECT_NEAR(s->easting, expected.easting, 0.002);
    EXPECT_NEAR(s->northing, expected.northing, 0.002);
}

// A sensor is placed only with a heading that is known and current: the gyro's while the gyro is
// on, the course over ground while it is off. Its sentence carries the antenna's own time.
TEST_F(GnssLineHandlerTest, SensorSentencesWaitForACurrentHeadingAndKeepTheAntennaTime)
{
    FakeClock fake(LocalDateTime{2026, 12, 10, 8, 9, 0, 0});
    struct RealClockAfter {
        ~RealClockAfter() { setClock(nullptr); }
    } restore;
    setClock(&fake);
    UdpSinks sinks(2);
    ASSERT_GT(sinks.base(), 0);
    VesselSensors = {{"Transducer", 0.0, -10.0}};
    ForwardEnabled = true;
    ForwardTarget = -1;
    ForwardUdpPort = sinks.base();
    OpenForwardTarget(GetIniFileName());
    const auto sent = [&] {
        std::vector<std::string> times;
        for (const std::string& d : sinks.take(1)) {
            std::vector<std::string_view> f;
            SplitFields(d, f);
            times.emplace_back(f[1]);
        }
        return times;
    };
    using V = std::vector<std::string>;
    const auto step = [&](const std::string& line, int ms = 0) {
        fake.advance(std::chrono::milliseconds(ms));
        feed(line);
    };

    env.gyro = true;
    step(gga("080900.20", 41.0, 33.0, 4));
    EXPECT_EQ(sent(), V{}) << "no heading has arrived yet";
    step(rmc("080900.20", 41.0, 33.0, 5, 45));
    step(gga("080900.40", 41.0, 33.0, 4), 200);
    EXPECT_EQ(sent(), V{}) << "with the gyro on, the course over ground does not place the sensors";
    step(hdt(45));
    step(gga("080900.60", 41.0, 33.0, 4), 200);
    step(gga("080900.80", 41.0, 33.0, 4), 200);
    step(gga("080901", 41.0, 33.0, 4), 200);
    EXPECT_EQ(sent(), (V{"080900.60", "080900.80", "080901"})) << "the antenna's own time, as it came";
    step(gga("080903.00", 41.0, 33.0, 4), 2000);
    EXPECT_EQ(sent(), V{}) << "the gyro fell silent: its last heading is too old";
    step(hdt(46));
    step(gga("080903.20", 41.0, 33.0, 4), 100);
    EXPECT_EQ(sent(), V{"080903.20"});

    newRun();
    step(gga("080904.00", 41.0, 33.0, 4), 100);
    EXPECT_EQ(sent(), V{}) << "a new run starts without a heading";

    env.gyro = false;
    step(hdt(46));
    step(gga("080904.20", 41.0, 33.0, 4), 100);
    step(sentence("GPRMC,080904.20,A,4100.00,N,03300.00,E,0.00,,101226,,,A"));
    step(gga("080904.40", 41.0, 33.0, 4), 100);
    EXPECT_EQ(sent(), V{}) << "gyro off: no course over ground yet (an empty course field is none)";
    step(vtg(30, 5));
    step(gga("080904.60", 41.0, 33.0, 4), 100);
    EXPECT_EQ(sent(), V{"080904.60"});
}

// What the GGA lines leave for the sounding records: the fix of a good sentence, taken away by a
// sentence without a fix. Impossible values change nothing but a count, said once per run.
TEST_F(GnssLineHandlerTest, RecordsTakeThePositionOfGoodGgaOnly)
{
    UdpSinks sinks(1);
    ASSERT_GT(sinks.base(), 0);
    ForwardEnabled = true;
    ForwardTarget = 0;
    ForwardUdpPort = sinks.base();
    OpenForwardTarget(GetIniFileName());
    auto now = [] { return vsx::clock().monotonic(); };

    const std::string good = gga("101500.00", 41.0, 33.0, 4, 45.5, 20.1);
    feed(good);
    auto fix = position().At(now());
    ASSERT_TRUE(fix);
    EXPECT_NEAR(fix->latitude, 41.0, 1e-9);
    EXPECT_NEAR(fix->longitude, 33.0, 1e-9);
    EXPECT_DOUBLE_EQ(fix->altitude, 45.5);
    EXPECT_EQ(fix->fixQuality, 4);
    EXPECT_NEAR(state.RtkAntennaHeight, 65.6, 1e-9);

    const std::string hostile[] = {
        sentence("GPGGA,101501.00,4100.000,N,20000.000,E,4,12,0.8,45.5,M,20.1,M,,"),
        sentence("GPGGA,101501.00,9500.000,N,03300.000,E,4,12,0.8,45.5,M,20.1,M,,"),
        sentence("GPGGA,101501.00,4100.000,N,03300.000,E,4,12,0.8,1e9,M,20.1,M,,"),
        sentence("GPGGA,101501.00,4100.000,N,03300.000,E,99,12,0.8,45.5,M,20.1,M,,"),
        sentence("GPGGA,101501.00,NaN,N,03300.000,E,4,12,0.8,45.5,M,20.1,M,,"),
        sentence("GPGGA,101501.00,4100.000,N,03300.000,E,,12,0.8,45.5,M,20.1,M,,"),
    };
    for (const std::string& line : hostile) feed(line);
    EXPECT_EQ(state.RejectedGgaCount, 6);
    ASSERT_EQ(env.rejected.size(), 1u) << "said once, not per line";
    EXPECT_EQ(env.rejected[0], "longitude: " + hostile[0]);
    EXPECT_TRUE(state.NoValidPosition);
    fix = position().At(now());
    ASSERT_TRUE(fix);
    EXPECT_NEAR(fix->latitude, 41.0, 1e-9) << "the last good fix stands until it ages";
    EXPECT_NEAR(state.RtkAntennaHeight, 65.6, 1e-9) << "no antenna height from 1e9";
    EXPECT_EQ(state.GgaTimeText, "10:15:00");
    EXPECT_EQ(sinks.take(0), (std::vector<std::string>{good + "\r\n"})) << "nothing refused is forwarded";

    // A sentence whose checksum is wrong is not taken either (the receiver does not take it).
    std::string wrongSum = gga("101502.00", 42.0, 33.0, 4);
    wrongSum[wrongSum.size() - 1] = wrongSum.back() == '0' ? '1' : '0';
    feed(wrongSum);
    EXPECT_NEAR(position().At(now())->latitude, 41.0, 1e-9);

    // A sentence without a fix takes the position away at once; the receiver is still heard.
    feed(gga("101503.00", 41.0, 33.0, 0));
    EXPECT_FALSE(position().At(now()));
    EXPECT_FALSE(position().SilentAt(now(), std::chrono::seconds(10)));
    feed(good);
    EXPECT_TRUE(position().At(now()));

    // A new run starts with nothing heard, no position, no RTK height and a new count.
    newRun();
    EXPECT_FALSE(position().At(now()));
    EXPECT_EQ(state.RtkAntennaHeight, 0);
    EXPECT_EQ(state.RtkTide, 0);
    EXPECT_TRUE(position().SilentAt(now(), std::chrono::seconds(10)));
    EXPECT_EQ(state.RejectedGgaCount, 0);
    feed(hostile[1]);
    ASSERT_EQ(env.rejected.size(), 2u);
    EXPECT_EQ(env.rejected[1].substr(0, 9), "latitude:");
}
