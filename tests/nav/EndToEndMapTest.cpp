// The main map in the running program, driven with the mouse and keys only: every shape kind
// drawn with the tool bar lands on the user layer, tracks are lasso-selected and deleted or
// cleared by fix class after the question, a right drag measures, the context menu acts on a
// real drawing, the bare view is left with Escape, F4 walks the sensors, and the program's own
// buttons and menu items.
#include "app/ProgramRestart.h"
#include "app/windows/ThemeWindow.h"
#include "input/DisplayValues.h"
#include "nav/RealtimeState.h"
#include "platform/Paths.h"
#include "platform/StyleManager.h"
#include "platform/ProgramLauncher.h"
#include "program/ProgramStart.h"
#include "tools/FolderOpener.h"
#include "tools/SensorList.h"
#include "tools/windows/RealtimeDataWindow.h"
#include "tools/windows/RunlineGeneratorWindow.h"

#include "MainWindowDriver.h"
#include "NavTestSupport.h"
#include "support/PtyPair.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>

#include <filesystem>
#include <set>

using namespace vsx;
using namespace vsx::test;

namespace {

using P = MapProgram;

// A project as a surveyor brings it: a fixed track along y = 500 (segments of 100 m from x = 100
// to 900), a float track along y = 300, a run line on its own layer, and an imported layer last
// (which the open leaves current).
void surveyDrawing(CanvasModel& m)
{
    const int fix = m.AddLayer("track_fix");
    for (int x = 100; x < 900; x += 100) m.AddLine(x, 500, x + 100, 500, fix);
    const int flt = m.AddLayer("track_float");
    for (int x = 100; x < 500; x += 100) m.AddLine(x, 300, x + 100, 300, flt);
    m.AddPolyline({{600, 100}, {600, 250}, {700, 250}}, m.AddLayer("Veldor_Runlines"), 0);
    m.AddPoint(200, 520, m.AddLayer("imported.dxf"));
}

int newestType(const char* layer)
{
    const auto ids = P::model().GetLayerShapeIds(P::model().FindLayer(layer));
    return ids.empty() ? -1 : P::model().GetShapeType(ids.back());
}

} // namespace

TEST(EndToEndMap, EveryShapeKindDrawnWithTheToolBarLandsOnTheUserLayer)
{
    P p({}, surveyDrawing);
    ASSERT_EQ(P::layerCount("track_fix"), 8) << "the project was opened at start";
    EXPECT_NE(P::model().CurrentLayer(), P::model().FindLayer("veldor_usershape"));
    const struct {
        const char* button;
        std::vector<std::pair<double, double>> clicks;
        bool finishWithRightClick;
        int type;
    } kinds[] = {
        {"ToolButton7", {{100, 900}}, false, 17},                             // point
        {"ToolButton12", {{100, 800}, {200, 850}}, true, 3},                  // line
        {"ToolButton21", {{250, 800}, {300, 850}}, true, 1},                  // rectangle
        {"ToolButton23", {{350, 800}, {400, 850}, {450, 800}}, true, 5},      // polyline
        {"ToolButton27", {{500, 800}, {560, 850}}, true, 20},                 // ellipse
        {"ToolButton28", {{600, 800}, {650, 850}, {700, 800}}, true, 6},      // polygon
        {"ToolButton29", {{750, 800}, {800, 850}, {850, 800}}, true, 8},      // spline
        {"ToolButton30", {{100, 700}, {150, 750}, {200, 700}}, true, 10},     // three-point arc
        {"ToolButton31", {{300, 700}, {330, 700}}, true, 19},                 // circle
    };
    int expected = 0;
    for (const auto& k : kinds) {
        QTest::mouseClick(P::button(k.button), Qt::LeftButton);
        for (const auto& [x, y] : k.clicks) P::clickWorld(x, y);
        if (k.finishWithRightClick) P::clickWorld(k.clicks.back().first, k.clicks.back().second, Qt::RightButton);
        ++expected;
        EXPECT_EQ(P::layerCount("veldor_usershape"), expected) << k.button;
        EXPECT_EQ(newestType("veldor_usershape"), k.type) << k.button;
        QTest::qWait(20);
        EXPECT_FALSE(FNav->MapContextMenu->isVisible()) << "the click that finishes a shape opens no menu";
        EXPECT_FALSE(FNav->fcad->Tools().Rubber().Drawing) << k.button;
    }
    EXPECT_EQ(P::layerCount("imported.dxf"), 1);
    EXPECT_EQ(P::layerCount("~~Veldor Vessel"), 0);

    // The drawing survives the save at close.
    P::chooseMenu("Save1");
    const std::string saved = IniFile(GetIniFileName()).readString("FILE", "Last File Saved", "");
    CanvasModel back;
    ASSERT_TRUE(LoadShapeFile(back, saved, 0, 0, 0));
    EXPECT_EQ(back.LayerShapeCount(back.FindLayer("veldor_usershape")), expected);

    // "Clear User Shapes" asks, then empties the user layer only.
    p.prompts.answers = {PromptAnswer::No, PromptAnswer::Yes};
    QTest::mouseClick(P::button("ToolButton11"), Qt::LeftButton);
    EXPECT_EQ(P::layerCount("veldor_usershape"), expected);
    P::chooseMenu("ClearUserAddedShapes1");
    EXPECT_EQ(P::layerCount("veldor_usershape"), 0);
    EXPECT_EQ(P::layerCount("track_fix"), 8);
    EXPECT_EQ(p.prompts.entries.back().text, "User added shapes to be deleted! Continue?");
}

