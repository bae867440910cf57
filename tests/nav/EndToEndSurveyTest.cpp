// The whole program on two pseudo-terminal devices, a GNSS receiver and an echosounder, through a
// survey run that crosses midnight (fake wall clock) with a bad number typed into the draft field
// half-way: every depth line that went in must come out as its record, byte for byte, and the raw
// log must hold every line.
#include "NavTestSupport.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/ProgramStart.h"
#include "app/windows/WindowPointers.h"
#include "input/GgaForwarding.h"
#include "input/TVeldorSerialGPS.h"
#include "nav/RealtimeState.h"
#include "nav/SoundingFiles.h"
#include "nav/SurveyRun.h"
#include "nav/windows/MainWindow.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "tools/windows/NavigationSettingsWindow.h"
#include "tools/windows/OffsetsWindow.h"
#include "app/windows/NumberEdit.h"

#include "support/PtyPair.h"
#include "support/TempHome.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace vsx;
using namespace vsx::test;

namespace {

struct ClockGuard {
    explicit ClockGuard(Clock& c) { setClock(&c); }
    ~ClockGuard() { setClock(nullptr); }
};

} // namespace

TEST(EndToEndSurvey, EveryDepthLineBecomesItsRecordAcrossMidnight)
{
    TempHome home;
    FakeClock clock({2024, 5, 1, 23, 59, 50, 0});
    ClockGuard guard(clock);
    PtyPair gnss, sounder;
    gnss.mapTo(home.iniPath(), "COM5");
    sounder.mapTo(home.iniPath(), "COM6");
    writeSurveySettings(home.iniPath());
    InitSharedValues();
    ForwardEnabled = false;

    CreateAllWindows();
    ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 3000));
    FNav->bRealtime->click();
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    ASSERT_TRUE(FNav->ZSENSOR->Connected()) << FNav->ZSENSOR->LastError();

    // The surveyor closes the offsets window (shown at start): its values are taken over from now.
    Offsets->hide();
    const double lat = 41.0123456789, lon = 33.0456789012;
    const std::string fix = gga("235950.00", lat, lon, 4) + "\r\n" + hdt(12.5) + "\r\n";
    RealtimeState& st = realtimeState();
    for (int i = 0; i < 25 && st.VesselEasting == 0; ++i) {
        ASSERT_TRUE(gnss.write(fix));
        QTest::qWait(100);
    }
    ASSERT_NE(st.VesselEasting, 0) << "the vessel has a grid position";

    // Twenty depth lines a second of fake time apart, over midnight; an untagged and a corrupt
    // line among them; the draft edit holds a half-typed number from line 12 on.
    std::string sounderIn;
    std::vector<std::string> expectedRecords;
    for (int k = 0; k < 20; ++k) {
        if (k == 12) Offsets->OffsetA->setText("0,5x");
        const double raw = 10.0 + k * 0.25;
        const std::string line = sentence("SDDPT," + formatFixed(raw, 2) + ",0.0");
        const LocalDateTime now = toLocal(clock.now());
        std::string lines;
        if (k == 5) lines += "$GPZDA,x*00\r\n" + sentence("SDDPT,,0.0") + "\r\n";
        lines += line + "\r\n";
        sounderIn += lines;
        ASSERT_TRUE(sounder.write(lines));
        // Every line gets its record at the wall time it arrived.
        ASSERT_TRUE(QTest::qWaitFor([&] { return st.TrueDepthHi > 0 && std::fabs(st.TrueDepthHi - (raw * 1485 / 1500 + 0.5)) < 1e-9; }, 2000))
            << "line " << k << ": depth " << st.TrueDepthHi;
        SoundingRecord r;
        r.time = now;
        r.latitude = st.GpsLatitude;
        r.longitude = st.GpsLongitude;
        r.easting = st.VesselEasting;
        r.northing = st.VesselNorthing;
        r.manualTide = 0.3;
        r.trueHi = raw * 1485 / 1500 + 0.5;
        r.rawHi = raw;
        r.messageType = "NMEA DPT";
        r.soundVelocity = 1485;
        r.draft = 0.5;
        r.fixQuality = 4;
        r.rtkAntennaHeight = st.RtkAntennaHeight;
        r.rtkTide = st.RtkTide;
        expectedRecords.push_back(FormatSoundingRecord(r));
        clock.advance(std::chrono::seconds(1));
        gnss.write(fix);
    }
    QTest::qWait(200);
    FNav->bRealtime->click();
    EXPECT_FALSE(FNav->Run().Running());

    // The survey file keeps the start day's name; its records carry the time they were made.
    EXPECT_EQ(CoordinatesFileName, LogFolder + "2024-05-01 Coordinates.csv");
    std::string golden = std::string(kSurveyCsvHeader) + "\r\n";
    for (const auto& rec : expectedRecords) golden += rec + "\r\n";
    const std::string csv = home.readFile(CoordinatesFileName);
    EXPECT_EQ(csv, golden);
    EXPECT_NE(csv.find("\r\n2024-05-02 000000000,"), std::string::npos) << "records after midnight";
    EXPECT_NEAR(st.GpsLatitude, lat, 1e-9);

    // The echosounder's raw log holds every line that went in, the untagged and corrupt ones too.
    EXPECT_EQ(home.readFile(LogFolder + "2024-05-01 VSX_SBES_V3.log"), sounderIn);
    // After midnight the events log takes the new day's name, in the start day's folder.
    EXPECT_NE(home.readFile(LogFolder + "2024-05-01 Events.log").find("Realtime STARTED"), std::string::npos);
    EXPECT_NE(home.readFile(LogFolder + "2024-05-02 Events.log").find("Realtime STOPPED"), std::string::npos);
    DestroyAllWindows();
}
