// The main window inside the whole program (offscreen): what its creation and first show take
// from the settings, its close, the map menu's commands and UDP input reaching the map.
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/TranslationManager.h"
#include "program/ProgramStart.h"
#include "app/windows/WindowPointers.h"
#include "input/GgaForwarding.h"
#include "input/TVeldorSerialGPS.h"
#include "input/windows/DeviceSettingsPanels.h"
#include "input/windows/ForwardingGroups.h"
#include "input/windows/DeviceSettingsWindow.h"
#include "nav/CommandLine.h"
#include "nav/RealtimeState.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "platform/Prompts.h"
#include "platform/Paths.h"
#include "tools/FolderOpener.h"
#include "tools/windows/OffsetsWindow.h"

#include "NavTestSupport.h"
#include "support/RunningProgram.h"
#include "support/TempHome.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <filesystem>

using namespace vsx;
using namespace vsx::test;

namespace {

// Positions over UDP (listening on a free port) and no echosounder: a run that starts without a
// serial port.
void startOnUdpInputAlone()
{
    GpsUdpInputGroup* udp = FGPS->forwardingPanel()->udpInput();
    udp->edTCPPort->setText(QString::number(freeUdpPort()));
    udp->btnTCPConnect->click();
    GpsUdpEnabled = true;
    FGPS->SensorEnabled->setChecked(false);
    FNav->bRealtime->click();
    GpsUdpEnabled = false;
}

// The program with its windows, from a settings file the test wrote, first show done.
using Program = RunningProgram;

} // namespace

TEST(MainWindow, CreationAndFirstShowTakeTheirSettings)
{
    // A Turkish table the translation manager finds, standing in for the shipped one.
    const TempHome languages;
    languages.writeFile("Languages/tr.json", "{\"Start\": \"Ba\xC5\x9Flat\", \"Stop\": \"Durdur\"}");
    delete Translator;
    Translator = new TranslationManager(languages.path("Languages/"));
    {
        Program p([](IniFile& ini) {
            ini.writeString("SETTINGS", "Language", "tr");
            ini.writeBool("SETTINGS", "SatelliteMapVisible", true);
            ini.writeInteger("MULTI_VESSEL", "Count", 12);
            for (int k = 2; k <= 10; ++k) ini.writeString("GPS" + std::to_string(k), "Name", "Boat " + std::to_string(k));
            ini.writeBool("GPS3", "Enabled", true);
            ini.writeInteger("SCREENSHOT", "Interval", 15);
            ini.writeFloat("CANVAS", "PlanWorldLeft", 400000);
            ini.writeFloat("CANVAS", "PlanWorldRight", 401000);
            ini.writeFloat("CANVAS", "PlanWorldTop", 4501000);
            ini.writeFloat("CANVAS", "PlanWorldBottom", 4500000);
        });
        EXPECT_EQ(ExtraVessels.size(), 8u) << "at most eight further vessels, from [GPS2] to [GPS9]";
        ASSERT_EQ(FNav->ExtraVesselReceivers.size(), ExtraVessels.size()) << "one receiver per entry, enabled or not";
        EXPECT_EQ(ExtraVessels[7].Name, "Boat 9");
        EXPECT_TRUE(ExtraVessels[1].Enabled);
        EXPECT_EQ(FNav->StatusPanelText(4), "TR");
        EXPECT_EQ(FNav->StatusPanelText(6), "MAP: ON");
        EXPECT_EQ(FNav->bRealtime->text(), QString::fromUtf8("Ba\xC5\x9Flat"));
        EXPECT_TRUE(FNav->tScreenshot->isActive());
        EXPECT_EQ(FNav->tScreenshot->interval(), 15000);
        EXPECT_EQ(FGPS->eScreenshotInterval->text(), "15");
        EXPECT_EQ(FNav->fcad->Model().WorldXMin(), 400000);
        EXPECT_EQ(FNav->fcad->Model().WorldYMax(), 4501000);
        EXPECT_TRUE(Offsets->isVisible());
        for (const char* layer : {"Veldor Grid", "track_fix", "track_nofix", "track_float", "veldor_tempshape",
                                  "veldor_usershape", "event_number", "~~Veldor Vessel"})
            EXPECT_GE(FNav->fcad->Model().FindLayer(layer), 0) << layer;
        EXPECT_EQ(FNav->fcad->Model().CurrentLayer(), 0) << "making the standard layers leaves the user's layer current";
        FNav->onEnglishTriggered();
        EXPECT_EQ(FNav->bRealtime->text(), "Start");
        EXPECT_EQ(FNav->StatusPanelText(4), "EN");
        EXPECT_EQ(IniFile(GetIniFileName()).readString("SETTINGS", "Language", ""), "en");
    }
    delete Translator;
    Translator = nullptr;

    Program none([](IniFile& ini) {
        ini.writeInteger("MULTI_VESSEL", "Count", -3);
        ini.writeInteger("SCREENSHOT", "Interval", 0);
    });
    EXPECT_TRUE(ExtraVessels.empty());
    EXPECT_FALSE(FNav->tScreenshot->isActive());
    EXPECT_EQ(FNav->StatusPanelText(6), "MAP: OFF");
    FNav->onShowSatelliteImageTriggered();
    EXPECT_EQ(FNav->StatusPanelText(6), "MAP: ON");
    EXPECT_TRUE(IniFile(GetIniFileName()).readBool("SETTINGS", "SatelliteMapVisible", false));
}