TEST(EndToEndMap, ZoomWindowDynamicPanAndExtents)
{
    P p({}, surveyDrawing);
    CanvasModel& m = P::model();
    auto centre = [&m] { return QPointF((m.WorldXMin() + m.WorldXMax()) / 2, (m.WorldYMin() + m.WorldYMax()) / 2); };
    // Window: the box between two clicks fills the map.
    QTest::mouseClick(P::button("Zoomwindow"), Qt::LeftButton);
    P::clickWorld(200, 200);
    P::clickWorld(400, 300);
    EXPECT_NEAR(centre().x(), 300, 3);
    EXPECT_NEAR(centre().y(), 250, 3);
    EXPECT_LT(m.WorldWidth(), 450);
    EXPECT_GE(m.WorldWidth(), 195);
    // Pan: the left button drags the map.
    const QPointF before = centre();
    QTest::mouseClick(P::button("Zoompan"), Qt::LeftButton);
    const QPoint grab = P::at(300, 250);
    QTest::mousePress(P::map(), Qt::LeftButton, {}, grab);
    QTest::mouseMove(P::map(), grab + QPoint(50, 0));
    QTest::mouseMove(P::map(), grab + QPoint(100, 0));
    QTest::mouseRelease(P::map(), Qt::LeftButton, {}, grab + QPoint(100, 0));
    EXPECT_LT(centre().x(), before.x() - 10) << "dragged right, the map shows more to the west";
    EXPECT_NEAR(centre().y(), before.y(), 1);
    // Dynamic: dragging up zooms in.
    const double width = m.WorldWidth();
    P::chooseMenu("Dynamic1");
    const QPoint from(200, 200);
    QTest::mousePress(P::map(), Qt::LeftButton, {}, from);
    QTest::mouseMove(P::map(), from - QPoint(0, 20));
    QTest::mouseMove(P::map(), from - QPoint(0, 40));
    QTest::mouseRelease(P::map(), Qt::LeftButton, {}, from - QPoint(0, 40));
    EXPECT_LT(m.WorldWidth(), width);
    // Extents: the whole drawing.
    QTest::mouseClick(P::button("Zoomextents"), Qt::LeftButton);
    EXPECT_LE(m.WorldXMin(), 100);
    EXPECT_GE(m.WorldXMax(), 900);
    EXPECT_LE(m.WorldYMin(), 100);
    EXPECT_GE(m.WorldYMax(), 520);
}

