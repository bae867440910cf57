// Window placement as the program starts and closes, on a window system that draws frames around
// windows and has two screens of unequal size: Qt's offscreen platform with a configuration
// file. The platform is chosen once per process, so the test runs itself again as a child with
// that platform.
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "program/ProgramStart.h"
#include "app/windows/WindowPointers.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "platform/Prompts.h"
#include "tools/windows/NavigationSettingsWindow.h"
#include "tools/windows/OffsetsWindow.h"
#include "tools/windows/BatteryWindow.h"

#include "support/TempHome.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

using namespace vsx;
using namespace vsx::test;

namespace {

constexpr const char* kChildVariable = "VSX_PLACEMENT_CHILD";

// A laptop screen and a smaller monitor to its right.
constexpr const char* kPlatformConfig = R"({
  "synchronousWindowSystemEvents": false,
  "windowFrameMargins": true,
  "screens": [
    {"name": "laptop", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
    {"name": "monitor", "x": 1920, "y": 0, "width": 1280, "height": 720, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
  ]
})";

void startProgram()
{
    InitSharedValues();
    CreateAllWindows();
    ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 3000));
}

// The surveyor closes the main window; the program ends.
void closeProgram()
{
    FNav->close();
    DestroyAllWindows();
}

// The screen whose usable area holds the point, or null.
QScreen* screenHolding(QPoint p)
{
    for (QScreen* s : QGuiApplication::screens())
        if (s->availableGeometry().contains(p)) return s;
    return nullptr;
}

// The surveyor drags a window by its title bar until its frame's corner is at `corner`.
void drag(QWidget* w, QPoint corner)
{
    w->windowHandle()->setFramePosition(corner);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->frameGeometry().topLeft() == corner; }, 2000))
        << w->objectName().toStdString();
}

void expectFrameAt(QWidget* w, QPoint corner)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->isVisible() && w->frameGeometry().topLeft() == corner; }, 2000))
        << w->objectName().toStdString() << " frame at " << w->frameGeometry().x() << "," << w->frameGeometry().y()
        << ", wanted " << corner.x() << "," << corner.y();
}

void runInChild()
{
    TempHome home;
    const std::string config = home.path("platform.json");
    home.writeFile("platform.json", kPlatformConfig);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", QString::fromStdString("offscreen:configfile=" + config));
    env.insert(kChildVariable, "1");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromStdString(std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name())});
    ASSERT_TRUE(child.waitForFinished(120000));
    const std::string output = child.readAll().toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}

} // namespace

TEST(WindowPlacement, WindowsComeBackByTheirFrameOnScreensThatExist)
{
    if (!qEnvironmentVariableIsSet(kChildVariable)) {
        runInChild();
        return;
    }
    ASSERT_EQ(QGuiApplication::screens().size(), 2) << "the platform configuration was not taken";
    TempHome home;
    RecordingPrompts prompts;
    setPrompts(&prompts);

    // A first start: every tool window shown has its whole frame, title bar included, on a screen.
    startProgram();
    ASSERT_GT(FNav->geometry().top(), FNav->frameGeometry().top()) << "windows have frames here";
    for (QWidget* w : {static_cast<QWidget*>(Navset), static_cast<QWidget*>(Offsets), static_cast<QWidget*>(fJoystick)}) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->isVisible(); }, 2000)) << w->objectName().toStdString();
        QTest::qWait(50);
        EXPECT_NE(screenHolding(w->frameGeometry().topLeft()), nullptr) << w->objectName().toStdString();
    }

    // Left on the smaller monitor and on the laptop, they come back exactly there.
    drag(Navset, {2100, 150});
    drag(Offsets, {300, 200});
    drag(FNav, {40, 30});
    closeProgram();
    startProgram();
    expectFrameAt(Navset, {2100, 150});
    expectFrameAt(Offsets, {300, 200});
    expectFrameAt(FNav, {40, 30});
    closeProgram();

    // A window last seen where the smaller monitor does not reach (the monitor was larger then)
    // comes back onto it, whole.
    {
        IniFile ini(GetIniFileName());
        ini.writeInteger("Navset", "Left", 2500);
        ini.writeInteger("Navset", "Top", 900);
    }
    startProgram();
    ASSERT_TRUE(QTest::qWaitFor([] { return Navset->isVisible(); }, 2000));
    QTest::qWait(100);
    QScreen* monitor = screenHolding(Navset->frameGeometry().topLeft());
    ASSERT_NE(monitor, nullptr) << Navset->frameGeometry().x() << "," << Navset->frameGeometry().y();
    EXPECT_EQ(monitor->name(), "monitor");
    EXPECT_TRUE(monitor->availableGeometry().contains(Navset->frameGeometry()));
    closeProgram();
    setPrompts(nullptr);
}
