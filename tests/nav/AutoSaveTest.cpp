#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/WindowPointers.h"
#include "canvas/VeldorCanvas.h"
#include "nav/AutoSave.h"
#include "nav/windows/MainWindow.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "program/ProgramStart.h"

#include "support/TempHome.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace vsx;

TEST(AutoSave, NamesByMinuteAndStartFolder)
{
    EXPECT_EQ(AutoSaveFileName("/p/VLT/2024-05-01/VLT/", {2024, 5, 2, 0, 15, 59, 0}),
              "/p/VLT/2024-05-01/VLT/2024-05-02 0015.vltx");
}

// The close saves the drawing, and the next start brings it back.
TEST(AutoSave, DrawingSurvivesCloseAndRestart)
{
    vsx::test::TempHome home;
    FakeClock clock({2024, 5, 1, 13, 7, 0, 0});
    setClock(&clock);
    InitSharedValues();
    CreateAllWindows();
    ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix"); }, 3000));
    CanvasModel& model = FNav->fcad->Model();
    const int layer = model.AddLayer("Survey lines");
    model.AddLine(500000, 4500000, 500100, 4500100, layer);
    FNav->close();
    DestroyAllWindows();

    const std::string saved = ProjectFolder + "2024-05-01 1307.vltx";
    EXPECT_TRUE(fileExists(saved));
    EXPECT_EQ(IniFile(GetIniFileName()).readString("FILE", "Last File Saved", ""), saved);
    EXPECT_NE(home.readFile(EventsLogFileName()).find("Auto-saved: " + saved), std::string::npos);

    CreateAllWindows();
    ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().contains(".vltx"); }, 3000));
    const CanvasModel& again = FNav->fcad->Model();
    const int restored = again.FindLayer("Survey lines");
    ASSERT_GE(restored, 0);
    EXPECT_EQ(again.GetLayerShapeIds(restored).size(), 1u);
    DestroyAllWindows();
    setClock(nullptr);
}
