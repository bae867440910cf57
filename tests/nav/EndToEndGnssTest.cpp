// The whole program, offscreen, on a pseudo-terminal GNSS receiver: real-time is pressed, a
// survey boat's NMEA stream arrives at 5 Hz with RTK fixed, float, DGPS and autonomous fixes, and
// the vessel's grid position, the track layers, the forwarded and synthetic sentences, the sensor
// log and the raw log are checked against what went in (grid positions against PROJ).
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "program/ProgramStart.h"
#include "app/windows/WindowPointers.h"
#include "input/NmeaParser.h"
#include "input/TVeldorSerialGPS.h"
#include "input/windows/DeviceSettingsWindow.h"
#include "nav/RealtimeState.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "tools/SensorList.h"
#include "tools/windows/NavigationSettingsWindow.h"
#include "app/windows/NumberEdit.h"

#include "MainWindowDriver.h"
#include "NavTestSupport.h"
#include "support/ControlInput.h"
#include "support/MissingPeer.h"
#include "support/PtyPair.h"
#include "support/TempHome.h"

#include <QAction>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>

using namespace vsx;
using namespace vsx::test;

namespace {

void writeSettings(const std::string& iniPath)
{
    IniFile ini(iniPath);
    writeGnssPort(ini, "COM5");
    const char* s = "GPS1 COMUNICATION SETTINGS";
    ini.writeString(s, "NMEA LOG", "True");
    ini.writeString(s, "Log Time", "False");
    writeLocalGridSettings(ini);
    ini.writeBool("GYRO", "Gyro Enabled", true);
    ini.writeBool("SENSOR COMUNICATION SETTINGS", "Sensor Enabled", false);
    // A transducer 1.5 m to starboard and 2 m aft, a sonar head 5 m ahead.
    SaveSensorSettings(ini, {{{"Transducer", 1.5, -2.0}, {"Head", 0.0, 5.0}}, true, -1});
}

struct Epoch {
    std::string time;
    double lat, lon;
    int quality;
    std::string gga;
};

// Grid coordinates of positions by PROJ.
std::vector<std::vector<double>> projGrid(const std::vector<std::pair<double, double>>& latLon)
{
    std::string input;
    for (auto [lat, lon] : latLon) input += num(lat) + " " + num(lon) + " 0 0\n";
    return runCct(kLocalGridPipeline, input);
}

bool near(double a, double b, double tolerance) { return std::fabs(a - b) <= tolerance; }

// The surveyor opens the settings window with the main window's "Settings" button and, on its
// "GPS Settings" sheet, sends every position over UDP to `port` on this machine.
void forwardAllPositionsOverUdpTo(int port)
{
    QTest::mouseClick(FNav->findChild<QToolButton*>("ConnectIcon"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([] { return FGPS->isVisible(); }, 5000));
    QTabBar* tabs = FGPS->SettingTabs->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(FGPS->SettingTabs->indexOf(FGPS->GPSTabSheet)).center());
    ASSERT_EQ(FGPS->SettingTabs->currentWidget(), FGPS->GPSTabSheet);

    auto* enable = FGPS->findChild<QCheckBox*>("cbEnableSensorForward");
    auto* udp = FGPS->findChild<QRadioButton*>("rbForwardUDP");
    auto* address = FGPS->findChild<QLineEdit*>("edUDPIP");
    auto* portEdit = FGPS->findChild<QLineEdit*>("edUDPPort");
    auto* target = FGPS->findChild<QComboBox*>("cbSensorSelect");
    ASSERT_TRUE(enable && udp && address && portEdit && target);
    for (QWidget* w : std::initializer_list<QWidget*>{enable, udp, address, portEdit, target})
        ASSERT_TRUE(w->isVisible() && w->isEnabled()) << w->objectName().toStdString();
    ASSERT_FALSE(enable->isChecked()) << "forwarding starts switched off";
    click(udp);
    typeInto(address, "127.0.0.1");
    choose(target, "ALL");
    typeInto(portEdit, QString::number(port));
    click(enable);
    ASSERT_TRUE(enable->isChecked());
    click(FGPS->closeButton);
    ASSERT_TRUE(QTest::qWaitFor([] { return !FGPS->isVisible(); }, 5000));
}

} // namespace

