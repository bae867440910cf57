// The whole program, offscreen, on where the vessel is and when that is known: a GNSS receiver
// over UDP alone reaching the map; a GNSS receiver on a pseudo-terminal falling silent for 20 s
// while the echosounder goes on (every depth keeps its record, none takes a stale position, every
// grid position is PROJ's for the record's own latitude and longitude); and hostile GGA values
// that must give no position at all.
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "program/ProgramStart.h"
#include "app/windows/WindowPointers.h"
#include "canvas/VeldorCanvas.h"
#include "input/TVeldorSerialGPS.h"
#include "input/windows/DeviceSettingsPanels.h"
#include "input/windows/ForwardingGroups.h"
#include "input/windows/DeviceSettingsWindow.h"
#include "nav/MapDisplayLoop.h"
#include "nav/RealtimeState.h"
#include "nav/windows/MainWindow.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "tools/windows/RealtimeDataWindow.h"

#include "NavTestSupport.h"
#include "support/ControlInput.h"
#include "support/MissingPeer.h"
#include "support/PtyPair.h"
#include "support/TempHome.h"

#include <QLabel>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <sstream>

using namespace vsx;
using namespace vsx::test;
using namespace std::chrono_literals;

namespace {

void writeSerialSettings(const std::string& iniPath)
{
    IniFile ini(iniPath);
    for (const auto& [section, port] : {std::pair{"GPS1 COMUNICATION SETTINGS", "COM5"},
                                        std::pair{"SENSOR COMUNICATION SETTINGS", "COM6"}}) {
        ini.writeString(section, "Port No", port);
        ini.writeString(section, "Baud Rate", "9600");
        ini.writeString(section, "Delay", "10");
    }
    ini.writeBool("SENSOR COMUNICATION SETTINGS", "Sensor Enabled", true);
    ini.writeString("SENSOR COMUNICATION SETTINGS", "cSBESMessage", "NMEA DPT");
    ini.writeString("SENSOR COMUNICATION SETTINGS", "eSBESFormat", "%*6s,%lf");
    for (const auto& [key, value] : {std::pair{"Offset A", "0.5"}, std::pair{"Offset B", "2.0"},
                                     std::pair{"Offset C", "1.5"}, std::pair{"SV", "1500"},
                                     std::pair{"Tide Height", "0.3"}})
        ini.writeString("ECHOSOUNDER_OFFSETS", key, value);
    writeLocalGridSettings(ini);
}

std::string relative(const TempHome& home, const std::string& path) { return path.substr(home.root().size()); }

double number(const std::string& text) { return parseDouble(text).value_or(-1e300); }

const CanvasSettings& hud() { return FNav->fcad->Settings(); }

bool startedFirstShow()
{
    return QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 10000);
}

} // namespace

