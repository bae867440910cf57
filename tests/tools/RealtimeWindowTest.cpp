#include "ToolsFixture.h"

#include "app/windows/WindowPointers.h"
#include "platform/Paths.h"
#include "tools/FolderOpener.h"
#include "tools/windows/NavigationSettingsWindow.h"
#include "tools/windows/RealtimeDataWindow.h"
#include "tools/windows/WaterfallWindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace vsx;
using vsx::test::ToolsFixture;

TEST(RealtimeDataWindow, LabelsAndLowFrequencyBox)
{
    ToolsFixture f;
    RealtimeDataWindow w;
    w.show();
    for (QLabel* l : {w.Fixed, w.Speed, w.SatelliteLabel, w.LAntennaH, w.LTideHt, w.lDepthHi, w.lDepthLo})
        EXPECT_EQ(l->text(), "---");
    EXPECT_EQ(w.zoomInButton->toolTip(), "Zoom In");
    EXPECT_EQ(w.zoomOutButton->toolTip(), "Zoom Out");
    EXPECT_EQ(w.DepthFrameHi->palette().color(QPalette::Window), QColor(0, 255, 0));
    EXPECT_EQ(w.DepthFrameLo->palette().color(QPalette::Window), QColor(255, 255, 0));
    EXPECT_TRUE(w.lowFrequencyDepthShown());

    w.HideLowFrequencyDepth();
    EXPECT_FALSE(w.lowFrequencyDepthShown());
    EXPECT_EQ(w.height(), RealtimeDataWindow::kHeightWithoutLowFrequency);
    w.resize(w.width(), 300);
    w.HideLowFrequencyDepth();  // already hidden: nothing changes
    EXPECT_EQ(w.height(), 300);
    w.ShowLowFrequencyDepth();
    EXPECT_EQ(w.height(), RealtimeDataWindow::kHeightWithLowFrequency);
    w.resize(w.width(), 400);
    w.ShowLowFrequencyDepth();
    EXPECT_EQ(w.height(), 400);

    EXPECT_TRUE(w.startupTimer->isSingleShot());
    EXPECT_EQ(w.startupTimer->interval(), 10000);
    EXPECT_TRUE(w.startupTimer->isActive());
    w.applySounderMessageType();
    EXPECT_EQ(f.host.calls, std::vector<std::string>{"ApplySounderMessageType"});
    w.zoomInButton->click();
    w.zoomOutButton->click();
    EXPECT_EQ(f.host.calls.back(), "ZoomOut");
}

TEST(RealtimeDataWindow, LogFolderToOpen)
{
    const std::string log = "/home/u/VLT/2024-05-01/LOG/";
    EXPECT_EQ(LogFolderToOpen("/home/u/VLT/2024-05-02/LOG/gps.log", log), "/home/u/VLT/2024-05-02/");
    EXPECT_EQ(LogFolderToOpen("", log), "/home/u/VLT/2024-05-01/");
    EXPECT_EQ(LogFolderToOpen("gps.log", "/data/"), "/");
    EXPECT_EQ(LogFolderToOpen("", "relative/"), "relative/");
    EXPECT_EQ(LogFolderToOpen("", ""), "");

    ToolsFixture f;
    std::vector<std::string> opened;
    setFolderOpener([&](const std::string& folder) { opened.push_back(folder); });
    RealtimeDataWindow w;
    w.btOpenLogFolder->click();
    setFolderOpener({});
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], DayFolder);
    EXPECT_TRUE(folderExists(DayFolder)) << "a missing target is made";
}

TEST(RealtimeDataWindow, BareLayoutToggleAndBack)
{
    ToolsFixture f;
    NavigationSettingsWindow navset;
    WaterfallWindow waterfall;
    RealtimeDataWindow w;
    Navset = &navset;
    fWaterfal = &waterfall;
    navset.show();
    waterfall.show();
    w.show();

    w.btHide->click();
    EXPECT_EQ(w.bareLayoutState(), 1);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(navset.isVisible());
    EXPECT_FALSE(waterfall.isVisible());
    EXPECT_EQ(f.host.calls, std::vector<std::string>{"Bare"});

    w.onHideClicked();  // the main window presses it while this window is hidden
    EXPECT_EQ(w.bareLayoutState(), 0);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(navset.isVisible());
    EXPECT_FALSE(waterfall.isVisible()) << "no echogram running";
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"Bare", "Normal"}));

    f.host.echogram = true;
    w.onHideClicked();
    w.onHideClicked();
    EXPECT_TRUE(waterfall.isVisible());
    Navset = nullptr;
    fWaterfal = nullptr;
}