TEST(MainWindow, CommandLineNamesAProjectFileOnlyWhenItIsOne)
{
    const TempHome home;
    home.writeFile("a.VLTX", "x");
    home.writeFile("b.vlt", "x");
    home.writeFile("c.dxf", "x");
    const struct {
        std::vector<std::string> args;
        std::string expected;
    } rows[] = {
        {{"veldorsx"}, ""},
        {{"veldorsx", home.path("a.VLTX")}, home.path("a.VLTX")},
        {{"veldorsx", home.path("b.vlt"), home.path("a.VLTX")}, home.path("b.vlt")},
        {{"veldorsx", home.path("c.dxf")}, ""},
        {{"veldorsx", home.path("missing.vltx")}, ""},
    };
    for (const auto& r : rows) EXPECT_EQ(ProjectFileFromArguments(r.args), r.expected) << r.args.back();
}

TEST(MainWindow, CloseStopsTheRunAndStoresTheView)
{
    std::string ini;
    {
        Program p;
        ini = p.home.iniPath();
        startOnUdpInputAlone();
        ASSERT_TRUE(FNav->Run().Running());
        EXPECT_TRUE(Offsets->realtimeButton != nullptr);
        FNav->fcad->Model().SetWorldWindow(100, 2200, 1100, 1200);
        FNav->close();
        EXPECT_FALSE(FNav->Run().Running());
        EXPECT_NE(p.events().find("Realtime STOPPED"), std::string::npos) << "closing ends the run as the button does";
        IniFile stored(ini);
        EXPECT_EQ(stored.readFloat("CANVAS", "PlanWorldLeft", 0), 100);
        EXPECT_EQ(stored.readFloat("CANVAS", "PlanWorldTop", 0), 2200);
        EXPECT_EQ(stored.readFloat("CANVAS", "PlanWorldRight", 0), 1100);
        EXPECT_EQ(stored.readFloat("CANVAS", "PlanWorldBottom", 0), 1200);
        EXPECT_TRUE(stored.readBool("CANVAS", "GridAutoScale", false));
    }
}