TEST(EndToEndPosition, GnssOverUdpAloneStartedByTheRealtimeButtonReachesTheMap)
{
    if (!haveCct()) VSX_SKIP_MISSING() << "'cct' is not installed (Debian package proj-bin); the PROJ comparison is skipped";
    TempHome home;
    // The receiver's silence below is counted on a clock of the test's own.
    FakeClock clock({2024, 5, 1, 10, 15, 0, 0});
    ClockGuard clockGuard(clock);
    const int port = freeUdpPort();
    ASSERT_GT(port, 0);
    {
        IniFile ini(GetIniFileName());  // makes the settings folder
        writeLocalGridSettings(ini);
        ini.writeBool("SENSOR COMUNICATION SETTINGS", "Sensor Enabled", false);
        ini.writeBool("GPS_UDP", "Enabled", true);
        ini.writeString("GPS_UDP", "Port", std::to_string(port));
        ini.writeBool("GPS_UDP", "AutoConnect", true);
    }
    InitSharedValues();
    CreateAllWindows();
    ASSERT_TRUE(startedFirstShow());

    click(FNav->bRealtime);
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    EXPECT_FALSE(FNav->ZGPS1->Connected()) << "the serial receiver stays closed with UDP input";
    EXPECT_EQ(FGPS->forwardingPanel()->udpInput()->lblTCPStatus->text(), QStringLiteral("Listening:%1").arg(port));

    // Two seconds at 5 Hz, heading north at 2 m/s, each epoch in its own datagram, sent once the
    // one before is taken in.
    UdpSender sender;
    ASSERT_TRUE(sender.open());
    const RealtimeState& st = realtimeState();
    double lat = 0;
    for (int k = 0; k < 10; ++k) {
        lat = 41.01 + k * 0.4 / 111050.0;
        char t[16];
        std::snprintf(t, sizeof t, "1015%02d.%02d", k / 5, (k % 5) * 20);
        ASSERT_TRUE(sender.sendTo("127.0.0.1", port, gga(t, lat, 28.03, 4, 52.3, 36.1) + "\r\n" + hdt(0.0) + "\r\n"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return std::fabs(st.GpsLatitude - lat) < 1e-8; }, 10000)) << "epoch " << k;
        clock.advance(200ms);
    }
    const auto grid = runCct(kLocalGridPipeline, num(lat) + " 28.03 0 0\n");
    ASSERT_EQ(grid.size(), 1u);
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::fabs(st.VesselNorthing - grid[0][1]) < 0.01; }, 10000))
        << "the vessel stands where PROJ puts the last fix: N" << st.VesselNorthing << " against " << grid[0][1];
    EXPECT_NEAR(st.VesselEasting, grid[0][0], 0.01);
    EXPECT_GT(FNav->fcad->Model().LayerShapeCount(VesselLayerId), 0) << "the vessel symbol is drawn";
    ASSERT_TRUE(QTest::qWaitFor([] { return hud().HudStatusText.rfind("RTK Fix | ", 0) == 0; }, 10000)) << hud().HudStatusText;
    EXPECT_EQ(hud().HudFixQuality, 4);
    EXPECT_EQ(FNav->StatusPanelText(1).toStdString(),
              "E" + formatFixed(st.VesselEasting, 2) + ", N" + formatFixed(st.VesselNorthing, 2));

    // The receiver falls silent: once the last fix is too old for a record, no position is
    // shown; after its no-data time (10 s) the receiver shows as silent.
    clock.advance(5000ms);
    EXPECT_TRUE(QTest::qWaitFor([] { return hud().HudStatusText == kNoPositionText; }, 10000))
        << "5 s of silence: the records take no position; shown: " << hud().HudStatusText;
    EXPECT_EQ(hud().HudFixQuality, 0);
    clock.advance(6000ms);
    EXPECT_TRUE(QTest::qWaitFor([] { return hud().HudStatusText == kNoGnssDataText; }, 10000)) << hud().HudStatusText;
    EXPECT_EQ(hud().HudFixQuality, 0);
    EXPECT_EQ(FNav->StatusPanelText(0), QStringLiteral("No GNSS data"));
    EXPECT_EQ(fRealtime->Fixed->text(), QStringLiteral("0"));

    click(FNav->bRealtime);
    EXPECT_FALSE(FNav->Run().Running());
    EXPECT_EQ(FGPS->forwardingPanel()->udpInput()->lblTCPStatus->text(), QStringLiteral("Stopped"));
    DestroyAllWindows();
}

// The program on a GNSS receiver and an echosounder on pseudo-terminals, real time started with
// its button.
// The program's clock is the test's: it moves only when the test moves it, so every age and gap
// below is exact however slowly the machine runs.
struct EndToEndPositionOnPtys : ::testing::Test {
    TempHome home;
    PtyPair gnss, sounder;
    FakeClock clock{{2024, 5, 1, 10, 15, 0, 0}};
    ClockGuard clockGuard{clock};
    const RealtimeState& st = realtimeState();

    // A fix (when `fix`) and a depth line, each taken in by the program before the next is sent.
    void send(bool fix, double lat, double lon, double raw, const std::string& time = "101500.00")
    {
        if (fix) {
            ASSERT_TRUE(gnss.write(gga(time, lat, lon, 4, 52.3, 36.1) + "\r\n" + rmc(time, lat, lon, 3.5, 0.0) + "\r\n"));
            ASSERT_TRUE(QTest::qWaitFor([&] { return std::fabs(st.GpsLatitude - lat) < 1e-8 && std::fabs(st.GpsLongitude - lon) < 1e-8; }, 10000))
                << "fix at " << lat;
        }
        ASSERT_TRUE(sounder.write(sentence("SDDPT," + formatFixed(raw, 2) + ",0.0") + "\r\n"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return std::fabs(st.TrueDepthHi - (raw + 0.5)) < 1e-9; }, 10000)) << "depth " << raw;
    }

    void SetUp() override
    {
        gnss.mapTo(home.iniPath(), "COM5");
        sounder.mapTo(home.iniPath(), "COM6");
        writeSerialSettings(home.iniPath());
        InitSharedValues();
        CreateAllWindows();
        ASSERT_TRUE(startedFirstShow());
        click(FNav->bRealtime);
        ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
        ASSERT_TRUE(FNav->ZSENSOR->Connected()) << FNav->ZSENSOR->LastError();
    }
    void TearDown() override { DestroyAllWindows(); }
};

