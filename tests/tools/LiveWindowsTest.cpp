// The latency, waterfall, battery and run-line windows on their own: their rules, settings,
// mouse handling and messages.
#include "ToolsFixture.h"

#include "app/Settings.h"
#include "canvas/Shapes.h"
#include "canvas/VeldorCanvas.h"
#include "input/DeviceSettings.h"
#include "platform/IniFile.h"
#include "tools/LatencyTolerance.h"
#include "tools/RunlineGenerator.h"
#include "tools/WaterfallFrame.h"
#include "tools/windows/BatteryWindow.h"
#include "tools/windows/LatencyWindow.h"
#include "tools/windows/RunlineGeneratorWindow.h"
#include "tools/windows/WaterfallWindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vsx;
using vsx::test::ToolsFixture;

namespace {
void typeInto(QLineEdit* e, const QString& text)
{
    e->setFocus();
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
}
} // namespace

TEST(LatencyWindow, ToleranceColourRule)
{
    const struct {
        const char *current, *tolerance;
        std::optional<ColorValue> colour;
    } cases[] = {
        {"499", "500", kLatencyGood}, {"500", "500", kLatencyBad}, {"0", "0", kLatencyBad},
        {"20", "", std::nullopt},     {"20", "7a", std::nullopt},   {"", "500", std::nullopt},
        {"20", "99999999999", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LatencyColour(c.current, c.tolerance), c.colour) << c.current << " / " << c.tolerance;
}

TEST(LatencyWindow, FiguresToleranceAndItsSetting)
{
    ToolsFixture f;
    LatencyWindow w;
    w.show();
    EXPECT_EQ(w.eLatencyTol->text(), "500");
    EXPECT_FALSE(w.eCurrentLatency->isEnabled());
    EXPECT_FALSE(w.eLatencyAveraged->isEnabled());
    EXPECT_FALSE(IniFile(GetIniFileName()).sectionExists("LATENCY")) << "reading it does not write it";

    w.ShowLatency(20, 12.35);
    EXPECT_EQ(w.eCurrentLatency->text(), "20");
    EXPECT_EQ(w.eLatencyAveraged->text(), "12.4");
    EXPECT_EQ(w.gLatency->palette().color(QPalette::Window), QColor(0, 255, 0));

    // Emptied while retyping: no message, the colour stays; each keystroke is stored.
    typeInto(w.eLatencyTol, "");
    w.ShowLatency(600, 100);
    EXPECT_EQ(w.GroupColour(), kLatencyGood);
    EXPECT_TRUE(f.prompts.entries.empty());
    QTest::keyClicks(w.eLatencyTol, "7");
    EXPECT_EQ(IniFile(GetIniFileName()).readString("LATENCY", "eLatencyTol", ""), "7");
    EXPECT_EQ(w.GroupColour(), kLatencyBad) << "a new tolerance recolours at once";
    QTest::keyClicks(w.eLatencyTol, "50");
    EXPECT_EQ(IniFile(GetIniFileName()).readString("LATENCY", "eLatencyTol", ""), "750");
    EXPECT_EQ(w.GroupColour(), kLatencyGood);

    LatencyWindow again;
    EXPECT_EQ(again.eLatencyTol->text(), "750");
}

TEST(WaterfallWindow, EdgesAndCursors)
{
    const int w = 388, h = 147;
    const struct {
        int x, y;
        Qt::Edges edges;
        Qt::CursorShape cursor;
    } cases[] = {
        {3, 3, Qt::LeftEdge | Qt::TopEdge, Qt::SizeFDiagCursor},
        {w - 1, 2, Qt::RightEdge | Qt::TopEdge, Qt::SizeBDiagCursor},
        {0, h - 6, Qt::LeftEdge | Qt::BottomEdge, Qt::SizeBDiagCursor},
        {w - 6, h - 1, Qt::RightEdge | Qt::BottomEdge, Qt::SizeFDiagCursor},
        {5, 70, Qt::LeftEdge, Qt::SizeHorCursor},
        {w - 3, 70, Qt::RightEdge, Qt::SizeHorCursor},
        {200, 0, Qt::TopEdge, Qt::SizeVerCursor},
        {200, h - 2, Qt::BottomEdge, Qt::SizeVerCursor},
        {6, 6, {}, Qt::ArrowCursor},
        {w / 2, h / 2, {}, Qt::ArrowCursor},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WaterfallEdgesAt(c.x, c.y, w, h), c.edges) << c.x << "," << c.y;
        EXPECT_EQ(WaterfallCursorFor(WaterfallEdgesAt(c.x, c.y, w, h)), c.cursor) << c.x << "," << c.y;
    }
}

TEST(WaterfallWindow, MovesResizesAndKeepsItsSettings)
{
    ToolsFixture f;
    WaterfallWindow w;
    std::vector<Qt::Edges> resizes;
    w.StartSystemResize = [&](Qt::Edges e) {
        resizes.push_back(e);
        return true;
    };
    w.show();
    EXPECT_EQ(w.DataWidth, 50);
    EXPECT_EQ(w.Interval, 100);
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);

    QTest::mousePress(&w, Qt::RightButton, {}, QPoint(3, 3));
    QTest::mouseRelease(&w, Qt::RightButton, {}, QPoint(3, 3));
    EXPECT_TRUE(resizes.empty());
    EXPECT_FALSE(w.Dragging());

    QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(3, 3));
    ASSERT_EQ(resizes.size(), 1u);
    EXPECT_EQ(resizes[0], Qt::LeftEdge | Qt::TopEdge);
    EXPECT_FALSE(w.Dragging());
    QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(3, 3));

    // A drag from the middle moves the window by the mouse's travel and stores where it went.
    const QPoint start = w.pos();
    const QPoint centre(w.width() / 2, w.height() / 2);
    QTest::mousePress(&w, Qt::LeftButton, {}, centre);
    EXPECT_TRUE(w.Dragging());
    QMouseEvent move(QEvent::MouseMove, QPointF(centre + QPoint(40, 25)), QPointF(w.mapToGlobal(centre + QPoint(40, 25))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
    EXPECT_EQ(w.pos(), start + QPoint(40, 25));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, centre + QPoint(40, 25));
    EXPECT_FALSE(w.Dragging());
    {
        IniFile ini(GetIniFileName());
        EXPECT_EQ(ini.readInteger("fWaterfal", "Left", -1), w.frameGeometry().left());
        EXPECT_EQ(ini.readInteger("fWaterfal", "Top", -1), w.frameGeometry().top());
    }

    w.close();
    IniFile ini(GetIniFileName());
    EXPECT_EQ(ini.readInteger("ECHOGRAM", "DataWidth", -1), 50);
    EXPECT_EQ(ini.readInteger("ECHOGRAM", "Interval", -1), 100);
}

