// Mouse, wheel and keys on the map widget, driven with QTest input: the drawing tools and their
// events, selection, zooming, panning, measuring and cancelling a drawing.
#include "CanvasWidgetTestSupport.h"

#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vsx {
namespace {

using test::makeCanvas;

// 400 x 300 pixels over 400 x 300 m: pixel (x, y) is world (x, 300 - y).
struct InputFixture {
    std::unique_ptr<TVeldorCanvas> canvas = makeCanvas(400, 300, 0, 0, 400, 300);
    std::vector<std::string> log;  // the drawing events in the order fired

    InputFixture()
    {
        canvas->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(canvas.get()));
        auto* c = canvas.get();
        auto num = [](double v) { return std::to_string(int(std::lround(v))); };
        QObject::connect(c, &TVeldorCanvas::OnDrawBegin, [this, num](TVeldorCanvas*, int t, double x, double y) {
            log.push_back("begin " + std::to_string(t) + " " + num(x) + "," + num(y));
        });
        QObject::connect(c, &TVeldorCanvas::OnDrawEnd, [this](TVeldorCanvas*, int t, double, double) {
            log.push_back("end " + std::to_string(t));
        });
        QObject::connect(c, &TVeldorCanvas::OnDrawCancel, [this](TVeldorCanvas*, int t) {
            log.push_back("cancel " + std::to_string(t));
        });
        QObject::connect(c, &TVeldorCanvas::OnShapeNumberSelected, [this](TVeldorCanvas*, int type, int id) {
            log.push_back("select " + std::to_string(type) + " " + std::to_string(id));
        });
    }
    CanvasModel& model() { return canvas->Model(); }
    void left(QPoint p, Qt::KeyboardModifiers m = {}) { QTest::mouseClick(canvas.get(), Qt::LeftButton, m, p); }
    void right(QPoint p) { QTest::mouseClick(canvas.get(), Qt::RightButton, {}, p); }
    void move(QPoint p) { QTest::mouseMove(canvas.get(), p); }
    void key(Qt::Key k) { QTest::keyClick(canvas.get(), k); }
    void wheel(QPoint p, int delta)
    {
        QWheelEvent e(QPointF(p), QPointF(canvas->mapToGlobal(p)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(canvas.get(), &e);
    }
    std::vector<int> shapeTypes()
    {
        std::vector<int> types;
        for (const TVShape* s : model().Shapes()) types.push_back(s->ShapeType);
        return types;
    }
};

TEST(CanvasInput, DrawingToolsAsScenarios)
{
    struct Step {
        char what;  // L left click, R right click, E Escape
        QPoint at;
    };
    const QPoint A(100, 200), B(150, 150), C(200, 200), D(300, 100);
    struct Case {
        const char* what;
        int tool;
        std::vector<Step> steps;
        std::vector<int> shapes;
        std::vector<std::string> events;
        int toolAfter;
    } cases[] = {
        {"polyline A B C, right click; the next press does nothing", toolcode::Polyline,
         {{'L', A}, {'L', B}, {'L', C}, {'R', C}, {'L', B}}, {5}, {"begin 5 100,100", "end 5"}, 0},
        {"polyline A, right click: nothing added", toolcode::Polyline, {{'L', A}, {'R', A}}, {}, {"begin 5 100,100", "end 5"}, 0},
        {"a repeated click adds no vertex", toolcode::Polyline, {{'L', A}, {'L', A}, {'R', A}}, {}, {"begin 5 100,100", "end 5"}, 0},
        {"line A B C: two chained lines", toolcode::Line, {{'L', A}, {'L', B}, {'L', C}, {'R', C}}, {3, 3},
         {"begin 3 100,100", "end 3"}, 0},
        {"rectangle A A: none; B starts the next", toolcode::Rectangle, {{'L', A}, {'L', A}, {'L', B}}, {},
         {"begin 1 100,100", "begin 1 150,150"}, 1},
        {"rectangle A C", toolcode::Rectangle, {{'L', A}, {'L', C}}, {1}, {"begin 1 100,100"}, 1},
        {"ellipse needs two different corners", toolcode::Ellipse, {{'L', A}, {'L', C}, {'L', A}, {'L', B}}, {20},
         {"begin 4 100,100", "begin 4 100,100"}, 4},
        {"circle", toolcode::Circle, {{'L', A}, {'L', B}, {'R', B}}, {19}, {"begin 19 100,100", "end 19"}, 0},
        {"arc: the third click finishes, the fourth starts anew", toolcode::Arc, {{'L', A}, {'L', B}, {'L', C}, {'L', D}},
         {10}, {"begin 10 100,100", "begin 10 300,200"}, 10},
        {"point", toolcode::Point, {{'L', A}}, {17}, {"end 17"}, 0},
        {"spline", toolcode::Spline, {{'L', A}, {'L', B}, {'L', C}, {'R', D}}, {8}, {"begin 8 100,100", "end 8"}, 0},
        {"Escape during a polygon: nothing added, the drawing handed back", toolcode::Polygon,
         {{'L', A}, {'L', B}, {'L', C}, {'E', C}}, {}, {"begin 6 100,100", "cancel 6"}, 6},
        {"Escape when not drawing does nothing", toolcode::Polygon, {{'E', C}}, {}, {}, 6},
        {"tool -2: clicks only raise events", toolcode::None, {{'L', A}, {'L', B}}, {}, {}, -2},
    };
    for (const Case& c : cases) {
        InputFixture f;
        f.canvas->SetTool(c.tool);
        for (const Step& s : c.steps) {
            if (s.what == 'L') f.left(s.at);
            if (s.what == 'R') f.right(s.at);
            if (s.what == 'E') f.key(Qt::Key_Escape);
        }
        EXPECT_EQ(f.shapeTypes(), c.shapes) << c.what;
        EXPECT_EQ(f.log, c.events) << c.what;
        EXPECT_EQ(f.canvas->Tool(), c.toolAfter) << c.what;
        if (!f.canvas->Tools().Rubber().RubberBand) {
            EXPECT_EQ(f.canvas->Tools().InProgress(), nullptr) << c.what;
        }
    }
}

TEST(CanvasInput, FinishedShapesKeepTheirPointsAndIds)
{
    InputFixture f;
    CanvasModel& m = f.model();
    const int layer = m.AddLayer("Veldor_Route");
    m.SetLayerColor(layer, clBlue);
    m.SetLayerWidth(layer, 3);
    f.canvas->SetTool(toolcode::Polyline);
    f.canvas->SetKeepTool(true);
    const int firstId = m.NextShapeId();
    f.left({10, 290});
    f.left({110, 190});
    f.left({210, 290});
    f.right({210, 290});
    ASSERT_EQ(m.ShapeCount(), 1);
    const int id = m.GetShapeIds()[0];
    EXPECT_EQ(id, firstId) << "the id was taken at the first click";
    EXPECT_EQ(m.GetShapeLayer(id), layer);
    EXPECT_EQ(m.GetShapeColor(id), clBlue);
    EXPECT_EQ(m.GetShapeWidth(id), 3);
    EXPECT_EQ(f.canvas->Tool(), toolcode::Polyline) << "KeepTool";
    EXPECT_EQ(f.canvas->GetPolygonVertices(), (WorldPoints{{10, 10}, {110, 110}, {210, 10}}));

    // Abandoned drawings still use up their ids.
    f.left({50, 50});  // ignored: the press after the finish
    f.left({50, 50});
    f.right({50, 50});
    f.left({60, 60});  // ignored
    EXPECT_EQ(m.NextShapeId(), firstId + 2);
}

TEST(CanvasInput, PolygonVerticesOfTheRouteOrAnyPolyline)
{
    InputFixture f;
    CanvasModel& m = f.model();
    const int other = m.AddLayer("other");
    m.AddPolyline({{1, 1}, {2, 2}}, other, 0);
    EXPECT_EQ(f.canvas->GetPolygonVertices(), (WorldPoints{{1, 1}, {2, 2}})) << "no route layers: any polyline";
    const int route = m.AddLayer("Veldor_Route");
    EXPECT_TRUE(f.canvas->GetPolygonVertices().empty()) << "route layer present but empty";
    m.AddPolyline({{5, 5}, {6, 6}, {7, 5}}, route, 0);
    m.AddPolyline({{8, 8}, {9, 9}}, other, 0);
    EXPECT_EQ(f.canvas->GetPolygonVertices(), (WorldPoints{{5, 5}, {6, 6}, {7, 5}}));
}

TEST(CanvasInput, SelectionClicks)
{
    InputFixture f;
    CanvasModel& m = f.model();
    const int a = m.AddLine(50, 250, 150, 250, 0);  // pixel row 50
    const int b = m.AddLine(50, 100, 150, 100, 0);  // pixel row 200
    f.left({100, 50});
    EXPECT_EQ(m.GetSelectedIds(), std::vector<std::int32_t>{a});
    f.left({100, 200}, Qt::ControlModifier);
    EXPECT_EQ(m.GetSelectedIds(), (std::vector<std::int32_t>{a, b})) << "Ctrl adds";
    f.left({300, 120});
    EXPECT_EQ(m.SelectedCount(), 0) << "a click on empty map clears the selection";
    EXPECT_EQ(f.log, (std::vector<std::string>{"select 3 " + std::to_string(a), "select 3 " + std::to_string(b)}));

    f.left({100, 50});
    f.key(Qt::Key_Delete);
    EXPECT_EQ(m.ShapeCount(), 2) << "Delete only deletes when allowed";
    f.canvas->SetDeleteKeyDeletes(true);
    f.key(Qt::Key_Delete);
    EXPECT_EQ(m.GetShapeIds(), std::vector<std::int32_t>{b});
}

TEST(CanvasInput, EscapeAndCancelDragHandBackTheMapLoop)
{
    // The main window pauses its map loop at the start of a drawing and resumes at its end;
    // an abandoned drawing must resume it too.
    InputFixture f;
    bool paused = false;
    QObject::connect(f.canvas.get(), &TVeldorCanvas::OnDrawBegin, [&] { paused = true; });
    QObject::connect(f.canvas.get(), &TVeldorCanvas::OnDrawEnd, [&] { paused = false; });
    QObject::connect(f.canvas.get(), &TVeldorCanvas::OnDrawCancel, [&] { paused = false; });

    f.canvas->SetTool(toolcode::Polygon);
    f.left({10, 10});
    f.left({100, 10});
    EXPECT_TRUE(paused);
    f.key(Qt::Key_Escape);
    EXPECT_FALSE(paused);
    EXPECT_FALSE(f.canvas->Tools().Rubber().Drawing);

    f.canvas->SetTool(toolcode::Rectangle);
    f.left({10, 10});
    f.left({100, 100});  // a rectangle; the tool waits for the next one
    EXPECT_TRUE(paused);
    f.canvas->CancelDrag();
    EXPECT_FALSE(paused);
    EXPECT_EQ(f.model().ShapeCount(), 1);
    f.left({50, 50});  // starts a new rectangle: no click is swallowed after a cancel
    EXPECT_TRUE(f.canvas->Tools().Rubber().RubberBand);
}

TEST(CanvasInput, WheelZoomsAboutTheCursor)
{
    InputFixture f;
    CanvasModel& m = f.model();
    const QPoint at(100, 80);
    double x0, y0;
    f.canvas->ScreenToWorld(at.x(), at.y(), x0, y0);
    f.wheel(at, 120);
    EXPECT_NEAR(m.WorldWidth(), 360, 1e-9) << "10 % in";
    double x1, y1;
    f.canvas->ScreenToWorld(at.x(), at.y(), x1, y1);
    EXPECT_NEAR(x1, x0, 1e-9);
    EXPECT_NEAR(y1, y0, 1e-9);
    f.wheel(at, -120);
    EXPECT_NEAR(m.WorldWidth(), 396, 1e-9) << "10 % out";

    // A fine wheel: a step for every full notch of 120.
    const double before = m.WorldWidth();
    for (int i = 0; i < 3; ++i) f.wheel(at, 30);
    EXPECT_EQ(m.WorldWidth(), before);
    f.wheel(at, 30);
    EXPECT_NEAR(m.WorldWidth(), before * 0.9, 1e-9);
}

TEST(CanvasInput, MiddleButtonPansWithTheCursorAndDragZoomZooms)
{
    InputFixture f;
    CanvasModel& m = f.model();
    double x0, y0;
    f.canvas->ScreenToWorld(200, 150, x0, y0);
    QTest::mousePress(f.canvas.get(), Qt::MiddleButton, {}, {200, 150});
    QTest::mouseMove(f.canvas.get(), {250, 170});
    double x1, y1;
    f.canvas->ScreenToWorld(250, 170, x1, y1);
    EXPECT_NEAR(x1, x0, 1e-9) << "the grabbed point follows the cursor";
    EXPECT_NEAR(y1, y0, 1e-9);
    QTest::mouseRelease(f.canvas.get(), Qt::MiddleButton, {}, {250, 170});
    EXPECT_FALSE(f.canvas->Tools().MiddlePanning());

    f.canvas->SetTool(toolcode::DragZoom);
    const double width = m.WorldWidth();
    QTest::mousePress(f.canvas.get(), Qt::LeftButton, {}, {200, 150});
    QTest::mouseMove(f.canvas.get(), {200, 140});  // up: in
    EXPECT_NEAR(m.WorldWidth(), width * 0.9, 1e-9);
    QTest::mouseRelease(f.canvas.get(), Qt::LeftButton, {}, {200, 140});
    EXPECT_FALSE(f.canvas->Tools().DragZooming());
}

TEST(CanvasInput, ZoomWindowFitsTheControl)
{
    InputFixture f;
    CanvasModel& m = f.model();
    f.canvas->SetTool(toolcode::ZoomWindow);
    f.left({100, 100});
    f.left({100, 100});  // no box
    EXPECT_EQ(m.WorldWidth(), 400);
    EXPECT_EQ(f.canvas->Tool(), 0);

    f.canvas->SetTool(toolcode::ZoomWindow);
    f.left({100, 100});  // world (100, 200)
    f.left({300, 120});  // world (300, 180): 200 x 20, wider than the control
    EXPECT_NEAR(m.WorldXMin(), 100, 1e-9);
    EXPECT_NEAR(m.WorldXMax(), 300, 1e-9);
    EXPECT_NEAR(m.WorldYMin(), 190 - 75, 1e-9);
    EXPECT_NEAR(m.WorldYMax(), 190 + 75, 1e-9);
}

TEST(CanvasInput, RightDragMeasures)
{
    InputFixture f;
    QTest::mousePress(f.canvas.get(), Qt::RightButton, {}, {100, 200});  // world (100, 100)
    EXPECT_TRUE(f.canvas->Measure().Measuring);
    QTest::mouseMove(f.canvas.get(), {130, 160});  // world (130, 140)
    EXPECT_NEAR(f.canvas->Measure().Distance, 50, 1e-9);
    EXPECT_NEAR(f.canvas->Measure().Bearing, 36.8699, 1e-4) << "clockwise from grid north";
    QTest::mouseMove(f.canvas.get(), {70, 200});
    EXPECT_NEAR(f.canvas->Measure().Bearing, 270, 1e-9);
    QTest::mouseRelease(f.canvas.get(), Qt::RightButton, {}, {70, 200});
    EXPECT_FALSE(f.canvas->Measure().Measuring);

    f.canvas->SetRightClickMeasure(false);
    QTest::mousePress(f.canvas.get(), Qt::RightButton, {}, {100, 200});
    EXPECT_FALSE(f.canvas->Measure().Measuring);
}

TEST(CanvasInput, EventsInOrderAndCursorReadoutWithoutRebuild)
{
    InputFixture f;
    std::vector<std::string> order;
    auto* c = f.canvas.get();
    QObject::connect(c, &TVeldorCanvas::OnMouseDown, [&](TVeldorCanvas*, int b, int, int, int) { order.push_back("raw down " + std::to_string(b)); });
    QObject::connect(c, &TVeldorCanvas::OnWorldMouseDown, [&](TVeldorCanvas*, int b, int shift, int tool, double x, double y) {
        order.push_back("world down " + std::to_string(b) + " shift " + std::to_string(shift) + " tool " + std::to_string(tool) +
                        " at " + std::to_string(int(x)) + "," + std::to_string(int(y)));
    });
    double mx = 0, my = 0, magnitude = 0, angle = 0;
    QObject::connect(c, &TVeldorCanvas::OnWorldMouseMove, [&](TVeldorCanvas*, int, double x, double y, double m, double a) {
        mx = x, my = y, magnitude = m, angle = a;
    });
    f.canvas->SetTool(toolcode::None);
    QTest::mouseClick(c, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier, {100, 200});
    EXPECT_EQ(order, (std::vector<std::string>{"raw down 1", "world down 1 shift 3 tool -2 at 100,100"}));

    test::frameOf(*c);
    const int rebuilds = c->RebuildCount();
    f.move({103, 196});  // world (103, 104)
    EXPECT_DOUBLE_EQ(mx, 103);
    EXPECT_DOUBLE_EQ(my, 104);
    EXPECT_DOUBLE_EQ(magnitude, 5);
    EXPECT_NEAR(angle, 53.1301, 1e-4) << "counter-clockwise from grid east";
    test::frameOf(*c);
    EXPECT_EQ(c->RebuildCount(), rebuilds) << "a read-out move does not rebuild the back buffer";
}

TEST(CanvasInput, RubberBandFollowsTheMouseInverted)
{
    InputFixture f;
    f.canvas->SetTool(toolcode::Polyline);
    f.left({100, 100});
    f.left({200, 100});
    f.move({200, 200});
    QImage img = test::frameOf(*f.canvas);
    // Inverted over white: black, also at the joint, which one stroke inverts only once.
    EXPECT_TRUE(test::sameColour(img.pixel(150, 100), clBlack));
    EXPECT_TRUE(test::sameColour(img.pixel(200, 100), clBlack));
    EXPECT_TRUE(test::sameColour(img.pixel(200, 150), clBlack));
    EXPECT_TRUE(test::sameColour(f.canvas->BackBuffer().pixel(150, 100), clWhite)) << "not in the back buffer";
    f.key(Qt::Key_Escape);
    img = test::frameOf(*f.canvas);
    EXPECT_TRUE(test::sameColour(img.pixel(150, 100), clWhite));
}

TEST(CanvasInput, InputFollowsTheRotatedMap)
{
    InputFixture f;
    CanvasModel& m = f.model();
    m.SetRotation(90);
    // Turned 90 degrees about the centre (200, 150): world east of the centre shows above it.
    double x, y;
    f.canvas->ScreenToWorld(200, 100, x, y);
    EXPECT_NEAR(x, 250, 1e-9);
    EXPECT_NEAR(y, 150, 1e-9);
    f.canvas->SetTool(toolcode::Point);
    f.left({200, 100});
    double px, py;
    ASSERT_TRUE(m.GetPoint(m.GetShapeIds().back(), px, py));
    EXPECT_NEAR(px, 250, 1e-9) << "the point lands where it was clicked";
    EXPECT_NEAR(py, 150, 1e-9);
}

// A key held down repeats its press; its release is raised once, when it really goes up, with
// the shift state of that moment.
TEST(CanvasInput, KeyDownAndKeyUpEvents)
{
    InputFixture f;
    std::vector<std::string> keys;
    QObject::connect(f.canvas.get(), &TVeldorCanvas::OnKeyDown, [&](TVeldorCanvas*, int key, int shift) {
        keys.push_back("down " + std::to_string(key) + " " + std::to_string(shift));
    });
    QObject::connect(f.canvas.get(), &TVeldorCanvas::OnKeyUp, [&](TVeldorCanvas*, int key, int shift) {
        keys.push_back("up " + std::to_string(key) + " " + std::to_string(shift));
    });
    QTest::keyPress(f.canvas.get(), Qt::Key_A);
    // The repeat of a held key: a release and a press, both marked as repeats.
    QKeyEvent repeatUp(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(f.canvas.get(), &repeatUp);
    QKeyEvent repeatDown(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(f.canvas.get(), &repeatDown);
    QTest::keyRelease(f.canvas.get(), Qt::Key_A);
    QKeyEvent ctrlZUp(QEvent::KeyRelease, Qt::Key_Z, Qt::ControlModifier);
    QCoreApplication::sendEvent(f.canvas.get(), &ctrlZUp);
    const std::string a = std::to_string(int(Qt::Key_A)), z = std::to_string(int(Qt::Key_Z));
    EXPECT_EQ(keys, (std::vector<std::string>{"down " + a + " 0", "down " + a + " 0", "up " + a + " 0",
                                              "up " + z + " 2"}));
}

} // namespace
} // namespace vsx