TEST(EndToEndGnss, RealtimeRunFromReceiverToMapForwardingAndLogs)
{
    if (!haveCct()) VSX_SKIP_MISSING() << "'cct' is not installed (Debian package proj-bin); the PROJ comparison is skipped";
    TempHome home;
    // Closing the settings window asks to save and lock the forwarding typed there: Yes.
    RecordingPrompts prompts;
    PromptsGuard promptsInForce(prompts);
    PtyPair gnss;
    gnss.mapTo(home.iniPath(), "COM5");
    writeSettings(home.iniPath());
    InitSharedValues();

    CreateAllWindows();
    ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 10000))
        << "the first show ran";
    UdpSinks sinks(3);
    ASSERT_GT(sinks.base(), 0);
    forwardAllPositionsOverUdpTo(sinks.base());
    // Track points a metre apart, the map redrawn every 100 ms, typed into the navigation
    // settings window opened from its menu; tracklining switched on from the map's menu.
    MapProgram::chooseMenu("NavigationSettings1");
    ASSERT_TRUE(QTest::qWaitFor([] { return Navset->isVisible(); }, 5000));
    typeInto(Navset->TrackDistance, "1");
    typeInto(Navset->eVesselUpdateRate, "100");
    MapProgram::mapMenu({300, 300}, "MainTrackliningItem");
    ASSERT_TRUE(realtimeState().MainTracklining);
    EXPECT_EQ(FNav->MainTrackliningItem->text(), "Stop Tracklining (main vessel)");

    click(FNav->bRealtime);
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    ASSERT_TRUE(FNav->ZGPS1->Connected()) << FNav->ZGPS1->LastError();
    EXPECT_EQ(FNav->bRealtime->text(), "Stop");

    // 4 s of 5 Hz epochs heading north at 10 m/s: fixed, float, DGPS, then autonomous, one second each.
    std::vector<Epoch> epochs;
    const int qualities[] = {4, 5, 2, 1};
    for (int k = 0; k < 20; ++k) {
        Epoch e;
        char t[16];
        std::snprintf(t, sizeof t, "1015%02d.%02d", k / 5, (k % 5) * 20);
        e.time = t;
        e.lat = 41.01 + k * 2.0 / 111050.0;
        e.lon = 28.03;
        e.quality = qualities[k / 5];
        e.gga = gga(e.time, e.lat, e.lon, e.quality, 52.3, 36.1);
        epochs.push_back(e);
    }
    std::vector<std::pair<double, double>> antenna;
    for (const Epoch& e : epochs) antenna.emplace_back(e.lat, e.lon);
    auto grid = projGrid(antenna);
    ASSERT_EQ(grid.size(), epochs.size());

    // Each epoch is sent once the map has taken the one before, so every fix reaches the map
    // however slowly the machine runs.
    const RealtimeState& state = realtimeState();
    std::string rawIn;
    for (size_t k = 0; k < epochs.size(); ++k) {
        const Epoch& e = epochs[k];
        const std::string lines[] = {e.gga, rmc(e.time, e.lat, e.lon, 19.4, 0.0), vtg(0.0, 19.4), hdt(0.0)};
        std::string chunk;
        for (const std::string& l : lines) chunk += l + "\r\n";
        rawIn += chunk;
        ASSERT_TRUE(gnss.write(chunk));
        ASSERT_TRUE(QTest::qWaitFor([&] { return near(state.VesselNorthing, grid[k][1], 0.01); }, 10000))
            << "epoch " << k << ": the vessel at N" << state.VesselNorthing << ", PROJ's fix at N" << grid[k][1];
    }
    const double easting = state.VesselEasting, northing = state.VesselNorthing;

    click(FNav->bRealtime);
    EXPECT_FALSE(FNav->Run().Running());
    EXPECT_FALSE(FNav->ZGPS1->Connected());

    // The vessel stands where PROJ puts the last fix.
    EXPECT_NEAR(easting, grid.back()[0], 0.01);
    EXPECT_NEAR(northing, grid.back()[1], 0.01);

    // Every segment ends at a fix of its layer's class: RTK fixed, float or DGPS, the rest.
    const CanvasModel& map = FNav->fcad->Model();
    const std::pair<const char*, std::vector<int>> layers[] = {
        {"track_fix", {4}}, {"track_float", {5, 2}}, {"track_nofix", {1}}};
    for (const auto& [name, classes] : layers) {
        const int layer = map.FindLayer(name);
        ASSERT_GE(layer, 0) << name;
        const auto ids = map.GetLayerShapeIds(layer);
        EXPECT_GE(ids.size(), classes.size() == 2 ? 4u : 2u) << name;
        for (int id : ids) {
            double x1, y1, x2, y2;
            ASSERT_TRUE(map.GetLine(id, x1, y1, x2, y2));
            bool matched = false;
            for (size_t k = 0; k < epochs.size(); ++k) {
                const bool inClass = std::find(classes.begin(), classes.end(), epochs[k].quality) != classes.end();
                matched |= inClass && near(x1, grid[k][0], 0.01) && near(y1, grid[k][1], 0.01);
            }
            EXPECT_TRUE(matched) << name << " segment ends at N" << y1;
        }
    }

    // Every valid GGA went out unchanged; each sensor got one sentence per epoch, of that epoch,
    // from the first epoch whose GGA came after a heading (the first GGA comes before any).
    std::vector<std::string> expectedGga;
    for (const Epoch& e : epochs) expectedGga.push_back(e.gga + "\r\n");
    EXPECT_EQ(sinks.take(0), expectedGga);
    epochs.erase(epochs.begin());
    grid.erase(grid.begin());
    const std::pair<double, double> offsets[] = {{1.5, -2.0}, {0.0, 5.0}};
    std::vector<std::string> transducerSentences;
    for (int sensor = 0; sensor < 2; ++sensor) {
        const auto sent = sinks.take(sensor + 1);
        ASSERT_EQ(sent.size(), epochs.size()) << "sensor " << sensor;
        std::vector<std::pair<double, double>> positions, north;
        for (size_t k = 0; k < sent.size(); ++k) {
            const std::string s = sent[k].substr(0, sent[k].size() - 2);
            if (sensor == 0) transducerSentences.push_back(s);
            EXPECT_EQ(nmeaChecksum(s), NmeaChecksum::Valid) << s;
            std::vector<std::string_view> f;
            SplitFields(s, f);
            EXPECT_EQ(std::string(f[1]), epochs[k].time) << s;
            EXPECT_EQ(std::string(f[6]), std::to_string(epochs[k].quality)) << s;
            positions.emplace_back(NmeaToDegrees(f[2], f[3]), NmeaToDegrees(f[4], f[5]));
            north.emplace_back(epochs[k].lat + 1e-5, epochs[k].lon);
        }
        const auto sg = projGrid(positions), ng = projGrid(north);
        ASSERT_EQ(sg.size(), epochs.size());
        for (size_t k = 0; k < epochs.size(); ++k) {
            // Heading 0° true: the grid heading is the convergence, measured here through PROJ.
            const double h = std::atan2(ng[k][0] - grid[k][0], ng[k][1] - grid[k][1]);
            const auto [x, y] = offsets[sensor];
            const double e = grid[k][0] + y * std::sin(h) + x * std::cos(h);
            const double n = grid[k][1] + y * std::cos(h) - x * std::sin(h);
            EXPECT_NEAR(sg[k][0], e, 0.01) << "sensor " << sensor << " epoch " << k;
            EXPECT_NEAR(sg[k][1], n, 0.01) << "sensor " << sensor << " epoch " << k;
        }
    }

    // The sensor log holds the same sentences, stamped; the raw log every line that came in.
    std::istringstream log(home.readFile(
        (LogFolder + CurrentDateString() + ".TRA.log").substr(home.root().size())));
    std::string line;
    size_t n = 0;
    while (std::getline(log, line)) {
        ASSERT_LT(n, transducerSentences.size());
        EXPECT_EQ(line.substr(24), transducerSentences[n] + "\r");
        ++n;
    }
    EXPECT_EQ(n, transducerSentences.size());
    EXPECT_EQ(home.readFile((LogFolder + CurrentDateString() + " VSX_GNSS_V3.log").substr(home.root().size())), rawIn);
    const std::string events = home.readFile(EventsLogFileName().substr(home.root().size()));
    EXPECT_NE(events.find("Realtime STARTED"), std::string::npos);
    EXPECT_NE(events.find("UDP forwarding started: 127.0.0.1:" + std::to_string(sinks.base())), std::string::npos)
        << "the run took the forwarding set on the settings window: " << events;
    EXPECT_NE(events.find("Realtime STOPPED"), std::string::npos);

    DestroyAllWindows();
}
