// The whole program on pseudo-terminal devices, driven through its real controls: a survey
// stopped with the real-time button says which ports it closed (never that a device went away),
// the message window carries no developer text, File > Exit saves the drawing once, and an
// echosounder that falls silent is reported by the watchdog and then, naming what to check, when
// the receiver's own no-data time has passed.
#include "MainWindowDriver.h"
#include "NavTestSupport.h"

#include "app/windows/MessageWindow.h"
#include "input/TVeldorSerialGPS.h"
#include "tools/windows/RealtimeDataWindow.h"

#include "support/PtyPair.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>

using namespace vsx;
using namespace vsx::test;

namespace {

using P = MapProgram;

size_t countOf(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

std::string messages() { return FMsg->Msg->toPlainText().toStdString(); }

// The survey set-up of writeSurveySettings with its two devices on pseudo-terminals: the GNSS
// receiver on COM5, the echosounder on COM6.
struct Devices {
    PtyPair gnss, sounder;
    std::function<void(IniFile&)> settings()
    {
        return [this](IniFile& ini) {
            gnss.mapTo(ini.path(), "COM5");
            sounder.mapTo(ini.path(), "COM6");
            writeSurveySettings(ini.path());
        };
    }
    // One fix and one depth, as the devices send them every 200 ms.
    void talk(bool sounderTalks = true)
    {
        gnss.write(gga("120000.00", 41.0123456789, 33.0456789012, 4) + "\r\n" + hdt(12.5) + "\r\n");
        if (sounderTalks) sounder.write(sentence("SDDPT,12.34,0.0") + "\r\n");
        QTest::qWait(200);
    }
    bool talkUntil(const std::function<bool()>& done, int ms, bool sounderTalks = true)
    {
        for (int t = 0; t < ms && !done(); t += 200) talk(sounderTalks);
        return done();
    }
};

void pressRealtime() { QTest::mouseClick(FNav->bRealtime, Qt::LeftButton); }

} // namespace

TEST(EndToEndStopAndExit, StopSaysWhichPortsItClosed)
{
    Devices d;
    P p(d.settings());
    pressRealtime();
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    // Depths and the grid position are on screen.
    ASSERT_TRUE(d.talkUntil([] { return fRealtime->lDepthHi->text() != QStringLiteral("--.--") && !FNav->StatusPanelText(1).isEmpty(); },
                            5000));

    pressRealtime();
    ASSERT_FALSE(FNav->Run().Running());
    EXPECT_FALSE(FNav->ZGPS1->Connected());
    EXPECT_FALSE(FNav->ZSENSOR->Connected());
    const std::string events = p.events();
    EXPECT_NE(events.find("Realtime stopped: ports COM5 and COM6 closed"), std::string::npos) << events;
    EXPECT_NE(events.find("Realtime STOPPED"), std::string::npos) << "the stop's own line stays";
    EXPECT_EQ(events.find("Disconnected from"), std::string::npos) << "a stop is no lost device:\n" << events;
    EXPECT_NE(messages().find("Realtime stopped: ports COM5 and COM6 closed"), std::string::npos) << messages();
    EXPECT_EQ(messages().find("Disconnected from"), std::string::npos) << messages();

    // The start spoke in the surveyor's words: which port the echosounder opened on, and nothing
    // about the program's insides.
    EXPECT_EQ(countOf(events, "Connected to NMEA Sensor on COM6"), 1u) << events;
    EXPECT_NE(messages().find("Connected to NMEA Sensor on COM6"), std::string::npos) << messages();
    EXPECT_EQ(messages().find("ZSENSOR"), std::string::npos) << messages();

    // A second run on the same ports says the same at its stop.
    pressRealtime();
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    d.talk();
    pressRealtime();
    EXPECT_EQ(countOf(p.events(), "Realtime stopped: ports COM5 and COM6 closed"), 2u);
    EXPECT_EQ(p.events().find("Disconnected from"), std::string::npos);
}

TEST(EndToEndStopAndExit, ExitThroughTheFileMenuSavesOnce)
{
    P p;
    QTest::mouseClick(P::button("ToolButton7"), Qt::LeftButton);
    P::clickWorld(400, 400);
    P::chooseMenu("Exit1");
    EXPECT_FALSE(FNav->isVisible());

    const std::string events = p.events();
    EXPECT_EQ(countOf(events, "Auto-saved: "), 1u) << events;
    const std::string saved = IniFile(GetIniFileName()).readString("FILE", "Last File Saved", "");
    EXPECT_NE(events.find("Auto-saved: " + saved), std::string::npos) << events;
    CanvasModel back;
    ASSERT_TRUE(LoadShapeFile(back, saved, 0, 0, 0)) << saved;
    EXPECT_EQ(back.LayerShapeCount(back.FindLayer("veldor_usershape")), 1) << "the point drawn just before";
}

// The watchdog says "Sensor TimeOut." 5 s after the last depth; the receiver, whose no-data time
// is 10 s, then says what to check. The GNSS receiver talks on all the while.
TEST(EndToEndStopAndExit, EchosounderConnectAndSilence)
{
    Devices d;
    P p(d.settings());
    pressRealtime();
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    EXPECT_NE(messages().find("Connected to NMEA Sensor on COM6"), std::string::npos) << messages();
    EXPECT_TRUE(FMsg->isVisible()) << "the echosounder's connection is shown";
    ASSERT_TRUE(d.talkUntil([] { return fRealtime->lDepthHi->text() != QStringLiteral("--.--"); }, 5000));

    const char* idle = "Sensor timeout! Check your connection to the Sensor.";
    EXPECT_EQ(p.events().find(idle), std::string::npos);
    ASSERT_TRUE(d.talkUntil([&] { return p.events().find(idle) != std::string::npos; }, 30000, false))
        << p.events();
    EXPECT_TRUE(FMsg->isVisible());
    EXPECT_NE(messages().find(idle), std::string::npos) << messages();
    EXPECT_EQ(fRealtime->DepthFrameHi->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(fRealtime->lDepthHi->text(), QStringLiteral("--.--"));
    const std::string events = p.events();
    ASSERT_NE(events.find("Sensor TimeOut."), std::string::npos) << events;
    EXPECT_LT(events.find("Sensor TimeOut."), events.find(idle)) << "the watchdog speaks first";
    EXPECT_EQ(events.find("GPS is idle!"), std::string::npos) << "the GNSS receiver was never silent";

    // The depths come back, and a stop afterwards still names both ports.
    ASSERT_TRUE(d.talkUntil([] { return fRealtime->lDepthHi->text() != QStringLiteral("--.--"); }, 5000));
    EXPECT_EQ(fRealtime->DepthFrameHi->palette().color(QPalette::Window), QColor(0, 255, 0));
    EXPECT_EQ(countOf(p.events(), idle), 1u) << "one report per silence";
    pressRealtime();
    EXPECT_NE(p.events().find("Realtime stopped: ports COM5 and COM6 closed"), std::string::npos);
}
