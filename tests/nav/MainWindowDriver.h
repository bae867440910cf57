#pragma once
// Drives the whole program as a surveyor does, for the end-to-end tests of the main map: the
// windows made as at start from a settings file (and a project the first show opens), then only
// mouse clicks, drags and keys on the real controls, menus chosen by clicking them open.
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/WindowPointers.h"
#include "canvas/ProjectFile.h"
#include "canvas/VeldorCanvas.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "platform/Prompts.h"
#include "program/ProgramStart.h"

#include "support/ControlInput.h"
#include "support/TempHome.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace vsx::test {

// The program with its windows, first show done. `drawing` (when given) is saved as a project
// file that the first show opens as the last saved one.
struct MapProgram {
    explicit MapProgram(const std::function<void(IniFile&)>& settings = {},
                            const std::function<void(CanvasModel&)>& drawing = {})
    {
        {
            IniFile ini(GetIniFileName());
            ini.writeFloat("CANVAS", "PlanWorldLeft", 0);
            ini.writeFloat("CANVAS", "PlanWorldRight", 1000);
            ini.writeFloat("CANVAS", "PlanWorldTop", 1000);
            ini.writeFloat("CANVAS", "PlanWorldBottom", 0);
            if (drawing) {
                CanvasModel project;
                drawing(project);
                const std::string path = home.path("start.vltx");
                SaveShapeFile(project, path, 0, false);
                ini.writeString("FILE", "Last File Saved", path);
            }
            if (settings) settings(ini);
        }
        InitSharedValues();
        setPrompts(&prompts);
        CreateAllWindows();
        EXPECT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 3000));
        FNav->activateWindow();
        QTest::qWait(20);
    }
    ~MapProgram()
    {
        DestroyAllWindows();
        setPrompts(nullptr);
    }
    std::string events() const { return home.readFile(EventsLogFileName().substr(home.root().size())); }

    static TVeldorCanvas* map() { return FNav->fcad; }
    static CanvasModel& model() { return FNav->fcad->Model(); }
    static QToolButton* button(const char* name) { return FNav->findChild<QToolButton*>(QString::fromLatin1(name)); }
    static int layerCount(const char* name) { return model().LayerShapeCount(model().FindLayer(name)); }

    // The map pixel of a world point.
    static QPoint at(double x, double y)
    {
        int px = 0, py = 0;
        map()->WorldToScreen(x, y, px, py);
        return {px, py};
    }
    static void click(QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseClick(map(), b, {}, p); }
    static void clickWorld(double x, double y, Qt::MouseButton b = Qt::LeftButton) { click(at(x, y), b); }

    // Clicks a shown popup menu's item.
    static void clickItem(QMenu* menu, QAction* item) { clickMenuItem(menu, item); }
    // Right-clicks the map at `p` and clicks the context menu's item named `name`.
    static void mapMenu(QPoint p, const char* name)
    {
        click(p, Qt::RightButton);
        QMenu* menu = FNav->MapContextMenu;
        ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, 5000));
        clickItem(menu, menu->findChild<QAction*>(QString::fromLatin1(name)));
    }
    // Opens the menu bar's menu holding the item named `name` and clicks the item.
    static void chooseMenu(const char* name) { chooseMenuItem(FNav->menuBar(), QString::fromLatin1(name)); }

    TempHome home;
    RecordingPrompts prompts;
};

} // namespace vsx::test