// A GNSS feed silent for 5 s while lines of the echosounder go on: the banner, the status bar
// and the real-time window say "no position" as soon as the records take none (2 s after the last
// fix), the speed shows no number meanwhile, the return is logged with the gap's length, and a
// stopped survey shows no live depth.
TEST_F(EndToEndPositionOnPtys, SilentFeedShowsNoPositionAndItsReturnIsLogged)
{
    int k = 0;
    // An epoch every 200 ms: a depth, with a fix when `fix`. The epochs come faster than the
    // map looks at them; the gap it logs is still the receiver's, fix to fix.
    auto epoch = [&](bool fix) {
        ++k;
        send(fix, 41.01 + k * 1e-6, 28.03, 5.0 + k * 0.01);
        clock.advance(200ms);
    };
    for (int i = 0; i < 10; ++i) epoch(true);
    ASSERT_TRUE(QTest::qWaitFor([] { return hud().HudStatusText.rfind("RTK Fix | ", 0) == 0; }, 10000)) << hud().HudStatusText;
    EXPECT_TRUE(FNav->fcad->Hud().ShowSpeed) << "a current position shows its speed";

    // 1.8 s after the last fix the position is current still; at 2.2 s it is not.
    for (int i = 0; i < 8; ++i) epoch(false);
    ASSERT_TRUE(waitForTicks(FNav->tMap, 2));
    EXPECT_EQ(hud().HudStatusText.rfind("RTK Fix | ", 0), 0u) << hud().HudStatusText << " 1.8 s after the last fix";
    for (int i = 0; i < 2; ++i) epoch(false);
    const auto shownAsNoPosition = [] {
        return hud().HudStatusText == kNoPositionText && FNav->StatusPanelText(0) == QStringLiteral("No position") &&
               fRealtime->Fixed->text() == QStringLiteral("No position");
    };
    EXPECT_TRUE(QTest::qWaitFor(shownAsNoPosition, 10000))
        << "banner \"" << hud().HudStatusText << "\", status bar \"" << FNav->StatusPanelText(0).toStdString()
        << "\", real-time window \"" << fRealtime->Fixed->text().toStdString() << "\" 2.2 s after the last fix";
    EXPECT_FALSE(FNav->fcad->Hud().ShowSpeed) << "no speed without a current position";
    for (int i = 0; i < 14; ++i) epoch(false);
    ASSERT_TRUE(waitForTicks(FNav->tMap, 2));
    const std::string events = LogFolder + CurrentDateString() + " Events.log";
    EXPECT_EQ(home.readFile(events).find("Positions back"), std::string::npos);

    // The first fix after the silence comes 5 s after the last one before it.
    for (int i = 0; i < 5; ++i) epoch(true);
    ASSERT_TRUE(QTest::qWaitFor([] { return hud().HudStatusText.rfind("RTK Fix | ", 0) == 0; }, 10000)) << hud().HudStatusText;
    ASSERT_TRUE(QTest::qWaitFor([&] { return home.readFile(events).find("Positions back") != std::string::npos; }, 10000));
    const std::string log = home.readFile(events);
    EXPECT_NE(log.find("Positions back after a gap of 5.0 s"), std::string::npos) << log;

    QTest::mouseClick(FNav->bRealtime, Qt::LeftButton);
    EXPECT_FALSE(FNav->Run().Running());
    EXPECT_EQ(fRealtime->lDepthHi->text(), QStringLiteral("--.--")) << "a stopped survey shows no live depth";
}

