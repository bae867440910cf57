// The whole program on two pseudo-terminal devices, a GNSS receiver and an echosounder, through a
// survey run that crosses midnight (fake wall clock) with a bad number typed into the draft field
// half-way: every depth line that went in must come out as its record, byte for byte, and the raw
// log must hold every line.
#include "MainWindowDriver.h"
#include "SurveyProgram.h"

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

#include <QLabel>
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

// A file's lines, each ended by CR LF (a last line without one is left out).
std::vector<std::string> crlfLines(const std::string& text)
{
    std::vector<std::string> lines;
    for (size_t from = 0, end; (end = text.find("\r\n", from)) != std::string::npos; from = end + 2)
        lines.push_back(text.substr(from, end - from));
    return lines;
}

// The survey CSV's columns, written out by hand (the sixteenth name has a leading blank).
const char* const kHeader =
    "Date,Lat,Lon,Easting,Northing,Elevation (Hi),Elevation (Lo),True Depth (Hi),True Depth (Lo),"
    "Raw Depth (Hi),Raw Depth (Lo),Message Format,Sound Velocity,Transducer Draft,GPS, RTK Antenna Height,"
    "Manual Tide,RTK Tide";

} // namespace

TEST(EndToEndSurvey, EveryDepthLineBecomesItsRecordAcrossMidnight)
{
    RecordingPrompts prompts;
    PromptsGuard promptsGuard(prompts);
    FakeClock clock({2024, 5, 1, 23, 59, 50, 0});
    ClockGuard guard(clock);
    SurveyProgram program;
    TempHome& home = program.home;
    PtyPair &gnss = program.gnss, &sounder = program.sounder;
    program.startProgram();
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
    ASSERT_TRUE(program.sendFixUntilPositioned(fix)) << "the vessel has a grid position";

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
    const std::vector<std::string> lines = crlfLines(csv);
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
}

