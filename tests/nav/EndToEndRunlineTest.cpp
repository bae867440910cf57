// The run-line generator in the whole program: the surveyor opens it from the tool bar, draws a
// route on the real map with the mouse, sets spacing, length and line type in its controls and
// generates; the lines are on the map and in the project file the main window saves.
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/WindowPointers.h"
#include "canvas/ProjectFile.h"
#include "canvas/Shapes.h"
#include "nav/windows/MainWindow.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "platform/Prompts.h"
#include "program/ProgramStart.h"
#include "tools/RunlineGenerator.h"
#include "tools/windows/RunlineGeneratorWindow.h"

#include "support/ControlInput.h"
#include "support/TempHome.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace vsx;
using namespace vsx::test;

namespace {

struct Seams {
    RecordingPrompts prompts;
    FakeClock clock {LocalDateTime {2024, 5, 1, 9, 30, 0, 0}};
    Seams()
    {
        setPrompts(&prompts);
        setClock(&clock);
    }
    ~Seams()
    {
        setPrompts(nullptr);
        setClock(nullptr);
    }
};

// The polylines of a layer, each as its vertices.
std::vector<WorldPoints> layerLines(const CanvasModel& m, const char* layer)
{
    std::vector<WorldPoints> out;
    const int id = m.FindLayer(layer);
    for (int shape : m.GetLayerShapeIds(id))
        if (const auto* p = dynamic_cast<const TVPolyline*>(m.FindShape(shape))) out.push_back(p->Vertices);
    return out;
}

// Left clicks at the pixels, then the right click that finishes the route.
WorldPoints drawRoute(TVeldorCanvas* map, const std::vector<QPoint>& pixels)
{
    WorldPoints world;
    for (const QPoint& p : pixels) {
        QTest::mouseClick(map, Qt::LeftButton, {}, p);
        QTest::qWait(30);
        double x, y;
        map->ScreenToWorld(p.x(), p.y(), x, y);
        world.push_back({x, y});
    }
    QTest::mouseClick(map, Qt::RightButton, {}, pixels.back() + QPoint(5, 5));
    QTest::qWait(30);
    return world;
}

std::vector<std::string> savedProjects()
{
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(ProjectFolder))
        if (e.path().extension() == ".vltx") files.push_back(e.path().string());
    return files;
}

} // namespace

