// The whole program, offscreen, where the surveyor must be told something: a survey start that
// cannot open its ports says why over the main window, driven by the real Start button; a
// Lambert projection the settings hold is either drawn (Belgian Lambert 72, against PROJ) or said
// to be refused on the status bar and in the events log; a right click on the map of a fresh
// install raises nothing.
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
#include "platform/Prompts.h"
#include "platform/SerialPortMap.h"
#include "tools/OffsetsReport.h"
#include "tools/windows/OffsetsWindow.h"
#include "app/windows/NumberEdit.h"

#include "support/MissingPeer.h"
#include "support/PtyPair.h"
#include "support/RunningProgram.h"
#include "support/TempHome.h"

#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <filesystem>
#include <functional>
#include <sys/file.h>
#include <unistd.h>

using namespace vsx;
using namespace vsx::test;

namespace {

using Program = RunningProgram;

void gnssOn(IniFile& ini, const char* port)
{
    const char* s = "GPS1 COMUNICATION SETTINGS";
    ini.writeString(s, "Port No", port);
    ini.writeString(s, "Baud Rate", "9600");
    ini.writeString(s, "Delay", "10");
    ini.writeString(s, "NMEA LOG", "False");
    ini.writeString(s, "Log Time", "False");
    ini.writeBool("SENSOR COMUNICATION SETTINGS", "Sensor Enabled", false);
}

// Presses Start and checks what the surveyor sees: one message over the main window holding
// every expected part, the button still "Start", and the reason in the events log.
void expectRefusedStart(Program& p, const std::vector<std::string>& parts)
{
    QTest::mouseClick(FNav->bRealtime, Qt::LeftButton);
    EXPECT_FALSE(FNav->Run().Running());
    EXPECT_EQ(FNav->bRealtime->text(), "Start");
    ASSERT_EQ(p.prompts.entries.size(), 1u);
    const RecordingPrompts::Entry& shown = p.prompts.entries[0];
    EXPECT_EQ(shown.parent, FNav) << "said over the window where Start was pressed";
    EXPECT_EQ(shown.title, "Realtime not started");
    EXPECT_EQ(shown.kind, PromptKind::Error);
    for (const std::string& part : parts)
        EXPECT_NE(shown.text.toStdString().find(part), std::string::npos) << shown.text.toStdString() << "\n  lacks: " << part;
    EXPECT_NE(p.events().find(shown.text.toStdString()), std::string::npos) << p.events();
}

} // namespace

TEST(EndToEndRefusedStart, ReasonIsShownOverTheMainWindow)
{
    {
        SCOPED_TRACE("GNSS port not mapped to a device");
        Program p([](IniFile& ini) { gnssOn(ini, "COM5"); });
        expectRefusedStart(p, {"GNSS port", "COM5 is not assigned to a serial device", "[SERIAL_PORTS]",
                               p.home.iniPath()});
    }
    {
        SCOPED_TRACE("GNSS port mapped to a path that does not exist");
        Program p([](IniFile& ini) { gnssOn(ini, "COM5"); });
        const std::string gone = p.home.path("dev/ttyUSB9");
        IniFile(GetIniFileName()).writeString(kSerialPortsSection, "COM5", gone);
        expectRefusedStart(p, {"COM5", gone, "no such device", "plugged in"});
    }
    {
        SCOPED_TRACE("GNSS port held by another program");
        PtyPair gnss;
        Program p([](IniFile& ini) { gnssOn(ini, "COM5"); });
        gnss.mapTo(GetIniFileName(), "COM5");
        const int other = ::open(gnss.slavePath().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(other, 0);
        ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
        expectRefusedStart(p, {"COM5", gnss.slavePath(), "in use", "close the program"});
        ::close(other);
    }
    {
        SCOPED_TRACE("echosounder port not mapped; the GNSS port is given back");
        PtyPair gnss;
        Program p([](IniFile& ini) {
            gnssOn(ini, "COM5");
            ini.writeString("SENSOR COMUNICATION SETTINGS", "Port No", "COM6");
            ini.writeString("SENSOR COMUNICATION SETTINGS", "Delay", "10");
            ini.writeBool("SENSOR COMUNICATION SETTINGS", "Sensor Enabled", true);
        });
        gnss.mapTo(GetIniFileName(), "COM5");
        expectRefusedStart(p, {"echosounder port", "COM6 is not assigned to a serial device"});
        EXPECT_FALSE(FNav->ZGPS1->Connected());
    }
    {
        SCOPED_TRACE("echosounder on, no echosounder port chosen");
        PtyPair gnss;
        Program p([](IniFile& ini) {
            gnssOn(ini, "COM5");
            ini.writeBool("SENSOR COMUNICATION SETTINGS", "Sensor Enabled", true);
        });
        gnss.mapTo(GetIniFileName(), "COM5");
        expectRefusedStart(p, {"echosounder port", "no serial port is chosen", "Settings window"});
    }
}

// A UDP socket of another program bound to a free port on any address, with a socket option
// such as SO_REUSEADDR set to allow sharing (0: none).
struct HeldUdpPort {
    explicit HeldUdpPort(int shareOption = 0)
    {
        fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        const int on = 1;
        if (fd >= 0 && shareOption) ::setsockopt(fd, SOL_SOCKET, shareOption, &on, sizeof on);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_ANY);
        socklen_t len = sizeof a;
        if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
            port = ntohs(a.sin_port);
    }
    ~HeldUdpPort()
    {
        if (fd >= 0) ::close(fd);
    }
    int fd = -1;
    int port = 0;
};