TEST(EndToEndMap, LassoSelectedTrackIsDeletedWithTheDeleteKeyAndFixedTracksClearedAfterTheQuestion)
{
    P p({}, surveyDrawing);
    // With the runline generator open, a lasso is still a lasso, not a route.
    QTest::mouseClick(P::button("tbRunline"), Qt::LeftButton);
    ASSERT_TRUE(fRunline1->isVisible());
    QTest::mouseClick(P::button("bSelectTracks"), Qt::LeftButton);
    EXPECT_EQ(FNav->StatusPanelText(0), "Draw polygon to select tracks (right-click to finish)");
    // Around the fixed segments that end at 100 to 400 (and the imported point at 200, 520).
    for (const auto& [x, y] : {std::pair{50.0, 450.0}, {420.0, 450.0}, {420.0, 550.0}, {50.0, 550.0}})
        P::clickWorld(x, y);
    P::clickWorld(50, 550, Qt::RightButton);
    EXPECT_EQ(FNav->StatusPanelText(0), "4 track(s) selected. Press Delete to remove.");
    EXPECT_EQ(P::layerCount("Veldor_SelectPoly"), 0) << "the lasso itself goes";
    EXPECT_TRUE(fRunline1->Route().empty());
    EXPECT_TRUE(closeFromTitleBar(fRunline1));
    QTest::qWait(20);
    EXPECT_FALSE(FNav->MapContextMenu->isVisible());
    QTest::keyClick(P::map(), Qt::Key_Delete);
    EXPECT_EQ(P::layerCount("track_fix"), 4);
    EXPECT_EQ(P::layerCount("imported.dxf"), 1) << "a track lasso takes tracks only";
    EXPECT_EQ(P::layerCount("track_float"), 4);

    // The question names what goes; No keeps it, Yes clears the fixed track only.
    p.prompts.answers = {PromptAnswer::No, PromptAnswer::Yes};
    QTest::mouseClick(P::button("tbFixed"), Qt::LeftButton);
    ASSERT_EQ(p.prompts.entries.size(), 1u);
    EXPECT_EQ(p.prompts.entries[0].text, "RTK fixed tracking points to be cleared. Continue?");
    EXPECT_EQ(P::layerCount("track_fix"), 4);
    QTest::mouseClick(P::button("tbFixed"), Qt::LeftButton);
    EXPECT_EQ(P::layerCount("track_fix"), 0);
    EXPECT_EQ(P::layerCount("track_float"), 4);
    const std::string log = p.events();
    EXPECT_NE(log.find("Cleared Fixed/Float/DGPS tracklines"), std::string::npos);
    EXPECT_EQ(log.find("Cleared Fixed/Float/DGPS tracklines"), log.rfind("Cleared Fixed/Float/DGPS tracklines"))
        << "one line for the one clearing";

    // Shapes by lasso: the imported point and the float segments under it.
    QTest::mouseClick(P::button("bMouseSelect"), Qt::LeftButton);
    for (const auto& [x, y] : {std::pair{150.0, 250.0}, {250.0, 250.0}, {250.0, 560.0}, {150.0, 560.0}})
        P::clickWorld(x, y);
    P::clickWorld(150, 560, Qt::RightButton);
    EXPECT_EQ(FNav->StatusPanelText(0), "3 shape(s) selected. Press Delete to remove.");
    QTest::mouseClick(P::button("bDelSelected"), Qt::LeftButton);
    EXPECT_EQ(P::layerCount("imported.dxf"), 0);
    EXPECT_EQ(P::layerCount("track_float"), 2);

    // Escape disarms a lasso that was asked for.
    QTest::mouseClick(P::button("bSelectTracks"), Qt::LeftButton);
    QTest::keyClick(P::map(), Qt::Key_Escape);
    EXPECT_FALSE(FNav->Selection().Armed());
    EXPECT_EQ(FNav->StatusPanelText(0), "");
}

