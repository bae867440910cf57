// The whole program on two pseudo-terminal devices, a GNSS receiver and an echosounder, through a
// survey run that crosses midnight (fake wall clock) with a bad number typed into the draft field
// half-way: every depth line that went in must come out as its record, byte for byte, and the raw
// log must hold every line.
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
#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/Prompts.h"
#include "tools/windows/NavigationSettingsWindow.h"
#include "tools/windows/OffsetsWindow.h"
#include "tools/windows/RealtimeDataWindow.h"
#include "app/windows/NumberEdit.h"

#include "support/ControlInput.h"
#include "support/PtyPair.h"
#include "support/TempHome.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace vsx;
using namespace vsx::test;

namespace {

// A value given in thousandths as text with two decimals, rounded half away from zero.
std::string hundredths(long thousandths)
{
    const long a = (std::labs(thousandths) + 5) / 10;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%ld.%02ld", thousandths < 0 && a != 0 ? "-" : "", a / 100, a % 100);
    return buf;
}

// The survey CSV's columns, written out by hand (the sixteenth name has a leading blank).
const char* const kHeader =
    "Date,Lat,Lon,Easting,Northing,Elevation (Hi),Elevation (Lo),True Depth (Hi),True Depth (Lo),"
    "Raw Depth (Hi),Raw Depth (Lo),Message Format,Sound Velocity,Transducer Draft,GPS, RTK Antenna Height,"
    "Manual Tide,RTK Tide";

} // namespace