TEST_F(EndToEndPositionOnPtys, SilentGnssLeavesEveryDepthRecordedAndNoneAtAStalePosition)
{
    if (!haveCct()) VSX_SKIP_MISSING() << "'cct' is not installed (Debian package proj-bin); the PROJ comparison is skipped";

    // Depths at 10 Hz throughout; fixes at 5 Hz (2 m/s north) for 3 s, then 20 s of GNSS
    // silence, then 3 s of fixes again. Each depth's age of position is known exactly: the
    // clock moves 100 ms per depth.
    std::vector<double> raws;
    std::vector<std::optional<std::chrono::milliseconds>> ages;  // of the newest fix at each depth
    std::vector<std::pair<double, double>> fixes;
    std::optional<std::chrono::milliseconds> sinceFix;
    int k = 0;
    auto tick = [&](bool gnssOn) {
        const bool fix = gnssOn && k % 2 == 0;
        const double lat = 41.01 + fixes.size() * 0.4 / 111050.0, lon = 28.03 + fixes.size() * 1e-7;
        char t[32];
        std::snprintf(t, sizeof t, "10%02d%02d.%02d", k / 600, (k / 10) % 60, (k % 10) * 10);
        const double raw = 5.0 + k * 0.01;
        send(fix, lat, lon, raw, t);
        if (fix) {
            fixes.emplace_back(lat, lon);
            sinceFix = 0ms;
        }
        raws.push_back(raw);
        ages.push_back(sinceFix);
        clock.advance(100ms);
        if (sinceFix) *sinceFix += 100ms;
        ++k;
    };
    auto run = [&](int ticks, bool gnssOn) {
        for (int i = 0; i < ticks; ++i) tick(gnssOn);
    };
    run(30, true);
    run(150, false);
    // 15 s without a GGA: the banner, the status bar and the real-time window show no fix.
    EXPECT_TRUE(QTest::qWaitFor([] { return hud().HudStatusText == kNoGnssDataText; }, 10000)) << hud().HudStatusText;
    EXPECT_EQ(hud().HudFixQuality, 0);
    EXPECT_EQ(FNav->StatusPanelText(0), QStringLiteral("No GNSS data"));
    EXPECT_EQ(fRealtime->Fixed->text(), QStringLiteral("0"));
    run(50, false);
    run(30, true);
    EXPECT_TRUE(QTest::qWaitFor([] { return hud().HudStatusText.rfind("RTK Fix | ", 0) == 0; }, 10000))
        << "the fix is shown again once it is back: " << hud().HudStatusText;
    click(FNav->bRealtime);
    ASSERT_FALSE(FNav->Run().Running());

    // Every depth line has its record, in order; a record has a position exactly while the
    // newest fix is at most 2 s old.
    const auto rows = csvRecords(home.readFile(relative(home, CoordinatesFileName)));
    ASSERT_EQ(rows.size(), raws.size());
    std::string cctInput;
    std::vector<size_t> positioned;
    std::string expectedXyz = "Easting,Northing,Elevation\r\n";
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto& r = rows[i];
        ASSERT_EQ(r.size(), 18u) << "record " << i;
        EXPECT_NEAR(number(r[9]), raws[i], 1e-9) << "record " << i;
        const auto age = ages[i];
        if (r[1].empty()) {
            EXPECT_TRUE(r[2].empty() && r[3].empty() && r[4].empty()) << "record " << i << " has half a position";
            EXPECT_EQ(r[14], "0") << "record " << i;
            EXPECT_FALSE(age && *age < 2000ms) << "record " << i << " without a position " << age->count()
                                               << " ms after a fix";
            continue;
        }
        EXPECT_TRUE(age && *age <= 2000ms) << "record " << i << " took a stale position "
                                           << (age ? age->count() : -1) << " ms after the last fix";
        EXPECT_EQ(r[14], "4") << "record " << i;
        const double lat = number(r[1]), lon = number(r[2]);
        bool sent = false;
        for (const auto& [fl, fo] : fixes) sent |= std::fabs(fl - lat) < 1e-9 && std::fabs(fo - lon) < 1e-9;
        EXPECT_TRUE(sent) << "record " << i << " holds a position the receiver gave: " << r[1] << ", " << r[2];
        cctInput += r[1] + " " + r[2] + " 0 0\n";
        positioned.push_back(i);
        expectedXyz += r[3] + "," + r[4] + "," + r[5] + "\r\n";
    }
    EXPECT_GT(positioned.size(), 40u);
    EXPECT_LT(positioned.size(), rows.size() - 150) << "the silence left most depths without a position";

    // Each grid position is PROJ's for the record's own latitude and longitude.
    const auto grid = runCct(kLocalGridPipeline, cctInput);
    ASSERT_EQ(grid.size(), positioned.size());
    for (size_t j = 0; j < positioned.size(); ++j) {
        const auto& r = rows[positioned[j]];
        EXPECT_NEAR(number(r[3]), grid[j][0], 0.01) << "record " << positioned[j];
        EXPECT_NEAR(number(r[4]), grid[j][1], 0.01) << "record " << positioned[j];
    }
    // The Simple XYZ file holds exactly the positioned soundings: nothing of the silence.
    EXPECT_EQ(home.readFile(relative(home, XyzFolder + TodayString + " Simple XYZ.csv")), expectedXyz);
}

