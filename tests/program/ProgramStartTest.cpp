#include "app/ErrorReport.h"
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/TranslationManager.h"
#include "app/windows/NumberEdit.h"
#include "app/windows/WindowPointers.h"
#include "input/DeviceSettingsTargets.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "platform/Prompts.h"
#include "platform/StyleManager.h"
#include "program/ProgramStart.h"
#include "tools/windows/VesselGeometryWindow.h"

#include "support/RunningProgram.h"
#include "support/TempHome.h"

#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace vsx;
using vsx::test::TempHome;

namespace {
struct PromptGuard {
    RecordingPrompts rec;
    PromptGuard() { setPrompts(&rec); }
    ~PromptGuard() { setPrompts(nullptr); }
};
} // namespace

TEST(ProgramStart, StartupSettingsDefaultsAndValues)
{
    TempHome home;
    StartupSettings s = ReadStartupSettings();
    EXPECT_EQ(s.themeStyle, "Light");
    EXPECT_EQ(s.overlayFontSize, 40);
    EXPECT_EQ(s.overlayDepthColor, 0x800000);
    EXPECT_EQ(s.overlaySpeedColor, 0);
    {
        IniFile ini(GetIniFileName());
        ini.writeString("OVERLAY_SETTINGS", "FontSize", "abc");
        ini.writeString("OVERLAY_SETTINGS", "SpeedColor", "255");
    }
    EXPECT_EQ(ReadStartupSettings().overlayFontSize, 40);
    EXPECT_EQ(ReadStartupSettings().overlaySpeedColor, 255);
    { IniFile(GetIniFileName()).writeString("OVERLAY_SETTINGS", "FontSize", "12"); }
    EXPECT_EQ(ReadStartupSettings().overlayFontSize, 12);
}

TEST(ProgramStart, StylesAppliedOrReportedOnce)
{
    PromptGuard prompts;
    const QString before = StyleManager::activeStyle();
    ApplyStyle(kPlatformStyleName);
    EXPECT_EQ(StyleManager::activeStyle(), before) << "the platform's own look is left untouched";
    ApplyStyle("No Such Style");
    ASSERT_EQ(prompts.rec.entries.size(), 1u);
    EXPECT_TRUE(prompts.rec.entries[0].text.contains("No Such Style"));
    ApplyStyle("Carbon");
    EXPECT_EQ(StyleManager::activeStyle(), "Carbon");
    EXPECT_EQ(StyleManager::styleNames().size(), 36);
    ApplyStyle("Light");
}

TEST(ProgramStart, WindowsInOrderOnlyThreeVisible)
{
    TempHome home;
    CreateAllWindows();
    const std::vector<QWidget*> all = AllWindows();
    QWidget* main = all[0];
    const char* names[] = {"FNav", "Navset", "FShape", "FGPS", "fRealtime", "FMsg", "Offsets", "formAbout", "fSVP",
                           "fRunline1", "fLatency", "fWaterfal", "fTheme", "fJoystick", "fSVPGraph", "frmNTRIPSettings",
                           "fRTCMParsing"};
    for (size_t i = 0; i < all.size(); ++i) {
        ASSERT_NE(all[i], nullptr) << names[i];
        EXPECT_EQ(all[i]->objectName(), names[i]);
        const bool shouldShow = i == 0 || i == 1 || i == 13;
        EXPECT_EQ(all[i]->isVisible(), shouldShow) << names[i];
        const bool onTop = all[i]->windowFlags() & Qt::WindowStaysOnTopHint;
        const bool shouldBeOnTop = !(i == 0 || i == 7 || i == 14 || i == 15 || i == 16);
        EXPECT_EQ(onTop, shouldBeOnTop) << names[i];
    }
    EXPECT_EQ(main->windowTitle(), "Veldor Sondrix");
    EXPECT_EQ(all[2]->windowTitle(), "Vessel Geometry");
    DestroyAllWindows();
    for (QWidget* w : AllWindows()) EXPECT_EQ(w, nullptr);
}

