// The whole program through a survey run in which its devices are pulled out and put back on
// the same path, as a USB cable is: first the GNSS receiver together with an extra vessel's
// receiver, then the echosounder. The program must say so when each goes and when each comes
// back, show no position while the GNSS receiver is away, write no position into the soundings
// made meanwhile, and read every line the devices send after their return, without the surveyor
// touching anything.
#include "NavTestSupport.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/MessageWindow.h"
#include "app/windows/WindowPointers.h"
#include "canvas/CanvasOverlays.h"
#include "canvas/VeldorCanvas.h"
#include "input/ReceiverPortSettings.h"
#include "input/TVeldorSerialGPS.h"
#include "nav/RealtimeLogs.h"
#include "nav/RealtimeState.h"
#include "nav/windows/MainWindow.h"
#include "platform/Numbers.h"
#include "program/ProgramStart.h"
#include "tools/windows/OffsetsWindow.h"
#include "tools/windows/RealtimeDataWindow.h"

#include "support/ControlInput.h"
#include "support/PluggableDevice.h"
#include "support/TempHome.h"

#include <QLabel>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace vsx;
using namespace vsx::test;

namespace {

std::vector<std::string> splitCsv(const std::string& line)
{
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == ',') fields.emplace_back();
        else if (c != '\r') fields.back() += c;
    }
    return fields;
}

size_t countOf(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The devices of the survey, fed at 5 Hz as real ones talk: a GGA and an HDT from the GNSS
// receiver, a GGA from the extra vessel and a depth from the echosounder each step, while each
// is plugged in and talks. Every line sent is noted with the phase it was sent in. A device put
// back stays quiet until the program has opened it: what a device says before its port is
// opened is dropped with the open (as on a real port), and is no line the program could read.
struct Survey {
    explicit Survey(TempHome& home)
        : gnss(home.path("gnss-by-id")), sounder(home.path("sounder-by-id")), tender(home.path("tender-by-id"))
    {
    }

    // One 200 ms step; the depth lines get raw depths no other line has, so each record names its line.
    void step(const std::string& phase)
    {
        ++n;
        const std::string fix = gga("120000.00", lat + n * 1e-6, lon, 4) + "\r\n" + hdt(12.5) + "\r\n";
        if (gnssTalks && gnss.write(fix)) gnssSent[phase] += fix;
        const std::string other = gga("120000.00", lat + 0.001, lon + n * 1e-6, 4) + "\r\n";
        if (gnssTalks && tender.write(other)) tenderSent[phase] += other;
        const std::string raw = formatFixed(10.0 + n * 0.01, 2);
        const std::string depth = sentence("SDDPT," + raw + ",0.0") + "\r\n";
        if (sounderTalks && sounder.write(depth)) {
            sounderSent[phase] += depth;
            depthPhase[raw] = phase;
        }
        QTest::qWait(200);
    }
    void run(const std::string& phase, int ms)
    {
        for (int t = 0; t < ms; t += 200) step(phase);
    }
    // Steps until `done`, at most `ms` worth of steps.
    bool runUntil(const std::string& phase, const std::function<bool()>& done, int ms)
    {
        for (int t = 0; t < ms && !done(); t += 200) step(phase);
        return done();
    }

    PluggableDevice gnss, sounder, tender;
    bool gnssTalks = true, sounderTalks = true;
    const double lat = 41.0123456789, lon = 33.0456789012;
    int n = 0;
    std::map<std::string, std::string> gnssSent, sounderSent, tenderSent;
    std::map<std::string, std::string> depthPhase;  // raw depth text -> phase its line was sent in
};

std::string messages() { return FMsg ? FMsg->Msg->toPlainText().toStdString() : std::string(); }

} // namespace