TEST_F(EndToEndPositionOnPtys, HostileGgaValuesGiveNoPositionAndNoRecordWithThem)
{

    struct Row {
        const char* body;
        bool refused;  // counted as impossible (the others are a receiver without a fix)
    };
    const Row rows[] = {
        {"GPGGA,120001.00,4100.600,N,20000.000,E,4,12,0.8,45.5,M,20.1,M,,", true},   // longitude 200
        {"GPGGA,120002.00,9500.000,N,02801.800,E,4,12,0.8,45.5,M,20.1,M,,", true},   // latitude 95
        {"GPGGA,120003.00,4100.600,N,02801.800,E,4,12,0.8,1e9,M,20.1,M,,", true},    // altitude 1e9
        {"GPGGA,120004.00,4100.600,N,02801.800,E,99,12,0.8,45.5,M,20.1,M,,", true},  // fix quality 99
        {"GPGGA,120005.00,NaN,N,02801.800,E,4,12,0.8,45.5,M,20.1,M,,", true},        // NaN
        {"GPGGA,120006.00,4100.600,N,02801.800,E,,12,0.8,45.5,M,20.1,M,,", true},    // empty fix quality
        {"GPGGA,120007.00,,,,,4,12,0.8,45.5,M,20.1,M,,", true},                      // empty position
        {"GPGGA,120008.00,4100.600,N,02801.800,E,0,12,0.8,45.5,M,20.1,M,,", false},  // fix quality 0
        {"GPGGA,,,,,,,,,,,,,,", false},                                              // every field empty
    };
    const RealtimeState& st = realtimeState();
    int n = 0;
    // One line to each device, each taken in before the next is sent.
    auto send = [&](const std::string& gnssLine) {
        ++n;
        const double heading = 10.0 + n;
        ASSERT_TRUE(gnss.write(gnssLine + "\r\n" + hdt(heading) + "\r\n"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return std::fabs(st.GyroHeading - heading) < 1e-9; }, 3000)) << gnssLine;
        const double depthBefore = st.TrueDepthHi;
        ASSERT_TRUE(sounder.write(sentence("SDDPT," + formatFixed(5.0 + n, 2) + ",0.0") + "\r\n"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return st.TrueDepthHi != depthBefore; }, 3000)) << "depth line " << n;
    };
    for (const Row& r : rows) send(sentence(r.body));

    // Nothing moved the vessel, no record took a position, no sounding went to the XYZ file.
    EXPECT_EQ(st.GpsLatitude, 0);
    EXPECT_EQ(st.VesselEasting, 0);
    EXPECT_EQ(FNav->fcad->Model().LayerShapeCount(VesselLayerId), 0);
    auto records = csvRecords(home.readFile(relative(home, CoordinatesFileName)));
    ASSERT_EQ(records.size(), std::size(rows));
    for (size_t i = 0; i < records.size(); ++i) {
        const auto& r = records[i];
        ASSERT_EQ(r.size(), 18u);
        EXPECT_TRUE(r[1].empty() && r[2].empty() && r[3].empty() && r[4].empty()) << rows[i].body;
        EXPECT_EQ(r[14], "0") << rows[i].body;
    }
    const std::string xyz = XyzFolder + TodayString + " Simple XYZ.csv";
    EXPECT_FALSE(fileExists(xyz)) << home.readFile(relative(home, xyz));

    // The refused sentences are counted and said once.
    long refused = 0;
    for (const Row& r : rows) refused += r.refused;
    EXPECT_EQ(FNav->ZGPS1->RejectedGga(), refused);
    EXPECT_EQ(st.RejectedGgaCount, refused);
    EXPECT_TRUE(FNav->sStatusBar->currentMessage().startsWith("GGA of GPS ignored, bad longitude"))
        << FNav->sStatusBar->currentMessage().toStdString();
    const std::string events = home.readFile(relative(home, EventsLogFileName()));
    const size_t said = events.find("GGA of GPS ignored");
    EXPECT_NE(said, std::string::npos);
    EXPECT_EQ(events.find("GGA of GPS ignored", said + 1), std::string::npos) << "said once, not per sentence";

    // A good fix afterwards is taken at once, by the record and the XYZ file.
    send(sentence("GPGGA,120010.00,4100.600,N,02801.800,E,4,12,0.8,45.5,M,20.1,M,,"));
    records = csvRecords(home.readFile(relative(home, CoordinatesFileName)));
    ASSERT_EQ(records.size(), std::size(rows) + 1);
    EXPECT_EQ(records.back()[1], "41.0100000000");
    EXPECT_EQ(records.back()[2], "28.0300000000");
    EXPECT_EQ(records.back()[14], "4");
    EXPECT_EQ(csvRecords(home.readFile(relative(home, xyz))).size(), 1u);

    click(FNav->bRealtime);
}