TEST(EndToEndMap, RightDragMeasuresAndARightClickOpensTheMenuOnTheDrawing)
{
    P p(
        [](IniFile& ini) {
            ini.writeInteger("MULTI_VESSEL", "Count", 1);
            ini.writeBool("GPS2", "Enabled", true);
            ini.writeString("GPS2", "Name", "Tug");
        },
        surveyDrawing);
    // Drag: the measure follows, no menu.
    const QPoint from = P::at(200, 200), to = P::at(500, 600);
    QTest::mousePress(P::map(), Qt::RightButton, {}, from);
    QTest::mouseMove(P::map(), from + QPoint(2, 2));
    EXPECT_FALSE(P::map()->Measure().Measuring) << "4 pixels or less is still a click";
    QTest::mouseMove(P::map(), to);
    ASSERT_TRUE(P::map()->Measure().Measuring);
    const MeasureState& m = P::map()->Measure();
    EXPECT_NEAR(m.Distance, 500, 3);
    EXPECT_NEAR(m.Bearing, 36.87, 0.5);
    QTest::mouseRelease(P::map(), Qt::RightButton, {}, to);
    QTest::qWait(20);
    EXPECT_FALSE(P::map()->Measure().Measuring);
    EXPECT_FALSE(FNav->MapContextMenu->isVisible());

    // Click on the run line: the menu with every entry in its state; the run line is selected.
    P::click(P::at(600, 200), Qt::RightButton);
    QMenu* menu = FNav->MapContextMenu;
    ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, 1000));
    std::vector<std::string> captions;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) captions.push_back(a->text().toStdString());
    EXPECT_EQ(captions, (std::vector<std::string>{
                            "MAIN VESSEL", "Hide Tracklines (main vessel)", "Start Tracklining (main vessel)",
                            "OTHER VESSELS", "Hide Tracklines (other vessels)", "Start Tracklining (other vessels)",
                            "OVERLAYS", ShowDepthLabels ? std::string("Hide Texts (depths)") : "Show Texts (depths)", "RUNLINES",
                            "Select Runline Here", "CENTER VIEW ON", "Center on Main Vessel", "Center on Tug",
                            "Center on Vessel 3", "Center on Vessel 4", "WINDOWS", "Show Helmsman Window"}));
    auto item = [menu](const char* name) { return menu->findChild<QAction*>(QString::fromLatin1(name)); };
    EXPECT_TRUE(item("CenterOnMainItem")->isChecked());
    EXPECT_TRUE(item("CenterOnVessel2Item")->isEnabled());
    EXPECT_FALSE(item("CenterOnVessel3Item")->isEnabled()) << "one further vessel only";
    P::clickItem(menu, item("SelectRunlineHereItem"));
    EXPECT_EQ(FNav->StatusPanelText(2), "Runline selected");
    ASSERT_EQ(P::model().SelectedCount(), 1);
    EXPECT_EQ(P::model().GetShapeLayer(P::model().GetSelectedIds()[0]), P::model().FindLayer("Veldor_Runlines"));

    // Far from any run line the selection stays.
    P::mapMenu(P::at(100, 900), "SelectRunlineHereItem");
    EXPECT_EQ(FNav->StatusPanelText(2), "No runline near the click point");
    EXPECT_EQ(P::model().SelectedCount(), 1);

    // Toggles: the tracks hide and the caption turns; centring on the tug unchecks the main one.
    P::mapMenu(P::at(100, 900), "ShowMainTracksItem");
    EXPECT_FALSE(P::model().GetLayerVisible(P::model().FindLayer("track_fix")));
    EXPECT_FALSE(P::model().GetLayerVisible(P::model().FindLayer("track_float")));
    P::mapMenu(P::at(100, 900), "CenterOnVessel2Item");
    EXPECT_EQ(realtimeState().MapFollowTarget, 1);
    P::click(P::at(100, 900), Qt::RightButton);
    ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, 1000));
    EXPECT_EQ(item("ShowMainTracksItem")->text(), "Show Tracklines (main vessel)");
    EXPECT_FALSE(item("CenterOnMainItem")->isChecked());
    EXPECT_TRUE(item("CenterOnVessel2Item")->isChecked());
    QTest::keyClick(menu, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([menu] { return !menu->isVisible(); }, 5000));
    // Clicks on the map report where they fell.
    P::clickWorld(250, 750);
    EXPECT_TRUE(FNav->StatusPanelText(2).startsWith("Clicked: E2")) << FNav->StatusPanelText(2).toStdString();
}

