// The live tool windows in the whole program on pseudo-terminal devices: the latency window fed
// by the map loop of a GNSS stream, the waterfall drawn at its own interval from an echosounder
// speaking "Veldor SMT", the battery value of those lines, and the bare map view hiding and
// bringing back the waterfall.
#include "MainWindowDriver.h"
#include "NavTestSupport.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "program/ProgramStart.h"
#include "app/windows/WindowPointers.h"
#include "input/TVeldorSerialGPS.h"
#include "nav/RealtimeState.h"
#include "nav/SurveyRun.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "tools/LatencyTolerance.h"
#include "tools/windows/NavigationSettingsWindow.h"
#include "tools/windows/OffsetsWindow.h"
#include "tools/windows/BatteryWindow.h"
#include "tools/windows/LatencyWindow.h"
#include "tools/windows/RealtimeDataWindow.h"
#include "tools/windows/WaterfallWindow.h"

#include "support/ControlInput.h"
#include "support/PtyPair.h"
#include "support/TempHome.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace vsx;
using namespace vsx::test;

namespace {

void writeSettings(const std::string& iniPath, bool sounder, const char* messageType, int echogramInterval)
{
    IniFile ini(iniPath);
    for (const auto& [section, port] : {std::pair {"GPS1 COMUNICATION SETTINGS", "COM5"},
                                        std::pair {"SENSOR COMUNICATION SETTINGS", "COM6"}}) {
        ini.writeString(section, "Port No", port);
        ini.writeString(section, "Baud Rate", "9600");
        ini.writeString(section, "Delay", "10");
        ini.writeString(section, "NMEA LOG", "False");
    }
    ini.writeBool("SENSOR COMUNICATION SETTINGS", "Sensor Enabled", sounder);
    ini.writeString("SENSOR COMUNICATION SETTINGS", "cSBESMessage", messageType);
    ini.writeString("SENSOR COMUNICATION SETTINGS", "eSBESFormat", "%*8s,%lf,%lf");
    writeUtm36Settings(ini);
    ini.writeString("ECHOSOUNDER_OFFSETS", "SV", "1500");
    ini.writeString("ECHOSOUNDER_OFFSETS", "Offset A", "0");
    ini.writeInteger("ECHOGRAM", "Interval", echogramInterval);
    ini.writeInteger("ECHOGRAM", "DataWidth", 30);
}

// Deletes the edit's text, then types `text` into the emptied edit.
void retypeThroughEmpty(QLineEdit* e, const QString& text)
{
    e->setFocus();
    typeInto(e, "");
    QTest::keyClicks(e, text);
}

// Starts the program and a survey; the offsets window shown at start is closed with its Cancel
// button as the surveyor would.
void startSurvey()
{
    InitSharedValues();
    CreateAllWindows();
    ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([] { return Offsets->isVisible(); }, 5000));
    click(Offsets->cancelButton);
    ASSERT_FALSE(Offsets->isVisible());
    click(FNav->bRealtime);
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
}

// Writes a fix every 100 ms for `ms` milliseconds, moving the boat a little each time.
void feedGnss(PtyPair& gnss, int ms, double& lat)
{
    for (int t = 0; t < ms; t += 100) {
        lat += 1e-6;
        gnss.write(gga("120000.00", lat, 33.0456789012, 4) + "\r\n");
        QTest::qWait(100);
    }
}

// Feeds fixes until `done` holds, for at most `ms` (a loaded machine runs the map loop late).
template <class Done>
bool feedGnssUntil(PtyPair& gnss, double& lat, Done done, int ms = 20000)
{
    for (int t = 0; t < ms && !done(); t += 100) feedGnss(gnss, 100, lat);
    return done();
}

} // namespace