TEST(MainWindow, MapMenuTogglesTrackliningAndFollowing)
{
    Program p;
    RealtimeState& s = realtimeState();
    EXPECT_FALSE(s.MainTracklining) << "no track until the user starts it";
    EXPECT_EQ(FNav->MainTrackliningItem->text(), "Start Tracklining (main vessel)");
    FNav->MainTrackliningItem->trigger();
    EXPECT_TRUE(s.MainTracklining);
    EXPECT_EQ(FNav->MainTrackliningItem->text(), "Stop Tracklining (main vessel)");
    FNav->MainTrackliningItem->trigger();
    EXPECT_FALSE(s.MainTracklining);

    EXPECT_TRUE(s.FollowVessel);
    FNav->noFollowButton->click();
    EXPECT_FALSE(s.FollowVessel);
    EXPECT_TRUE(FNav->doNotFollowVesselItem->isChecked());
    s.MapFollowTarget = -1;
    FNav->bFollowVessel->click();
    EXPECT_TRUE(s.FollowVessel);
    EXPECT_EQ(s.MapFollowTarget, 0);
    EXPECT_TRUE(FNav->CenterOnMainItem->isChecked());
    EXPECT_TRUE(FNav->followVesselItem->isChecked());

    // A right click on the map opens its menu; a right drag does not.
    QTest::mouseClick(FNav->fcad, Qt::RightButton, {}, QPoint(40, 40));
    EXPECT_TRUE(QTest::qWaitFor([] { return FNav->MapContextMenu->isVisible(); }, 1000));
    FNav->MapContextMenu->hide();
}

TEST(MainWindow, UdpInputMovesTheVesselThroughTheReceiversLinePath)
{
    Program p([](IniFile& ini) {
        const std::pair<const char*, const char*> wgs84Utm36[] = {
            {"SemiMajorAxis", "6378137"}, {"InverseFlattening", "298.257223563"}, {"Scale_PPM", "0"},
            {"X_Rotation", "0"},          {"Y_Rotation", "0"},                    {"Z_Rotation", "0"},
            {"X_Shift", "0"},             {"Y_Shift", "0"},                       {"Z_Shift", "0"},
            {"Central_Meridian", "33"},   {"Reference_Latitude", "0"},            {"Scale_Factor", "0.9996"},
            {"False_Easting", "500000"},  {"False_Northing", "0"}};
        for (const auto& [key, value] : wgs84Utm36) ini.writeString("GEODETIC_PARAMETERS", key, value);
    });
    UdpSinks free(1);
    const int port = free.base() + 1;  // the sink keeps its own port; the next one is taken here
    // The surveyor switches UDP input on in the device settings and starts listening: the map
    // loop that polls the socket starts with it.
    GpsUdpInputGroup* udp = FGPS->forwardingPanel()->udpInput();
    udp->cbEnableTCP->click();
    udp->edTCPPort->setText(QString::number(port));
    EXPECT_FALSE(FNav->tMap->isActive());
    udp->btnTCPConnect->click();
    ASSERT_EQ(udp->lblTCPStatus->text(), QStringLiteral("Listening:%1").arg(port));
    EXPECT_TRUE(FNav->tMap->isActive());

    UdpSender sender;
    ASSERT_TRUE(sender.open());
    const std::string line = gga("120000.00", 41.0, 33.0, 4);
    // One sentence cut across two datagrams, the second ending with a lone LF.
    sender.sendTo("127.0.0.1", port, line.substr(0, 20));
    sender.sendTo("127.0.0.1", port, line.substr(20) + "\n");
    const bool moved = QTest::qWaitFor([] { return realtimeState().VesselNorthing != 0; }, 3000);
    udp->btnTCPConnect->click();
    EXPECT_EQ(udp->lblTCPStatus->text(), QStringLiteral("Stopped"));
    udp->cbEnableTCP->click();
    ASSERT_TRUE(moved);
    EXPECT_NEAR(realtimeState().VesselEasting, 500000, 0.001);
    EXPECT_NEAR(realtimeState().VesselNorthing, 4538757.062, 0.01) << "PROJ: UTM zone 36 at 41° N";
    EXPECT_EQ(realtimeState().GgaTimeText, "12:00:00");
    EXPECT_EQ(FNav->ZGPS1->GetFixQuality(), 4);
}