// The surveyor types a sound velocity and a tide into the offsets window and starts the run from
// it while the receiver is still silent: the first record, made before any GNSS line, carries
// them, and so does a record after the receiver has spoken.
TEST(EndToEndSurvey, FirstRecordCarriesTheOffsetsInForceBeforeAnyGnssLine)
{
    RecordingPrompts prompts;
    PromptsGuard promptsGuard(prompts);
    FakeClock clock({2024, 5, 1, 10, 0, 0, 0});
    ClockGuard guard(clock);
    SurveyProgram program;
    program.startProgram();

    ASSERT_TRUE(Offsets->isVisible()) << "the offsets window is shown at start";
    Offsets->SV->setFocus(Qt::TabFocusReason);
    typeInto(Offsets->SV, "1480");
    Offsets->TideHt->setFocus(Qt::TabFocusReason);
    typeInto(Offsets->TideHt, "0.45");
    click(Offsets->realtimeButton);
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    ASSERT_TRUE(FNav->ZSENSOR->Connected()) << FNav->ZSENSOR->LastError();

    // The receiver says nothing yet; the echosounder's first line makes the first record.
    auto records = [&] { return crlfLines(program.home.readFile(CoordinatesFileName)); };
    ASSERT_TRUE(program.sounder.write(sentence("SDDPT,10.0,0.0") + "\r\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return records().size() == 2; }, 10000)) << records().size();
    // 10 m at 1480 m/s and the draft 0.5 m: 10.3667 m below the water; the tide 0.45 m above the datum.
    EXPECT_EQ(records()[1], "2024-05-01 100000000,,,,,-9.92,0.45,10.37,0.00,10,0,NMEA DPT,1480.00,0.50,0,0.00,0.45,0.00");

    // Then the receiver speaks: the values in force stay the same.
    ASSERT_TRUE(program.sendFixUntilPositioned(gga("100000.00", 41.0123456789, 33.0456789012, 4) + "\r\n"));
    ASSERT_TRUE(program.sounder.write(sentence("SDDPT,12.0,0.0") + "\r\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return records().size() == 3; }, 10000));
    EXPECT_NE(records()[2].find(",-11.89,0.45,12.34,0.00,12,0,NMEA DPT,1480.00,0.50,4,65.60,0.45,64.10"),
              std::string::npos)
        << records()[2];
    click(FNav->bRealtime);
}

// An echosounder sending good lines among absurd depths (right checksums) and lines whose
// checksum does not match: the sounding files hold exactly the good lines, the status bar shows
// each bad one as corrupt, and the events log counts them at Stop without a word of failed writes.
TEST(EndToEndSurvey, CorruptDepthLinesAreShownCountedAndLeftOut)
{
    RecordingPrompts prompts;
    PromptsGuard promptsGuard(prompts);
    FakeClock clock({2024, 5, 1, 10, 0, 0, 0});
    ClockGuard guard(clock);
    SurveyProgram program;
    program.startProgram([](IniFile& ini) {
        ini.writeString("SENSOR COMUNICATION SETTINGS", "cSBESMessage", "NMEA DBT");
        ini.writeString("SENSOR COMUNICATION SETTINGS", "eSBESFormat", "%*6s,%*lf,%*1s,%lf");
    });
    program.pressStart();
    ASSERT_TRUE(Offsets->isVisible());
    click(Offsets->cancelButton);
    const std::string fix = gga("100000.00", 41.0123456789, 33.0456789012, 4) + "\r\n";
    ASSERT_TRUE(program.sendFixUntilPositioned(fix));

    auto dbt = [](const std::string& metres) { return sentence("SDDBT,7.7,f," + metres + ",M,1.3,F"); };
    struct Line {
        std::string text;
        bool good;
    };
    const Line feed[] = {
        {dbt("2.3"), true},
        {dbt("1e308"), false},
        {dbt("1000000000"), false},
        {dbt("2.4"), true},
        {dbt("-5"), false},
        {dbt("NaN"), false},
        {dbt("inf"), false},
        {"$SDDBT,7.7,f,2.5,M,1.3,F*06", false},  // a checksum that does not match
        {"$SDDBT,7.7,f,25,M,1.3,F*03", false},   // the line of 2.5 m that lost its point on the way
        {dbt("2.6"), true},
    };
    const std::string xyzFile = XyzFolder + TodayString + " Simple XYZ.csv";
    size_t records = 0;
    for (const Line& line : feed) {
        SCOPED_TRACE(line.text);
        ASSERT_TRUE(program.sounder.write(line.text + "\r\n"));
        if (line.good) {
            ++records;
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return crlfLines(program.home.readFile(CoordinatesFileName)).size() == records + 1; }, 10000));
            EXPECT_EQ(FNav->StatusPanelText(5).toStdString(), line.text);
        } else {
            const QString shown = QString::fromStdString("[CORRUPT] " + line.text);
            ASSERT_TRUE(QTest::qWaitFor([&] { return FNav->StatusPanelText(5) == shown; }, 10000))
                << FNav->StatusPanelText(5).toStdString();
            EXPECT_EQ(fRealtime->lDepthHi->text(), "--.--");
        }
        ASSERT_TRUE(program.gnss.write(fix));
    }
    click(FNav->bRealtime);
    ASSERT_FALSE(FNav->Run().Running());

    // The good lines only, depths at 1485 m/s plus the 0.5 m draft, below the 0.3 m tide.
    const std::vector<std::string> csv = crlfLines(program.home.readFile(CoordinatesFileName));
    ASSERT_EQ(csv.size(), 4u) << program.home.readFile(CoordinatesFileName);
    EXPECT_EQ(csv[0], kHeader);
    const char* const depths[] = {",-2.48,0.30,2.78,0.00,2.3,0,NMEA DBT,1485.00,0.50,4,",
                                  ",-2.58,0.30,2.88,0.00,2.4,0,NMEA DBT,1485.00,0.50,4,",
                                  ",-2.77,0.30,3.07,0.00,2.6,0,NMEA DBT,1485.00,0.50,4,"};
    for (size_t i = 0; i < 3; ++i) EXPECT_NE(csv[i + 1].find(depths[i]), std::string::npos) << csv[i + 1];
    EXPECT_EQ(program.home.readFile(xyzFile), "Easting,Northing,Elevation\r\n503840.95,4540128.56,-2.48\r\n"
                                      "503840.95,4540128.56,-2.58\r\n503840.95,4540128.56,-2.77\r\n");

    const std::string events = program.home.readFile(EventsLogFileName());
    EXPECT_NE(events.find("Corrupt depth lines left out of the sounding files: 7"), std::string::npos) << events;
    EXPECT_LT(events.find("Corrupt depth lines left out"), events.find("Realtime STOPPED")) << "said when the run stops";
    EXPECT_EQ(events.find("Cannot write"), std::string::npos) << events;
    EXPECT_EQ(events.find("Writing "), std::string::npos) << events;
}