TEST(EndToEndDeviceLoss, DevicesPulledOutAndPutBackAreReadAgain)
{
    TempHome home;
    Survey s(home);
    s.gnss.mapTo(home.iniPath(), "COM5");
    s.sounder.mapTo(home.iniPath(), "COM6");
    s.tender.mapTo(home.iniPath(), "COM7");
    writeSurveySettings(home.iniPath());
    {
        IniFile ini(home.iniPath());
        ini.writeInteger("MULTI_VESSEL", "Count", 1);
        ini.writeBool("GPS2", "Enabled", true);
        ini.writeString("GPS2", "Name", "Tender");
        ini.writeString("GPS2", "Port", "COM7");
    }
    InitSharedValues();

    CreateAllWindows();
    ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 10000));
    click(FNav->bRealtime);
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    ASSERT_TRUE(Offsets->isVisible());
    click(Offsets->cancelButton);
    ASSERT_FALSE(Offsets->isVisible());
    RealtimeState& st = realtimeState();
    const std::string date = CurrentDateString();
    const std::string events = LogFolder + date + " Events.log";
    const std::string gnssLog = LogFolder + date + std::string(kGnssRawLogSuffix);
    const std::string sounderLog = LogFolder + date + std::string(kSounderRawLogSuffix);
    const std::string tenderLog = ExtraVesselGnssLogName(LogFolder, date, "Tender");
    const CanvasSettings& hud = FNav->fcad->Settings();

    ASSERT_TRUE(s.runUntil("before", [&] { return st.VesselEasting != 0; }, 20000)) << "the vessel has a grid position";
    s.run("before", 400);

    // ---- The GNSS receiver and the tender's receiver are pulled out. ----
    s.gnss.unplug();
    s.tender.unplug();
    ASSERT_TRUE(s.runUntil("going", [&] { return FNav->ZGPS1->DeviceLost() && FNav->ExtraVesselReceivers[0]->DeviceLost(); }, 10000));
    EXPECT_NE(messages().find("Disconnected from GPS on COM5"), std::string::npos) << messages();
    EXPECT_NE(home.readFile(events).find("Disconnected from GPS on COM5"), std::string::npos);
    EXPECT_NE(home.readFile(events).find("ExtraGPS Tender: disconnected from COM7"), std::string::npos);
    EXPECT_TRUE(FMsg->isVisible());
    EXPECT_TRUE(FNav->StatusPanelText(0).startsWith("GPS lost on COM5")) << FNav->StatusPanelText(0).toStdString();
    EXPECT_EQ(HeadingHudText(hud), "*** GPS LOST - NO POSITION ***");
    EXPECT_FALSE(FNav->tMap->isActive());
    // A position is current for 2 s after its GGA; the soundings of the gap are those made later.
    s.run("going", 2200);
    ASSERT_TRUE(s.runUntil("gap", [&] { return s.n % 5 == 0; }, 1000)) << "five steps make one";
    s.run("gap", 1000);
    EXPECT_TRUE(FNav->ZGPS1->DeviceLost()) << "the first try again found nothing";
    s.gnss.plugIn();
    s.tender.plugIn();
    s.gnssTalks = false;
    ASSERT_TRUE(s.runUntil("gap", [&] { return !FNav->ZGPS1->DeviceLost() && !FNav->ExtraVesselReceivers[0]->DeviceLost(); },
                           TVeldorSerialGPS::kDefaultReconnectIntervalMs + 10000));
    s.gnssTalks = true;
    const double eastingBefore = st.VesselEasting;
    EXPECT_EQ(countOf(home.readFile(events), "Connected to GPS on COM5"), 2u) << "at the start and at the return";
    EXPECT_NE(home.readFile(events).find("ExtraGPS Tender: connected again on COM7"), std::string::npos);
    EXPECT_EQ(HeadingHudText(hud), "*** GPS BACK - NO POSITION YET ***");

    // Back: the map loop runs again from the first line, and the banner shows the fix again.
    EXPECT_TRUE(s.runUntil("back", [&] { return FNav->tMap->isActive() && HeadingHudText(hud).find("RTK") != std::string::npos; },
                           10000))
        << HeadingHudText(hud);
    EXPECT_TRUE(s.runUntil("back-settled", [&] { return st.VesselEasting != eastingBefore; }, 10000))
        << "the vessel moves on the map again";
    s.run("back-settled", 1400);
    EXPECT_FALSE(FNav->StatusPanelText(0).contains("lost"));

    // ---- The echosounder is pulled out. ----
    s.sounder.unplug();
    ASSERT_TRUE(s.runUntil("sounder gone", [&] { return FNav->ZSENSOR->DeviceLost(); }, 10000));
    EXPECT_NE(messages().find("Disconnected from NMEA Sensor on COM6"), std::string::npos);
    EXPECT_EQ(countOf(home.readFile(events), "Disconnected from NMEA Sensor on COM6"), 1u) << "said once";
    EXPECT_TRUE(FNav->StatusPanelText(5).startsWith("Echosounder lost on COM6")) << FNav->StatusPanelText(5).toStdString();
    EXPECT_EQ(fRealtime->lDepthHi->text(), QStringLiteral("--.--"));
    EXPECT_EQ(st.TrueDepthHi, 0);
    s.run("sounder gone", 4000);
    s.sounder.plugIn();
    s.sounderTalks = false;
    ASSERT_TRUE(s.runUntil("sounder gone", [&] { return !FNav->ZSENSOR->DeviceLost(); },
                           TVeldorSerialGPS::kDefaultReconnectIntervalMs + 10000));
    s.sounderTalks = true;
    EXPECT_NE(home.readFile(events).find("Connected to NMEA Sensor on COM6"), std::string::npos);
    EXPECT_TRUE(s.runUntil("sounder back", [] { return fRealtime->lDepthHi->text() != QStringLiteral("--.--"); }, 10000));
    s.run("sounder back", 2000);

    // ---- Gone once more, and the surveyor stops: the tries end with the run. ----
    s.sounder.unplug();
    ASSERT_TRUE(s.runUntil("end", [&] { return FNav->ZSENSOR->DeviceLost(); }, 10000));
    click(FNav->bRealtime);
    ASSERT_FALSE(FNav->Run().Running());
    EXPECT_FALSE(FNav->ZSENSOR->Connected());
    for (TVeldorSerialGPS* r : {FNav->ZGPS1, FNav->ZSENSOR, FNav->ExtraVesselReceivers[0]})
        EXPECT_FALSE(r->findChild<QTimer*>("ReconnectTimer")->isActive()) << r->objectName().toStdString();
    s.sounder.plugIn();
    QTest::qWait(TVeldorSerialGPS::kDefaultReconnectIntervalMs + 300);
    EXPECT_FALSE(FNav->ZSENSOR->Connected());
    EXPECT_EQ(countOf(home.readFile(events), "Connected to NMEA Sensor on COM6"), 2u) << "at the start and at the return";

    // Every line sent after a return is in its raw log, in order, right behind what came before.
    const std::string gnssRaw = home.readFile(gnssLog);
    const std::string afterGnss = s.gnssSent["back"] + s.gnssSent["back-settled"] + s.gnssSent["sounder gone"] +
                                  s.gnssSent["sounder back"] + s.gnssSent["end"];
    EXPECT_NE(gnssRaw.find(afterGnss), std::string::npos) << "GNSS lines after the return";
    EXPECT_EQ(gnssRaw.find(s.gnssSent["before"]), 0u);
    const std::string tenderRaw = home.readFile(tenderLog);
    for (const char* phase : {"back", "back-settled", "sounder gone", "sounder back"}) {
        for (size_t at = 0, next; (next = s.tenderSent[phase].find("\r\n", at)) != std::string::npos; at = next + 2)
            EXPECT_NE(tenderRaw.find(s.tenderSent[phase].substr(at, next - at)), std::string::npos) << phase;
    }
    EXPECT_NE(home.readFile(sounderLog).find(s.sounderSent["sounder back"]), std::string::npos);

    // Every depth line has its record; none made in the gap has a position, and those made once
    // the receiver is back have one again.
    std::set<std::string> recorded;
    size_t gapRecords = 0, backRecords = 0;
    const std::string csv = home.readFile(CoordinatesFileName);
    for (size_t at = csv.find("\r\n") + 2, next; (next = csv.find("\r\n", at)) != std::string::npos; at = next + 2) {
        const std::vector<std::string> f = splitCsv(csv.substr(at, next - at));
        ASSERT_EQ(f.size(), 18u) << csv.substr(at, next - at);
        const std::string raw = formatFixed(parseDouble(f[9]).value_or(-1), 2);  // written without trailing zeros
        recorded.insert(raw);
        const std::string phase = s.depthPhase[raw];
        if (phase == "gap") {
            ++gapRecords;
            EXPECT_TRUE(f[1].empty() && f[2].empty() && f[3].empty() && f[4].empty())
                << "a sounding of the gap carries a position: " << csv.substr(at, next - at);
        } else if (phase == "back-settled" || phase == "sounder back") {
            ++backRecords;
            EXPECT_FALSE(f[1].empty() || parseDouble(f[1]).value_or(0) == 0) << csv.substr(at, next - at);
        }
    }
    EXPECT_GE(gapRecords, 10u);
    EXPECT_GE(backRecords, 15u);
    for (const auto& [raw, phase] : s.depthPhase) EXPECT_TRUE(recorded.count(raw)) << "no record for " << raw << " (" << phase << ")";
    DestroyAllWindows();
}