// Starts that cannot run are refused whatever the reason, said over the window where Start was
// pressed and in the events log, and the survey never counts as started.
TEST(EndToEndRefusedStart, NoPositionSourceOrABadFieldRefusesTheStart)
{
    // A port held by another program is refused, also when that program lets others share it.
    for (const auto& [holder, shareOption] : {std::pair{"holds", 0}, std::pair{"holds and lets others share", SO_REUSEADDR}}) {
        SCOPED_TRACE(std::string("positions over UDP on a port another program ") + holder);
        HeldUdpPort held(shareOption);
        ASSERT_GT(held.port, 0);
        Program p([&](IniFile& ini) {
            ini.writeBool("SENSOR COMUNICATION SETTINGS", "Sensor Enabled", false);
            ini.writeBool("GPS_UDP", "Enabled", true);
            ini.writeString("GPS_UDP", "Port", std::to_string(held.port));
            ini.writeBool("GPS_UDP", "AutoConnect", true);
        });
        expectRefusedStart(p, {"UDP port " + std::to_string(held.port), "in use"});
        EXPECT_NE(p.events().find("Realtime not started: GNSS UDP input is not listening: UDP port " +
                                  std::to_string(held.port) + " is in use"),
                  std::string::npos)
            << p.events();
        EXPECT_EQ(p.events().find("Realtime STARTED"), std::string::npos);

        // The offsets window's Realtime: the same refusal, and no offsets report for a survey
        // that never ran.
        const std::string report = OffsetsReportFileName();
        ASSERT_TRUE(Offsets->isVisible()) << "the offsets window is shown at start";
        QTest::keyClicks(Offsets->Location, "Harbour");
        QTest::keyClicks(Offsets->SurveyBoat, "Tern");
        QTest::keyClicks(Offsets->Surveyor, "Ada");
        for (auto [edit, text] : {std::pair{Offsets->OffsetA, "0.5"}, std::pair{Offsets->OffsetB, "2"},
                                  std::pair{Offsets->OffsetC, "1.5"}, std::pair{Offsets->SV, "1485"},
                                  std::pair{Offsets->TideHt, "0"}}) {
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(edit, text);
        }
        QTest::mouseClick(Offsets->realtimeButton, Qt::LeftButton);
        EXPECT_FALSE(FNav->Run().Running());
        EXPECT_FALSE(std::filesystem::exists(report)) << p.home.readFile(report);
        EXPECT_EQ(p.events().find("Realtime STARTED"), std::string::npos);
    }
    {
        SCOPED_TRACE("a baud rate that is not a number");
        PtyPair gnss;
        Program p([](IniFile& ini) {
            gnssOn(ini, "COM5");
            ini.writeString("GPS1 COMUNICATION SETTINGS", "Baud Rate", "fast");
        });
        gnss.mapTo(GetIniFileName(), "COM5");
        expectRefusedStart(p, {"Realtime not started", "'fast' is not a valid integer value"});
        EXPECT_NE(p.events().find("Realtime not started: "), std::string::npos) << p.events();
        EXPECT_EQ(p.events().find("Realtime STARTED"), std::string::npos);
    }
}