// The device settings (below the tool windows) reach the vessel geometry window only through the
// hook the program start binds: a further vessel's empty sizes take the own vessel's.
TEST(ProgramStart, NewVesselSizesFollowTheVesselGeometryWhileTheWindowsLive)
{
    TempHome home;
    CreateAllWindows();
    FShape->edBArrow->setText("42.5");
    FShape->edAmount->setText("5");
    FShape->cRunlineSpacing->setCurrentText("20");
    VesselSizeDefaults d = NewVesselSizeDefaults();
    EXPECT_EQ(d.bowArrow, 42.5);
    EXPECT_EQ(d.circleCount, 5);
    EXPECT_EQ(d.runlineSpacing, 20.0);
    DestroyAllWindows();
    d = NewVesselSizeDefaults();
    EXPECT_EQ(d.bowArrow, VesselSizeDefaults {}.bowArrow);
    EXPECT_EQ(d.runlineSpacing, VesselSizeDefaults {}.runlineSpacing);
}

TEST(ProgramStart, ClosingMainWindowEndsLoopWithToolWindowsOpen)
{
    TempHome home;
    QApplication::setQuitOnLastWindowClosed(false);
    CreateAllWindows();
    AllWindows()[3]->show();
    QTimer::singleShot(0, [] { FNav->close(); });
    QTimer failsafe;
    failsafe.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&failsafe, &QTimer::timeout, [&] { timedOut = true; QApplication::exit(2); });
    failsafe.start(5000);
    const int code = QApplication::exec();
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(code, 0);
    DestroyAllWindows();
}

// Tests start and end the windows many times in one process; each start must begin as the
// program's first one does.
TEST(ProgramStart, NothingOfARunIsLeftForTheNextStart)
{
    ASSERT_EQ(Translator, nullptr) << "an earlier test left a translation manager behind";
    {
        vsx::test::RunningProgram first([](IniFile& ini) { ini.writeInteger("MULTI_VESSEL", "Count", 2); });
        ASSERT_NE(Translator, nullptr) << "the main window makes the translation manager when there is none";
        EXPECT_EQ(ExtraVessels.size(), 2u);
        FNav->ShowFileInStatusBar(first.home.path("home/VLT/2026-12-10/VLT/a.vltx"));
        // The main window's close stores the places: the frames the windows had are learned then.
        FNav->close();
    }
    EXPECT_EQ(Translator, nullptr) << "the translation manager goes with the main window that made it";
    EXPECT_EQ(StatusFilePath, "") << "a status bar click in the next run opens no folder of this one";
    EXPECT_TRUE(ExtraVessels.empty());

    // A window placed but never shown in the next run is stored where it stands: no frame of
    // the last run's windows is reckoned in.
    TempHome home;
    QWidget w;
    w.setObjectName("Navset");
    RestoreFormPlacement(&w, true);
    w.setGeometry(50, 70, 320, 240);
    SaveFormPlacement(&w);
    IniFile ini(GetIniFileName());
    EXPECT_EQ(ini.readInteger("Navset", "Left", -1), 50);
    EXPECT_EQ(ini.readInteger("Navset", "Top", -1), 70);
}

TEST(ProgramStart, ErrorInHandlerIsReportedAndProgramGoesOn)
{
    PromptGuard prompts;
    ASSERT_NE(dynamic_cast<VsxApplication*>(QApplication::instance()), nullptr);
    int after = 0;
    QTimer::singleShot(0, [] { throw std::runtime_error("'abc' is not a valid floating point value"); });
    QTimer::singleShot(10, [&] { ++after; QApplication::exit(0); });
    QApplication::exec();
    EXPECT_EQ(after, 1);
    ASSERT_EQ(prompts.rec.entries.size(), 1u);
    EXPECT_EQ(prompts.rec.entries[0].text, "'abc' is not a valid floating point value");
}