TEST(BatteryWindow, HidesForAnotherMessageType)
{
    ToolsFixture f;
    BatteryWindow w;
    w.show();
    EXPECT_EQ(w.watchTimer->interval(), 1000);
    EXPECT_TRUE(w.watchTimer->isActive());
    EXPECT_EQ(w.height(), 42);
    EXPECT_GE(w.width(), 131) << "the designed width is the least; the caption in the title bar decides";
    w.hideWithoutBatteryMessages();
    EXPECT_TRUE(w.isVisible()) << "the design type is the sounder's own";

    DeviceSettings other;
    other.setSounderMessageText("NMEA DPT");
    setCurrentDeviceSettings(&other);
    w.hideWithoutBatteryMessages();
    EXPECT_FALSE(w.isVisible());
    other.setSounderMessageText("Veldor SMT");
    w.hideWithoutBatteryMessages();
    EXPECT_FALSE(w.isVisible()) << "the timer never shows it";
    setCurrentDeviceSettings(nullptr);
}

TEST(RunlineWindow, RegenerationMessagesAndClear)
{
    ToolsFixture f;
    CreateDataFolders();  // the events log's folder
    TVeldorCanvas map;
    map.resize(800, 600);
    RunlineGeneratorWindow w;
    w.SetCanvas(&map);
    w.show();
    CanvasModel& m = map.Model();

    // Nothing to regenerate before a route: the edits and buttons change nothing on the map.
    typeInto(w.eSpacing, "5");
    QTest::mouseClick(w.rbParallel, Qt::LeftButton);
    EXPECT_EQ(m.FindLayer(kRunlineLayer), -1);
    QTest::mouseClick(w.rbPerpendicular, Qt::LeftButton);

    w.bDrawRoute->click();
    EXPECT_EQ(map.Tool(), 5);
    EXPECT_EQ(m.CurrentLayer(), m.FindLayer(kRouteLayer));
    EXPECT_FALSE(map.KeepTool());
    EXPECT_EQ(w.StatusColour(), ColorValue(0xFF0000)) << "blue while drawing";
    m.AddPolyline({{0, 0}, {25, 0}}, m.FindLayer(kRouteLayer), 0);
    w.SetRoute({{0, 0}, {25, 0}});
    const int layer = m.FindLayer(kRunlineLayer);
    EXPECT_EQ(m.LayerShapeCount(layer), 1 + 6) << "stations 0 to 25 every 5 m";
    EXPECT_EQ(w.StatusColour(), ColorValue(0x008000));

    // Spacing beyond the route: said once, and the line at the start is drawn.
    f.prompts.entries.clear();
    typeInto(w.eSpacing, "30");
    EXPECT_TRUE(f.prompts.entries.empty()) << "typing only updates the status";
    EXPECT_EQ(m.LayerShapeCount(layer), 2);
    w.bGenerate->click();
    ASSERT_EQ(f.messages(), std::vector<std::string>{RunlineProblemText(
                                PlanRunlines({{0, 0}, {25, 0}}, 30, 100, RunlineKind::Perpendicular))});
    EXPECT_EQ(IniFile(GetIniFileName()).readString("RUNLINE", "Spacing", ""), "30");
    EXPECT_EQ(f.host.calls, std::vector<std::string>{"AutoSave"});

    // A flood is refused: the lines stay, the message says how many were asked for.
    f.prompts.entries.clear();
    typeInto(w.eSpacing, "0.0001");
    EXPECT_EQ(m.LayerShapeCount(layer), 2);
    EXPECT_EQ(w.StatusColour(), ColorValue(0x0000FF));
    w.bGenerate->click();
    EXPECT_EQ(f.messages(), std::vector<std::string>{"Too many run lines (250001): use a larger spacing."});
    EXPECT_EQ(f.host.calls.size(), 1u) << "nothing saved";

    // Every drawn generation is in the events log with the texts as typed.
    typeInto(w.eSpacing, "10");
    const std::string log = f.home.readFile(EventsLogFileName());
    EXPECT_NE(log.find("Runlines generated - Spacing: 30, Length: 100"), std::string::npos);
    EXPECT_NE(log.find("Runlines generated - Spacing: 10, Length: 100"), std::string::npos);
    EXPECT_EQ(log.find("Spacing: 0.0001"), std::string::npos);

    w.bClear->click();
    EXPECT_EQ(m.LayerShapeCount(layer), 0);
    EXPECT_EQ(m.LayerShapeCount(m.FindLayer(kRouteLayer)), 1) << "the drawn route stays";
    EXPECT_FALSE(w.RouteReady());
    typeInto(w.eSpacing, "5");
    EXPECT_EQ(m.LayerShapeCount(layer), 0) << "no route, no regeneration";
}