TEST(EndToEndRunline, RouteDrawnOnTheMapToLinesInTheSavedProject)
{
    TempHome home;
    Seams guard;
    InitSharedValues();
    CreateAllWindows();
    ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 10000));
    TVeldorCanvas* map = FNav->fcad;

    auto* runlineButton = FNav->findChild<QToolButton*>("tbRunline");
    ASSERT_NE(runlineButton, nullptr);
    click(runlineButton);
    ASSERT_TRUE(fRunline1->isVisible());
    auto* w = fRunline1;
    EXPECT_EQ(w->lRouteStatus->text(), "No route drawn");

    // Generate before any route: the message, and nothing written.
    click(w->bGenerate);
    ASSERT_EQ(guard.prompts.entries.size(), 1u);
    EXPECT_EQ(guard.prompts.entries[0].text, "Please draw a route first.");
    EXPECT_FALSE(IniFile(GetIniFileName()).sectionExists("RUNLINE"));

    typeInto(w->eSpacing, "20");
    typeInto(w->eLength, "50");
    QTest::mouseClick(w->bDrawRoute, Qt::LeftButton);
    EXPECT_EQ(map->Tool(), 5);
    EXPECT_EQ(w->lRouteStatus->text(), "Drawing... (right-click to finish)");
    const WorldPoints route = drawRoute(map, {{200, 400}, {500, 380}, {650, 200}});

    // The route as clicked, and the lines across it every 20 m along its whole length.
    ASSERT_EQ(w->Route().size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(w->Route()[i].X, route[i].X, 1e-6);
        EXPECT_NEAR(w->Route()[i].Y, route[i].Y, 1e-6);
    }
    EXPECT_EQ(w->lRouteStatus->text(), "Route: 3 points");
    EXPECT_EQ(map->Tool(), 0) << "the tool returns to selection after the route";
    const double length = std::hypot(route[1].X - route[0].X, route[1].Y - route[0].Y) +
                          std::hypot(route[2].X - route[1].X, route[2].Y - route[1].Y);
    const size_t across = size_t(std::floor(length / 20 + 1e-9)) + 1;
    std::vector<WorldPoints> lines = layerLines(map->Model(), kRunlineLayer);
    ASSERT_EQ(lines.size(), across + 1) << "the route copy and the lines";
    EXPECT_EQ(lines[0], route);
    for (size_t k = 1; k < lines.size(); ++k) {
        ASSERT_EQ(lines[k].size(), 2u);
        EXPECT_NEAR(std::hypot(lines[k][1].X - lines[k][0].X, lines[k][1].Y - lines[k][0].Y), 100, 1e-6);
    }
    EXPECT_EQ(layerLines(map->Model(), kRouteLayer).size(), 1u) << "the drawn route stays on its layer";

    // Parallel: two lines on each side (offsets 20 and 40 within 50 m).
    QTest::mouseClick(w->rbParallel, Qt::LeftButton);
    lines = layerLines(map->Model(), kRunlineLayer);
    ASSERT_EQ(lines.size(), 5u);
    for (size_t k = 1; k < lines.size(); ++k) EXPECT_EQ(lines[k].size(), 3u);

    // Generate stores the controls and has the main window save the drawing with the lines.
    const size_t before = savedProjects().size();
    guard.prompts.entries.clear();
    click(w->bGenerate);
    EXPECT_TRUE(guard.prompts.entries.empty());
    {
        IniFile ini(GetIniFileName());
        EXPECT_EQ(ini.readString("RUNLINE", "Spacing", ""), "20");
        EXPECT_EQ(ini.readString("RUNLINE", "Length", ""), "50");
        EXPECT_FALSE(ini.readBool("RUNLINE", "Perpendicular", true));
    }
    ASSERT_EQ(savedProjects().size(), before + 1);
    const std::string saved = IniFile(GetIniFileName()).readString("FILE", "Last File Saved", "");
    CanvasModel reread;
    ASSERT_TRUE(LoadShapeFile(reread, saved, 0, 0, 0));
    const std::vector<WorldPoints> savedLines = layerLines(reread, kRunlineLayer);
    ASSERT_EQ(savedLines.size(), lines.size());
    for (size_t k = 0; k < lines.size(); ++k) {
        ASSERT_EQ(savedLines[k].size(), lines[k].size());
        for (size_t j = 0; j < lines[k].size(); ++j) {
            EXPECT_NEAR(savedLines[k][j].X, lines[k][j].X, 1e-6);
            EXPECT_NEAR(savedLines[k][j].Y, lines[k][j].Y, 1e-6);
        }
    }
    EXPECT_NE(home.readFile(EventsLogFileName()).find("Runlines generated - Spacing: 20, Length: 50"),
              std::string::npos);

    // A spacing being retyped never wipes the lines; a refused Generate says why and saves nothing.
    typeInto(w->eSpacing, "0");
    EXPECT_EQ(layerLines(map->Model(), kRunlineLayer).size(), 5u);
    EXPECT_EQ(w->lRouteStatus->text(), "Spacing must be a number greater than 0.");
    click(w->bGenerate);
    ASSERT_EQ(guard.prompts.entries.size(), 1u);
    EXPECT_EQ(guard.prompts.entries[0].text, "Spacing must be a number greater than 0.");
    EXPECT_EQ(IniFile(GetIniFileName()).readString("RUNLINE", "Spacing", ""), "20");
    EXPECT_EQ(savedProjects().size(), before + 1);

    // A route finished after a single click: the generator says so instead of waiting.
    typeInto(w->eSpacing, "20");
    guard.prompts.entries.clear();
    QTest::mouseClick(w->bDrawRoute, Qt::LeftButton);
    EXPECT_TRUE(layerLines(map->Model(), kRunlineLayer).empty()) << "Draw Route clears the lines";
    drawRoute(map, {{300, 300}});
    EXPECT_EQ(w->lRouteStatus->text(), "Need at least 2 points");
    ASSERT_EQ(guard.prompts.entries.size(), 1u);
    EXPECT_EQ(guard.prompts.entries[0].text, "A route needs at least 2 points.");

    // Clear empties the run-line layer; Close hides the window; the Tools menu saves and shows it.
    click(w->bClear);
    EXPECT_EQ(w->lRouteStatus->text(), "No route drawn");
    click(w->bClose);
    EXPECT_FALSE(w->isVisible());
    guard.clock.advance(std::chrono::minutes(1));  // the next save gets a name of its own
    chooseMenuItem(FNav->menuBar(), "GenerateRunline1");
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(savedProjects().size(), before + 2);
    DestroyAllWindows();
}