TEST(MainWindow, StatusBarFolderClickCacheClearingAndSettingsImport)
{
    Program p;
    std::vector<std::string> opened;
    setFolderOpener([&](const std::string& folder) { opened.push_back(folder); });
    auto panel = [](int i) { return FNav->sStatusBar->findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(i)); };
    auto clickAt = [&](int x) { QTest::mouseClick(FNav->sStatusBar, Qt::LeftButton, {}, QPoint(x, 4)); };
    const int left = panel(0)->x() + panel(0)->width() + panel(1)->width() + panel(2)->width();
    clickAt(left);
    EXPECT_TRUE(opened.empty()) << "no project file yet";
    FNav->ShowFileInStatusBar(p.home.path("home/VLT/2026-12-10/VLT/a.vltx"));
    EXPECT_EQ(FNav->StatusPanelText(3).toStdString(), p.home.path("home/VLT/2026-12-10/"));
    clickAt(left - 1);
    EXPECT_TRUE(opened.empty());
    clickAt(left);
    EXPECT_EQ(opened, (std::vector<std::string>{p.home.path("home/VLT/2026-12-10/")}));
    setFolderOpener({});

    const std::string cache = imageryCacheFolder();
    p.home.writeFile("home/.cache/Veldor/VSX/MapCache/15/1_2.jpg", "tile");
    p.home.writeFile("home/.cache/Veldor/VSX/MapCache/loose.jpg", "tile");
    FNav->onClearSatelliteImageCachesTriggered();
    EXPECT_TRUE(std::filesystem::is_directory(cache));
    EXPECT_TRUE(std::filesystem::is_empty(cache));
    ASSERT_FALSE(p.prompts.entries.empty());
    EXPECT_EQ(p.prompts.entries.back().text, "Satellite image cache cleared.");

    int exitCode = 0;
    FNav->ExitProcess = [&](int code) { exitCode = code; };
    FNav->ChooseOldSettingsFile = [&] { return p.home.path("missing.ini"); };
    FNav->onImportOldSettingsTriggered();
    EXPECT_EQ(p.prompts.entries.back().text, "Source file does not exist.");
    p.home.writeFile("old.ini", "[SETTINGS]\r\nLanguage=tr\r\n");
    FNav->ChooseOldSettingsFile = [&] { return p.home.path("old.ini"); };
    startOnUdpInputAlone();
    ASSERT_TRUE(FNav->Run().Running());
    FNav->onImportOldSettingsTriggered();
    EXPECT_EQ(exitCode, -1);
    EXPECT_FALSE(FNav->Run().Running()) << "the run is stopped before the process ends";
    EXPECT_EQ(p.home.readFile("appdata/Veldor/VSX/VeldorSX.ini"), "[SETTINGS]\r\nLanguage=tr\r\n");
}

TEST(MainWindow, ToolbarZoomButtonsZoomTheWayTheySay)
{
    Program p;
    // A narrow window: the tool bars hide buttons behind their extension button.
    FNav->resize(400, 500);
    QTest::qWait(20);
    auto& model = FNav->fcad->Model();
    model.SetWorldWindow(0, 1000, 1000, 0);
    const double start = model.WorldWidth();
    auto* in = FNav->findChild<QToolButton*>("Zoomin");
    auto* out = FNav->findChild<QToolButton*>("Zoomout");
    ASSERT_TRUE(in && out);
    EXPECT_EQ(in->text(), "Zoom In");
    EXPECT_EQ(out->text(), "Zoom Out");
    in->click();
    const double afterIn = model.WorldWidth();
    EXPECT_LT(afterIn, start) << "Zoom In shows less of the world";
    out->click();
    EXPECT_GT(model.WorldWidth(), afterIn) << "Zoom Out shows more of the world";
}