TEST(EndToEndLiveWindows, LatencyOfTheMapLoopFromAGnssFeed)
{
    TempHome home;
    PtyPair gnss;
    gnss.mapTo(home.iniPath(), "COM5");
    writeSettings(home.iniPath(), false, "NMEA DPT", 100);
    startSurvey();

    // The battery window, shown at start, goes after a second: the echosounder speaks another type.
    EXPECT_TRUE(QTest::qWaitFor([] { return !fJoystick->isVisible(); }, 10000));

    MapProgram::chooseMenu("LatencyWatchSet1");
    ASSERT_TRUE(QTest::qWaitFor([] { return fLatency->isVisible(); }, 5000));
    EXPECT_EQ(fLatency->eLatencyTol->text(), "500") << "no setting: 500";

    double lat = 41.0123456789;
    const RealtimeState& st = realtimeState();
    ASSERT_TRUE(feedGnssUntil(gnss, lat, [&st] { return st.Latency.samples >= 3; }, 20000))
        << "the map loop measured itself";
    // What the window shows is the loop's own figures, and the group is green below 500 ms.
    EXPECT_EQ(fLatency->eCurrentLatency->text().toLong(), st.Latency.lastMs);
    EXPECT_EQ(fLatency->eLatencyAveraged->text().toStdString(), formatFixed(st.Latency.meanMs, 1));
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d$").match(fLatency->eLatencyAveraged->text()).hasMatch());
    EXPECT_EQ(fLatency->GroupColour(), kLatencyGood);
    EXPECT_EQ(fLatency->gLatency->palette().color(QPalette::Window), QColor(0, 255, 0));

    // A tolerance of 0: no run is faster, red. Retyping through an empty edit pops nothing up and
    // every keystroke is stored.
    retypeThroughEmpty(fLatency->eLatencyTol, "0");
    feedGnssUntil(gnss, lat, [] { return fLatency->GroupColour() == kLatencyBad; });
    EXPECT_EQ(fLatency->GroupColour(), kLatencyBad);
    EXPECT_EQ(fLatency->gLatency->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(IniFile(GetIniFileName()).readString("LATENCY", "eLatencyTol", ""), "0");
    retypeThroughEmpty(fLatency->eLatencyTol, "750");
    EXPECT_EQ(IniFile(GetIniFileName()).readString("LATENCY", "eLatencyTol", ""), "750");
    feedGnssUntil(gnss, lat, [] { return fLatency->GroupColour() == kLatencyGood; });
    EXPECT_EQ(fLatency->GroupColour(), kLatencyGood);

    // Closed, the window is not fed; the loop keeps its count for the next time it is shown.
    EXPECT_TRUE(closeFromTitleBar(fLatency));
    const int samples = st.Latency.samples;
    const QString shown = fLatency->eCurrentLatency->text();
    QSignalSpy mapTicks(FNav->tMap, &QTimer::timeout);
    ASSERT_TRUE(feedGnssUntil(gnss, lat, [&] { return mapTicks.count() >= 3; })) << "the map loop runs on";
    EXPECT_EQ(st.Latency.samples, samples);
    MapProgram::chooseMenu("LatencyWatchSet1");
    ASSERT_TRUE(QTest::qWaitFor([] { return fLatency->isVisible(); }, 5000));
    feedGnssUntil(gnss, lat, [&] { return st.Latency.samples > samples; });
    EXPECT_GT(st.Latency.samples, samples);

    click(FNav->bRealtime);
    DestroyAllWindows();
}

TEST(EndToEndLiveWindows, WaterfallAtItsIntervalAndBatteryFromSmtLines)
{
    TempHome home;
    PtyPair gnss, sounder;
    gnss.mapTo(home.iniPath(), "COM5");
    sounder.mapTo(home.iniPath(), "COM6");
    writeSettings(home.iniPath(), true, "Veldor SMT", 250);
    startSurvey();
    ASSERT_TRUE(FNav->ZSENSOR->Connected()) << FNav->ZSENSOR->LastError();

    double lat = 41.0123456789;
    feedGnss(gnss, 300, lat);
    // Depth lines every 50 ms, faster than the waterfall's 250 ms.
    int line = 0;
    auto feedSounder = [&](int ms) {
        for (int t = 0; t < ms; t += 50, ++line) {
            const double depth = 12.0 + 0.5 * std::sin(line * 0.2);
            sounder.write("$PVLDSMT," + formatFixed(depth, 2) + ",12.5\r\n");
            QTest::qWait(50);
        }
    };
    feedSounder(300);
    ASSERT_TRUE(QTest::qWaitFor([] { return fWaterfal->isVisible(); }, 10000)) << "the first depth shows it";
    EXPECT_EQ(FNav->tEchogram->interval(), 250) << "the interval of [ECHOGRAM]";
    EXPECT_EQ(fWaterfal->palette().color(QPalette::Window), toQColor(Navset->backgroundColor()))
        << "the map's background colour";
    EXPECT_TRUE(FNav->tEchogram->isActive());

    // Depth lines go on until the echogram has ticked eight times: it draws at most once a tick.
    const int before = fWaterfal->DrawCount(), linesBefore = line;
    QSignalSpy ticks(FNav->tEchogram, &QTimer::timeout);
    for (int t = 0; t < 20000 && ticks.count() < 8; t += 50) feedSounder(50);
    ASSERT_GE(ticks.count(), 8);
    const int drawn = fWaterfal->DrawCount() - before;
    EXPECT_GE(drawn, 3);
    EXPECT_LE(drawn, int(ticks.count())) << "one drawing per tick, not one per line";
    EXPECT_LT(drawn, line - linesBefore) << "one drawing per tick, not one per line";
    EXPECT_EQ(fWaterfal->DataWidth, 30);
    EXPECT_EQ(fWaterfal->History().count(), 30);
    EXPECT_NEAR(fWaterfal->History().depth(29), realtimeState().TrueDepthHi, 0.5);

    // The battery value of the lines, and the window stays: the type is the sounder's own.
    EXPECT_EQ(fJoystick->pBattery->text(), "12.50");
    EXPECT_TRUE(fJoystick->isVisible());
    EXPECT_FALSE(fJoystick->windowFlags() & Qt::WindowCloseButtonHint) << "no close button";

    // The bare map view, from the real-time window's button, hides the waterfall; back to normal
    // with Escape on the map, it returns while the echogram runs.
    MapProgram::chooseMenu("mRealtimeWindow1");
    ASSERT_TRUE(QTest::qWaitFor([] { return fRealtime->isVisible(); }, 5000));
    click(fRealtime->btHide);
    EXPECT_FALSE(fWaterfal->isVisible());
    QSignalSpy echogramTicks(FNav->tEchogram, &QTimer::timeout);
    for (int t = 0; t < 20000 && echogramTicks.count() < 3; t += 50) feedSounder(50);
    ASSERT_GE(echogramTicks.count(), 3);
    EXPECT_FALSE(fWaterfal->isVisible()) << "drawing does not bring it back in the bare view";
    QTest::keyClick(FNav->fcad, Qt::Key_Escape);
    EXPECT_TRUE(fWaterfal->isVisible());

    // Closing the waterfall writes its settings as it holds them.
    EXPECT_TRUE(closeFromTitleBar(fWaterfal));
    {
        IniFile ini(GetIniFileName());
        EXPECT_EQ(ini.readInteger("ECHOGRAM", "Interval", -1), 250);
        EXPECT_EQ(ini.readInteger("ECHOGRAM", "DataWidth", -1), 30);
        EXPECT_TRUE(ini.sectionExists("fWaterfal"));
    }
    click(FNav->bRealtime);
    DestroyAllWindows();
}

TEST(EndToEndLiveWindows, EchogramIntervalZeroStandsTheTimerStill)
{
    TempHome home;
    PtyPair gnss, sounder;
    gnss.mapTo(home.iniPath(), "COM5");
    sounder.mapTo(home.iniPath(), "COM6");
    writeSettings(home.iniPath(), true, "Veldor SMT", 0);
    startSurvey();

    for (int i = 0; i < 10; ++i) {
        sounder.write("$PVLDSMT,8.25,12.0\r\n");
        QTest::qWait(50);
    }
    ASSERT_TRUE(QTest::qWaitFor([] { return fWaterfal->isVisible(); }, 10000));
    EXPECT_FALSE(FNav->tEchogram->isActive()) << "an interval of 0 stops the timer, it never spins";
    EXPECT_EQ(fWaterfal->DrawCount(), 0);
    // A new survey leaves it standing.
    click(FNav->bRealtime);
    click(FNav->bRealtime);
    ASSERT_TRUE(FNav->Run().Running());
    EXPECT_FALSE(FNav->tEchogram->isActive());
    click(FNav->bRealtime);
    DestroyAllWindows();
}