TEST(EndToEndSurvey, EveryDepthLineBecomesItsRecordAcrossMidnight)
{
    TempHome home;
    RecordingPrompts prompts;
    PromptsGuard promptsGuard(prompts);
    FakeClock clock({2024, 5, 1, 23, 59, 50, 0});
    ClockGuard guard(clock);
    PtyPair gnss, sounder;
    gnss.mapTo(home.iniPath(), "COM5");
    sounder.mapTo(home.iniPath(), "COM6");
    writeSurveySettings(home.iniPath());
    InitSharedValues();

    CreateAllWindows();
    ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 10000));
    click(FNav->bRealtime);
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    ASSERT_TRUE(FNav->ZSENSOR->Connected()) << FNav->ZSENSOR->LastError();

    // The surveyor closes the offsets window (shown at start) with its Cancel button.
    ASSERT_TRUE(Offsets->isVisible());
    click(Offsets->cancelButton);
    ASSERT_FALSE(Offsets->isVisible());
    const double lat = 41.0123456789, lon = 33.0456789012;
    const std::string fix = gga("235950.00", lat, lon, 4) + "\r\n" + hdt(12.5) + "\r\n";
    RealtimeState& st = realtimeState();
    bool positioned = false;
    for (int i = 0; i < 100 && !positioned; ++i) {
        ASSERT_TRUE(gnss.write(fix));
        positioned = QTest::qWaitFor([&st] { return st.VesselEasting != 0; }, 200);
    }
    ASSERT_TRUE(positioned) << "the vessel has a grid position";

    // Twenty depth lines a second of fake time apart, over midnight; an untagged and a corrupt
    // line among them. From line 12 on the offsets window is open again (Window menu, real-time
    // window, its offsets button), its draft edit holding a half-typed number.
    std::string sounderIn;
    for (int k = 0; k < 20; ++k) {
        if (k == 12) {
            MapProgram::chooseMenu("mRealtimeWindow1");
            ASSERT_TRUE(QTest::qWaitFor([] { return fRealtime->isVisible(); }, 5000));
            click(fRealtime->btShowOffsets);
            ASSERT_TRUE(QTest::qWaitFor([] { return Offsets->isVisible(); }, 5000));
            Offsets->OffsetA->setFocus(Qt::TabFocusReason);
            typeInto(Offsets->OffsetA, "0,5x");
            ASSERT_EQ(Offsets->OffsetA->text(), "0,5x");
        }
        const double raw = 10.0 + k * 0.2;
        const std::string line = sentence("SDDPT," + formatFixed(raw, 2) + ",0.0");
        std::string lines;
        if (k == 5) lines += "$GPZDA,x*00\r\n" + sentence("SDDPT,,0.0") + "\r\n";
        lines += line + "\r\n";
        sounderIn += lines;
        ASSERT_TRUE(sounder.write(lines));
        // Every line gets its record at the wall time it arrived.
        ASSERT_TRUE(QTest::qWaitFor([&] { return st.TrueDepthHi > 0 && std::fabs(st.TrueDepthHi - (raw * 1485 / 1500 + 0.5)) < 1e-9; }, 10000))
            << "line " << k << ": depth " << st.TrueDepthHi;
        clock.advance(std::chrono::seconds(1));
        ASSERT_TRUE(gnss.write(fix));
    }
    EXPECT_TRUE(FNav->sStatusBar->currentMessage().startsWith("Depths use the offsets in force: A 0.5 m"))
        << FNav->sStatusBar->currentMessage().toStdString();
    click(FNav->bRealtime);
    EXPECT_FALSE(FNav->Run().Running());

    // The survey file keeps the start day's name. Its records, written out: the position of the
    // sentence (8 decimals of minutes) and its grid coordinates by PROJ and GeographicLib
    // (503840.9487 4540128.5556 on UTM zone 36 north), the tide 0.3 m, the draft 0.5 m in force
    // throughout, sound velocity 1485 m/s, RTK fixed at 45.5 + 20.1 m, antenna 1.5 m.
    EXPECT_EQ(CoordinatesFileName, LogFolder + "2024-05-01 Coordinates.csv");
    const std::string csv = home.readFile(CoordinatesFileName);
    std::vector<std::string> lines;
    for (size_t from = 0, end; (end = csv.find("\r\n", from)) != std::string::npos; from = end + 2)
        lines.push_back(csv.substr(from, end - from));
    EXPECT_EQ(csv.substr(csv.empty() ? 0 : csv.size() - 2), "\r\n") << "every line ends with CR LF";
    ASSERT_EQ(lines.size(), 21u) << csv;
    EXPECT_EQ(lines[0], kHeader);
    const std::pair<int, const char*> written[] = {
        {0, "2024-05-01 235950000,41.0123456788,33.0456789012,503840.95,4540128.56,-10.10,0.30,10.40,0.00,10,0,"
            "NMEA DPT,1485.00,0.50,4,65.60,0.30,64.10"},
        {10, "2024-05-02 000000000,41.0123456788,33.0456789012,503840.95,4540128.56,-12.08,0.30,12.38,0.00,12,0,"
             "NMEA DPT,1485.00,0.50,4,65.60,0.30,64.10"},
        {13, "2024-05-02 000003000,41.0123456788,33.0456789012,503840.95,4540128.56,-12.67,0.30,12.97,0.00,12.6,0,"
             "NMEA DPT,1485.00,0.50,4,65.60,0.30,64.10"},
    };
    for (const auto& [k, record] : written) EXPECT_EQ(lines[size_t(k) + 1], record) << "record " << k;
    // Every record: the time of its line, its raw depth, the depth corrected with v = 1485 m/s
    // and the draft in force (in thousandths: raw 10 + 0.2 k m gives 10400 + 198 k).
    for (int k = 0; k < 20; ++k) {
        char time[32];
        const int second = 50 + k;
        if (second < 60) std::snprintf(time, sizeof time, "2024-05-01 2359%02d000", second);
        else std::snprintf(time, sizeof time, "2024-05-02 0000%02d000", second - 60);
        const long trueHi = 10400 + 198L * k;
        std::string raw = std::to_string(10 + k / 5) + "." + std::to_string(k % 5 * 2);
        if (k % 5 == 0) raw = std::to_string(10 + k / 5);
        const std::string expected = std::string(time) + ",41.0123456788,33.0456789012,503840.95,4540128.56," +
                                     hundredths(300 - trueHi) + ",0.30," + hundredths(trueHi) + ",0.00," + raw +
                                     ",0,NMEA DPT,1485.00,0.50,4,65.60,0.30,64.10";
        EXPECT_EQ(lines[size_t(k) + 1], expected) << "record " << k;
    }
    EXPECT_NEAR(st.GpsLatitude, lat, 1e-9);

    // The echosounder's raw log holds every line that went in, the untagged and corrupt ones too.
    EXPECT_EQ(home.readFile(LogFolder + "2024-05-01 VSX_SBES_V3.log"), sounderIn);
    // After midnight the events log takes the new day's name, in the start day's folder.
    EXPECT_NE(home.readFile(LogFolder + "2024-05-01 Events.log").find("Realtime STARTED"), std::string::npos);
    EXPECT_NE(home.readFile(LogFolder + "2024-05-02 Events.log").find("Realtime STOPPED"), std::string::npos);
    EXPECT_TRUE(prompts.entries.empty()) << "a half-typed number pops nothing up during a survey";
    DestroyAllWindows();
}