// A device node the user may not open. Root passes every permission check, so as root the click
// is made with the effective user "nobody", the part of an ordinary surveyor.
TEST(EndToEndRefusedStart, DeviceWithoutRightsSaysToJoinTheDialoutGroup)
{
    PtyPair gnss;
    Program p([](IniFile& ini) { gnssOn(ini, "COM5"); });
    gnss.mapTo(GetIniFileName(), "COM5");
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        // Everything but the device stays open to "nobody": settings, day folders, events log.
        namespace fs = std::filesystem;
        for (const auto& e : fs::recursive_directory_iterator(p.home.root()))
            fs::permissions(e.path(), e.is_directory() ? fs::perms::all : fs::perms(0666), fs::perm_options::replace);
        fs::permissions(p.home.root(), fs::perms::all, fs::perm_options::replace);
        ASSERT_EQ(::chmod(gnss.slavePath().c_str(), 0600), 0);
        ASSERT_EQ(::seteuid(65534), 0);
    } else {
        ASSERT_EQ(::chmod(gnss.slavePath().c_str(), 0), 0);
    }
    QTest::mouseClick(FNav->bRealtime, Qt::LeftButton);
    if (asRoot) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    EXPECT_FALSE(FNav->Run().Running());
    EXPECT_EQ(FNav->bRealtime->text(), "Start");
    ASSERT_EQ(p.prompts.entries.size(), 1u);
    EXPECT_EQ(p.prompts.entries[0].parent, FNav);
    EXPECT_EQ(p.prompts.entries[0].text.toStdString(),
              "Realtime not started: GNSS port failed to open: COM5: Cannot open " + gnss.slavePath() +
                  ": permission denied; add the user to the dialout group");
}