TEST(EndToEndMap, BareViewFromTheRealtimeWindowIsLeftWithEscapeOrTheHeadingDisplay)
{
    PtyPair gnss;
    P p([&gnss](IniFile& ini) {
        gnss.mapTo(GetIniFileName(), "COM5");
        ini.writeString("GPS1 COMUNICATION SETTINGS", "Port No", "COM5");
        ini.writeBool("SENSOR COMUNICATION SETTINGS", "Sensor Enabled", false);
    });
    P::chooseMenu("mRealtimeWindow1");
    ASSERT_TRUE(QTest::qWaitFor([] { return fRealtime->isVisible(); }, 1000));
    QTest::mouseClick(fRealtime->btHide, Qt::LeftButton);
    EXPECT_FALSE(FNav->tDraw->isVisible());
    EXPECT_FALSE(FNav->tShape->isVisible());
    EXPECT_FALSE(FNav->menuBar()->isVisible());
    EXPECT_TRUE(FNav->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(fRealtime->isVisible()) << "its button is out of reach now";
    ASSERT_TRUE(FNav->isVisible());

    QTest::keyClick(P::map(), Qt::Key_Escape);
    EXPECT_TRUE(FNav->tDraw->isVisible());
    EXPECT_TRUE(FNav->tRealtime->isVisible());
    EXPECT_TRUE(FNav->tShape->isVisible());
    EXPECT_TRUE(FNav->menuBar()->isVisible());
    EXPECT_FALSE(FNav->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(fRealtime->isVisible());
    EXPECT_EQ(fRealtime->bareLayoutState(), 0);

    // A double click on the heading display switches both ways; elsewhere it does nothing. The
    // display shows once the receiver's lines come in.
    QTest::mouseClick(P::button("bRealtime"), Qt::LeftButton);
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    ASSERT_TRUE(gnss.write(gga("120000.00", 41.0, 33.0, 4) + "\r\n"));
    ASSERT_TRUE(QTest::qWaitFor([] { return P::map()->HitHeadingHud(20, 20) || P::map()->HitHeadingHud(P::map()->width() - 20, 20); }, 10000));
    QPoint hud(-1, -1);
    for (int y = 0; y < P::map()->height() && hud.x() < 0; y += 4)
        for (int x = 0; x < P::map()->width(); x += 4)
            if (P::map()->HitHeadingHud(x, y)) {
                hud = QPoint(x + 4, y + 4);
                break;
            }
    ASSERT_GE(hud.x(), 0) << "the heading display is on the map";
    QTest::mouseDClick(P::map(), Qt::LeftButton, {}, QPoint(P::map()->width() / 2, P::map()->height() / 2));
    EXPECT_EQ(fRealtime->bareLayoutState(), 0);
    QTest::mouseDClick(P::map(), Qt::LeftButton, {}, hud);
    EXPECT_EQ(fRealtime->bareLayoutState(), 1);
    EXPECT_FALSE(FNav->tDraw->isVisible());
    QTest::mouseDClick(P::map(), Qt::LeftButton, {}, hud);
    EXPECT_EQ(fRealtime->bareLayoutState(), 0);
    EXPECT_TRUE(FNav->tDraw->isVisible());
}

TEST(EndToEndMap, F4WalksTheTrackedSensorAndTheOtherKeysDoOneThingEach)
{
    P p([](IniFile& ini) {
        SaveSensorSettings(ini, {{{"Transducer", 1.5, -2.0}, {"Head", 0.0, 5.0}, {"ADCP", -1, 0}}, true, -1});
    });
    ASSERT_EQ(VesselSensors.size(), 3u);
    ASSERT_EQ(ActiveTrackingSensor, -1);
    const std::pair<int, const char*> steps[] = {
        {0, "Tracking: Transducer"}, {1, "Tracking: Head"}, {2, "Tracking: ADCP"}, {-1, "Tracking: GPS"},
        {0, "Tracking: Transducer"}};
    for (const auto& [sensor, text] : steps) {
        QTest::keyClick(P::map(), Qt::Key_F4);
        EXPECT_EQ(ActiveTrackingSensor, sensor);
        EXPECT_EQ(FNav->StatusPanelText(0), text);
    }
    const std::string log = p.events();
    size_t lines = 0;
    for (size_t at = log.find("Tracking: "); at != std::string::npos; at = log.find("Tracking: ", at + 1)) ++lines;
    EXPECT_EQ(lines, 5u) << "one events-log line per press";

    const int speed = P::map()->SpeedHudCorner(), heading = P::map()->HeadingHudCorner();
    QTest::keyClick(P::map(), Qt::Key_F2);
    EXPECT_NE(P::map()->SpeedHudCorner(), speed);
    EXPECT_EQ(P::map()->HeadingHudCorner(), heading);
    QTest::keyClick(P::map(), Qt::Key_F3);
    EXPECT_NE(P::map()->HeadingHudCorner(), heading);
    const QString imagery = FNav->StatusPanelText(6);
    QTest::keyClick(P::map(), Qt::Key_F5);
    EXPECT_NE(FNav->StatusPanelText(6), imagery);
    EXPECT_EQ(ActiveTrackingSensor, 0) << "F2, F3 and F5 leave the tracked sensor alone";
}

TEST(EndToEndMap, MenuShortcutsAreUniqueAndTheProgramsButtonsAndMenuItemsWork)
{
    P p;
    QTest::mouseClick(P::button("bSelectTracks"), Qt::LeftButton);  // gives Delete to its menu item
    std::set<QKeySequence> seen;
    for (QAction* a : FNav->findChildren<QAction*>()) {
        if (a->shortcut().isEmpty()) continue;
        EXPECT_TRUE(seen.insert(a->shortcut()).second)
            << a->objectName().toStdString() << " " << a->shortcut().toString().toStdString();
    }
    EXPECT_TRUE(seen.count(QKeySequence(Qt::Key_Delete)));

    // Open Log Folder opens the day folder.
    std::vector<std::string> opened;
    setFolderOpener([&](const std::string& f) { opened.push_back(f); });
    P::chooseMenu("OpenLogFolder1");
    setFolderOpener({});
    EXPECT_EQ(opened, (std::vector<std::string>{DayFolder}));

    // Remote support: only the program the settings name, never one from the current folder.
    std::vector<std::string> started;
    setProgramLauncher([&](const std::string& program, const std::vector<std::string>& args) {
        started.push_back(program + (args.empty() ? "" : " +args"));
        return true;
    });
    const std::string cwdProgram = std::filesystem::current_path().string() + "/VeldorUD";
    P::chooseMenu("RemoteSupport1");
    EXPECT_TRUE(started.empty()) << "nothing beside the program, nothing started";
    EXPECT_TRUE(FNav->StatusPanelText(0).startsWith("Remote support program not found: "));
    p.home.writeFile("rs/remote-help", "#!/bin/sh\n");
    std::filesystem::permissions(p.home.path("rs/remote-help"), std::filesystem::perms::owner_all);
    IniFile(GetIniFileName()).writeString("SETTINGS", "RemoteSupportProgram", p.home.path("rs/remote-help"));
    P::chooseMenu("RemoteSupport1");
    EXPECT_EQ(started, (std::vector<std::string>{p.home.path("rs/remote-help")}));
    EXPECT_EQ(std::count(started.begin(), started.end(), cwdProgram), 0);

    // Restart: this run closes and saves first; the new one starts last, without arguments.
    QTest::mouseClick(P::button("bRestart"), Qt::LeftButton);
    EXPECT_FALSE(FNav->isVisible());
    EXPECT_NE(p.events().find("Auto-saved: "), std::string::npos);
    EXPECT_TRUE(RestartRequested());
    started.clear();
    StartRequestedRestart("/opt/vsx/veldorsx");
    EXPECT_EQ(started, (std::vector<std::string>{"/opt/vsx/veldorsx"}));
    EXPECT_FALSE(RestartRequested());
    setProgramLauncher({});
}

TEST(EndToEndMap, TheExitButtonSavesLikeFileExit)
{
    P p({}, surveyDrawing);
    QTest::mouseClick(P::button("ToolButton7"), Qt::LeftButton);
    P::clickWorld(400, 400);
    QTest::mouseClick(P::button("bExit"), Qt::LeftButton);
    EXPECT_FALSE(FNav->isVisible());
    EXPECT_FALSE(RestartRequested());
    const std::string saved = IniFile(GetIniFileName()).readString("FILE", "Last File Saved", "");
    ASSERT_NE(saved, p.home.path("start.vltx"));
    CanvasModel back;
    ASSERT_TRUE(LoadShapeFile(back, saved, 0, 0, 0));
    EXPECT_EQ(back.LayerShapeCount(back.FindLayer("veldor_usershape")), 1) << "the point drawn just before";
    EXPECT_EQ(back.LayerShapeCount(back.FindLayer("track_fix")), 8);
    EXPECT_EQ(IniFile(GetIniFileName()).readFloat("CANVAS", "PlanWorldRight", 0), P::model().WorldXMax());
}

// The context menu's section headers ("MAIN VESSEL", ...) are disabled items and look it: their
// text is in the theme's disabled colour, far fainter than the commands', in the light theme of a
// first start and in a dark theme the surveyor picks.
TEST(EndToEndMap, TheMenusSectionHeadersLookDisabled)
{
    P p({}, surveyDrawing);
    ApplyStyle("Light");  // the theme of a first start
    QMenu* menu = FNav->MapContextMenu;
    // How far the text of an item stands out from the menu around it (grey levels), and its colour.
    auto ink = [menu](const QImage& img, QAction* a) {
        const QRect r = menu->actionGeometry(a);
        std::map<QRgb, int> counts;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) ++counts[img.pixel(x, y)];
        const QRgb ground = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
        std::pair<int, QRgb> most{0, ground};
        for (const auto& [c, n] : counts) most = std::max(most, {std::abs(qGray(c) - qGray(ground)), c});
        return most;
    };
    auto check = [&](const char* theme) {
        P::click(P::at(100, 900), Qt::RightButton);
        ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, 5000));
        const QImage img = menu->grab().toImage();
        const QColor disabled = QApplication::palette(menu).color(QPalette::Disabled, QPalette::Text);
        int faintestCommand = 255;
        std::vector<std::pair<QString, std::pair<int, QRgb>>> headers;
        for (QAction* a : menu->actions()) {
            if (a->isSeparator() || a->isCheckable()) continue;
            if (a->isEnabled()) faintestCommand = std::min(faintestCommand, ink(img, a).first);
            else headers.emplace_back(a->text(), ink(img, a));
        }
        ASSERT_EQ(headers.size(), 6u) << theme;
        for (const auto& [text, look] : headers) {
            EXPECT_LT(look.first * 10, faintestCommand * 7) << theme << ": " << text.toStdString() << " looks like a command";
            EXPECT_LE(std::abs(qGray(look.second) - qGray(disabled.rgb())), 24)
                << theme << ": " << text.toStdString() << " is not in the disabled text colour";
        }
        QTest::keyClick(menu, Qt::Key_Escape);
        ASSERT_TRUE(QTest::qWaitFor([menu] { return !menu->isVisible(); }, 5000));
    };
    check("Light");

    P::chooseMenu("themeSelection1");
    ASSERT_TRUE(QTest::qWaitFor([] { return fTheme && fTheme->isVisible(); }, 5000));
    QListWidgetItem* dark = fTheme->lbThemeList->findItems("Windows10 Dark", Qt::MatchExactly).value(0);
    ASSERT_TRUE(dark);
    QTest::mouseClick(fTheme->lbThemeList->viewport(), Qt::LeftButton, {}, fTheme->lbThemeList->visualItemRect(dark).center());
    ASSERT_TRUE(QTest::qWaitFor([menu] { return qGray(menu->palette().color(QPalette::Window).rgb()) < 100; }, 5000))
        << "the menu did not take the dark theme";
    check("Windows10 Dark");
    click(fTheme->bCancel);
    EXPECT_EQ(StyleManager::activeStyle(), "Light");
}