TEST(EndToEndProjection, LambertIsDrawnOrItsRefusalIsSaid)
{
    if (!haveCct()) VSX_SKIP_MISSING() << "'cct' is not installed (Debian package proj-bin); the PROJ comparison is skipped";
    // Belgian Lambert 72 on the international ellipsoid (a plain ellipsoid change from WGS-84, so
    // PROJ can follow), and the same with standard parallels that make no cone.
    struct Row {
        const char* name;
        const char* parallel2;
        bool drawn;
    };
    const Row rows[] = {{"Belgian Lambert 72", "49.8333339", true}, {"parallels about the equator", "-51.1666672333333", false}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        PtyPair gnss;
        Program p([&](IniFile& ini) {
            gnssOn(ini, "COM5");
            const std::pair<const char*, const char*> geodetic[] = {
                {"SemiMajorAxis", "6378388"},   {"InverseFlattening", "297"}, {"Scale_PPM", "0"},
                {"X_Rotation", "0"},            {"Y_Rotation", "0"},          {"Z_Rotation", "0"},
                {"X_Shift", "0"},               {"Y_Shift", "0"},             {"Z_Shift", "0"},
                {"Central_Meridian", "3"},      {"Reference_Latitude", "0"},  {"Scale_Factor", "0.9996"},
                {"False_Easting", "500000"},    {"False_Northing", "0"},
                {"eLCCSP1", "51.1666672333333"}, {"eLCCSP2", r.parallel2},   {"eLCCSF", "1"},
                {"eLCCCP", "90"},               {"eLCCM", "4.36748666666667"}, {"eLCCFE", "150000.013"},
                {"eLCCFN", "5400088.438"}};
            for (const auto& [key, value] : geodetic) ini.writeString("GEODETIC_PARAMETERS", key, value);
            ini.writeBool("GEODETIC_PARAMETERS", "cbUseLCCProjection", true);
            ini.writeBool("GEODETIC_PARAMETERS", "cLambert1", false);
        });
        gnss.mapTo(GetIniFileName(), "COM5");
        QTest::mouseClick(FNav->bRealtime, Qt::LeftButton);
        ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
        const double lat = 50.8, lon = 4.35, alt = 100.0;
        ASSERT_TRUE(gnss.write(gga("101500.00", lat, lon, 4, alt, 47.0) + "\r\n"));
        const RealtimeState& s = realtimeState();
        if (r.drawn) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return s.VesselEasting != 0; }, 10000));
            const auto grid = runCct("+proj=pipeline +step +proj=axisswap +order=2,1 +step +proj=unitconvert +xy_in=deg "
                                     "+xy_out=rad +step +proj=cart +ellps=WGS84 +step +inv +proj=cart +a=6378388 +rf=297 "
                                     "+step +proj=lcc +lat_0=90 +lon_0=4.36748666666667 +lat_1=51.1666672333333 "
                                     "+lat_2=49.8333339 +x_0=150000.013 +y_0=5400088.438 +a=6378388 +rf=297",
                                     num(lat) + " " + num(lon) + " " + num(alt) + " 0\n");
            ASSERT_EQ(grid.size(), 1u);
            EXPECT_NEAR(s.VesselEasting, grid[0][0], 0.01);
            EXPECT_NEAR(s.VesselNorthing, grid[0][1], 0.01);
            EXPECT_EQ(p.events().find("Projection not usable"), std::string::npos);
        } else {
            ASSERT_TRUE(QTest::qWaitFor([] { return FNav->StatusPanelText(0).startsWith("Projection not usable"); }, 10000))
                << FNav->StatusPanelText(0).toStdString();
            EXPECT_TRUE(FNav->StatusPanelText(0).contains("standard parallels")) << FNav->StatusPanelText(0).toStdString();
            EXPECT_EQ(s.VesselEasting, 0);
            ASSERT_TRUE(waitForTicks(FNav->tMap, 3)) << "more map ticks: said once";
            const std::string events = p.events();
            const size_t first = events.find("Projection not usable: the Lambert projection (two standard parallels)");
            ASSERT_NE(first, std::string::npos) << events;
            EXPECT_EQ(events.find("Projection not usable", first + 1), std::string::npos) << events;
        }
        QTest::mouseClick(FNav->bRealtime, Qt::LeftButton);
    }
}

// A fresh install: the offsets window is open with the caret in a field the surveyor has just
// emptied, and the surveyor right-clicks the map. The menu opens, and nothing else.
TEST(EndToEndMapMenu, RightClickWithAnEmptiedOffsetsFieldRaisesNothing)
{
    Program p;
    ASSERT_TRUE(Offsets->isVisible());
    QApplication::setActiveWindow(Offsets);
    Offsets->OffsetA->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([] { return Offsets->OffsetA->hasFocus(); }, 1000));
    QTest::keyClick(Offsets->OffsetA, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(Offsets->OffsetA, Qt::Key_Backspace);
    ASSERT_TRUE(Offsets->OffsetA->text().isEmpty());

    const QPoint at = FNav->fcad->rect().center();
    QTest::mousePress(FNav->fcad, Qt::RightButton, {}, at);
    QTest::mouseRelease(FNav->fcad, Qt::RightButton, {}, at);
    ASSERT_TRUE(QTest::qWaitFor([] { return FNav->MapContextMenu->isVisible(); }, 1000));
    QTest::qWait(50);
    QTest::keyClick(FNav->MapContextMenu, Qt::Key_Escape);
    EXPECT_FALSE(FNav->MapContextMenu->isVisible());
    QTest::qWait(50);
    EXPECT_TRUE(p.prompts.entries.empty()) << p.prompts.entries[0].text.toStdString();
}
