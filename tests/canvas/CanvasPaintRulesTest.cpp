// The map's back buffer as pixels: rotation, point styles, culling under rotation, contrast,
// the grid and when the buffer is rebuilt.
#include "CanvasWidgetTestSupport.h"

#include "canvas/CanvasGrid.h"

#include <gtest/gtest.h>

namespace vsx {
namespace {

using test::boundsOf;
using test::countPixels;
using test::frameOf;
using test::makeCanvas;

// 400 x 300 pixels over 400 x 300 m: one metre per pixel, world (x, y) at pixel (x, 300 - y).
std::unique_ptr<TVeldorCanvas> metreCanvas() { return makeCanvas(400, 300, 0, 0, 400, 300); }

int redLayer(CanvasModel& m, int width)
{
    const int l = m.AddLayer("red");
    m.SetLayerColor(l, clRed);
    m.SetLayerWidth(l, width);
    return l;
}

TEST(CanvasPaint, RotationTurnsThePictureCounterClockwiseAboutTheCentre)
{
    // A point 50 m east of the control centre (200, 150).
    struct Case {
        double degrees;
        QPoint at;
    } cases[] = {{0, {250, 150}}, {90, {200, 100}}, {180, {150, 150}}, {270, {200, 200}}, {-90, {200, 200}}};
    for (const Case& c : cases) {
        auto canvas = metreCanvas();
        CanvasModel& m = canvas->Model();
        m.AddPoint(250, 150, redLayer(m, 3));
        m.SetRotation(c.degrees);
        const QRect r = boundsOf(frameOf(*canvas), clRed);
        ASSERT_FALSE(r.isNull()) << c.degrees;
        EXPECT_NEAR(r.center().x(), c.at.x(), 1) << c.degrees;
        EXPECT_NEAR(r.center().y(), c.at.y(), 1) << c.degrees;
    }
}

TEST(CanvasPaint, RotationAboutTheRotationCentre)
{
    auto canvas = metreCanvas();
    CanvasModel& m = canvas->Model();
    m.AddPoint(110, 200, redLayer(m, 3));
    m.SetRotationCenter(100, 200);  // pixel (100, 100)
    m.SetRotation(90);
    const QRect r = boundsOf(frameOf(*canvas), clRed);
    EXPECT_NEAR(r.center().x(), 100, 1);
    EXPECT_NEAR(r.center().y(), 90, 1) << "10 m east of the centre is drawn 10 px above it";
}

TEST(CanvasPaint, PointStylesAsPixels)
{
    struct Case {
        int style;
        int side;    // width and height of the mark in pixels
        int pixels;  // pixels set
    } cases[] = {{0, 1, 1}, {1, 2, 4}, {2, 3, 9}, {3, 5, 25}};
    for (const Case& c : cases) {
        auto canvas = metreCanvas();
        CanvasModel& m = canvas->Model();
        m.AddPoint(200, 150, redLayer(m, c.style));
        const QImage img = frameOf(*canvas);
        const QRect r = boundsOf(img, clRed);
        EXPECT_EQ(r.width(), c.side) << "style " << c.style;
        EXPECT_EQ(r.height(), c.side) << "style " << c.style;
        EXPECT_EQ(countPixels(img, clRed), c.pixels) << "style " << c.style;
    }
    // Style 5 and above: a round mark, fewer pixels than its box.
    auto canvas = metreCanvas();
    CanvasModel& m = canvas->Model();
    m.AddPoint(200, 150, redLayer(m, 7));
    const QImage img = frameOf(*canvas);
    const QRect r = boundsOf(img, clRed);
    EXPECT_GE(r.width(), 7);
    EXPECT_LT(countPixels(img, clRed), r.width() * r.height());
}

TEST(CanvasPaint, DensePointsAreThinnedToOnePerThreePixels)
{
    auto canvas = metreCanvas();
    CanvasModel& m = canvas->Model();
    const int l = redLayer(m, 0);  // one pixel each
    for (int i = 0; i < 1000; ++i) m.AddPoint(100, 100, l);
    for (int i = 0; i < 30; ++i) m.AddPoint(10 + i, 250, l);      // one pixel apart
    for (int i = 0; i < 30; ++i) m.AddPoint(10 + 3 * i, 50, l);   // three pixels apart
    const QImage img = frameOf(*canvas);
    EXPECT_EQ(countPixels(img, clRed, QRect(90, 190, 20, 20)), 1);
    EXPECT_EQ(countPixels(img, clRed, QRect(0, 40, 400, 20)), 10) << "every third of the close points";
    EXPECT_EQ(countPixels(img, clRed, QRect(0, 240, 400, 20)), 30) << "points 3 px apart all drawn";
}

TEST(CanvasPaint, OffCentreRotationDoesNotBlankTheScreen)
{
    // Turned half round about a point near the bottom-right corner, the top-left of the screen
    // shows world far outside the square around the window centre that the old rule culled to.
    auto canvas = metreCanvas();
    CanvasModel& m = canvas->Model();
    m.SetRotationCenter(380, 20);
    m.SetRotation(180);
    double wx, wy;
    canvas->ScreenToWorld(20, 20, wx, wy);
    const double half = std::hypot(400.0, 300.0) / 2;
    ASSERT_TRUE(std::abs(wx - 200) > half || std::abs(wy - 150) > half) << "outside the old culling square";

    const int l = redLayer(m, 1);
    m.SetLayerBrushColor(l, clRed);
    m.SetLayerBrushStyle(l, 0);
    m.AddRectangle(wx - 5, wy - 5, wx + 5, wy + 5, l);
    const int t = m.AddLayer("text");
    m.SetLayerColor(t, clBlue);
    m.AddText(t, "WWWW", wx - 100, wy + 60, 0);  // at pixel (120, 80), beyond the old square too
    const QImage img = frameOf(*canvas);
    EXPECT_TRUE(test::sameColour(img.pixel(20, 20), clRed));
    EXPECT_GT(countPixels(img, clBlue), 0) << "the text pass culls by the same box";
}

TEST(CanvasPaint, PensContrastWithTheBackground)
{
    auto canvas = metreCanvas();
    CanvasModel& m = canvas->Model();
    const int l = m.AddLayer("lines");
    m.SetLayerColor(l, clWhite);
    m.AddLine(10, 150, 390, 150, l);
    EXPECT_EQ(countPixels(frameOf(*canvas), clBlack, QRect(0, 140, 400, 20)), 380) << "white on white is drawn black";

    m.SetLayerColor(l, clBlack);
    m.SetBackgroundColor(clBlack);
    EXPECT_EQ(countPixels(frameOf(*canvas), clWhite, QRect(0, 140, 400, 20)), 380) << "black on black is drawn white";
}

// A layer that keeps its colour (a track in the colour the user chose) is drawn in it also where
// the contrast rule would darken or lighten it, but never in the background's own colour.
TEST(CanvasPaint, ALayerThatKeepsItsColourIsDrawnInItUnlessItWouldVanish)
{
    auto canvas = metreCanvas();
    CanvasModel& m = canvas->Model();
    const int kept = m.AddLayer("track_float"), other = m.AddLayer("lines");
    m.SetLayerKeepsColor(kept, true);
    m.AddLine(10, 150, 390, 150, kept);
    m.AddLine(10, 100, 390, 100, other);
    m.AddText(kept, "WWWW", 100, 250, 0);
    const QRect keptRow(0, 140, 400, 20), otherRow(0, 190, 400, 20), text(90, 30, 150, 40);
    const struct {
        ColorValue background, pen, keptDrawn, otherDrawn;
    } cases[] = {
        {clWhite, clYellow, clYellow, clBlack},  // both light
        {clBlack, clNavy, clNavy, clWhite},      // both dark
        {clWhite, 0xF0F0F0, clBlack, clBlack},   // too close to the background to be seen
        {clRed, clRed, clWhite, clWhite},        // the alarm's background, a no-fix track
        {clWhite, clGreen, clGreen, clGreen},
    };
    for (const auto& c : cases) {
        m.SetBackgroundColor(c.background);
        m.SetLayerColor(kept, c.pen);
        m.SetLayerColor(other, c.pen);
        const QImage img = frameOf(*canvas);
        EXPECT_EQ(countPixels(img, c.keptDrawn, keptRow), 380) << std::hex << c.background << " " << c.pen;
        EXPECT_EQ(countPixels(img, c.otherDrawn, otherRow), 380) << std::hex << c.background << " " << c.pen;
        EXPECT_GT(countPixels(img, c.keptDrawn, text), 0) << "the layer's texts too";
    }
    EXPECT_FALSE(m.GetLayerKeepsColor(other));
}

TEST(CanvasPaint, GridSpacing)
{
    struct Case {
        const char* what;
        CanvasGrid grid;
        double width;
        double step;
    } cases[] = {
        {"1000 m wide: quarter 250 gives 200", {true, true}, 1000, 200},
        {"4000 m wide gives 1000", {true, true}, 4000, 1000},
        {"20 m wide gives 5", {true, true}, 20, 5},
        {"30 m wide: 7.5 is not below 7.5, 10", {true, true}, 30, 10},
        {"fixed spacing", {true, false, 50, 50}, 1000, 50},
        {"fixed spacing 0 chooses itself", {true, false, 0, 0}, 1000, 200},
        {"a tiny typed step is widened to at most 500 lines", {true, false, 0.01, 0.01}, 1000, 2},
        {"a tiny step on a huge view", {true, false, 0.001, 0.001}, 1e6, 2000},
    };
    for (const Case& c : cases) {
        const GridSpacing s = ChooseGridSpacing(c.grid, c.width, c.width, c.width);
        EXPECT_DOUBLE_EQ(s.X, c.step) << c.what;
        EXPECT_DOUBLE_EQ(s.Y, c.step) << c.what;
        EXPECT_LE(c.width / s.X, MaxGridLines) << c.what;
    }
}

TEST(CanvasPaint, GridLabels)
{
    struct Case {
        double value, step;
        const char* text;
    } cases[] = {{200, 200, "200"},       {12.5, 2.5, "12.5"},      {12.25, 1, "12.3"},
                 {0.125, 0.025, "0.125"}, {1.05, 0.05, "1.05"},     {-0.0001, 0.5, "0"},
                 {-250, 50, "-250"},      {4512345.6, 100, "4512345.6"}};
    for (const Case& c : cases) EXPECT_EQ(GridLabel(c.value, c.step), c.text) << c.value;
}

TEST(CanvasPaint, GridUnderOrOverTheShapesAndATinyStepStillPaints)
{
    auto canvas = metreCanvas();
    CanvasModel& m = canvas->Model();
    const int l = m.AddLayer("block");
    m.SetLayerColor(l, clBlack);
    m.SetLayerBrushColor(l, clBlack);
    m.SetLayerBrushStyle(l, 0);
    m.AddRectangle(0, 0, 400, 300, l);
    CanvasGrid grid;
    grid.Shown = true;
    grid.LineColor = clRed;
    canvas->SetGrid(grid);
    const QRect inner(60, 60, 280, 180);  // away from the labels
    EXPECT_EQ(countPixels(frameOf(*canvas), clRed, inner), 0) << "under the filled block";
    grid.OnTop = 1;
    canvas->SetGrid(grid);
    EXPECT_GT(countPixels(frameOf(*canvas), clRed, inner), 0) << "over it";

    // 0.001 m on a 100 km view would be 10^8 lines; the spacing is widened instead.
    grid.AutoSpacing = false;
    grid.StepX = grid.StepY = 0.001;
    canvas->SetGrid(grid);
    m.SetWorldWindow(0, 75000, 100000, 0);
    const QImage img = frameOf(*canvas);
    EXPECT_GT(countPixels(img, clRed, inner), 0);
}

TEST(CanvasPaint, OnlyDrawingChangesRebuildTheBackBuffer)
{
    auto canvas = metreCanvas();
    CanvasModel& m = canvas->Model();
    const int l = m.AddLayer("track");
    m.AddLine(0, 0, 100, 100, l);
    frameOf(*canvas);
    const int start = canvas->RebuildCount();

    canvas->SetHudValue(4.5, true);
    canvas->SetDepthHud(12.3, 0, true);
    canvas->CycleSpeedHudPosition();
    canvas->AddSounding(50, 50, 7.5);
    canvas->StartMeasure(10, 10);
    canvas->UpdateMeasureEnd(50, 40, 50, 36.9);
    canvas->Settings().HudStatusText = "E 100 N 200";
    frameOf(*canvas);
    EXPECT_EQ(canvas->RebuildCount(), start) << "overlays only repaint";
    canvas->EndMeasure();

    struct Change {
        const char* what;
        std::function<void()> apply;
    } changes[] = {
        {"layer colour", [&] { m.SetLayerColor(l, clBlue); }},
        {"a new shape", [&] { m.AddPoint(5, 5, l); }},
        {"the view", [&] { m.Pan(10, 0); }},
        {"the grid", [&] { canvas->SetGridShown(true); }},
        {"the size", [&] { canvas->resize(300, 200); }},
        {"Redraw", [&] { canvas->Redraw(); }},
    };
    for (const Change& c : changes) {
        const int before = canvas->RebuildCount();
        c.apply();
        frameOf(*canvas);
        EXPECT_EQ(canvas->RebuildCount(), before + 1) << c.what;
        frameOf(*canvas);
        EXPECT_EQ(canvas->RebuildCount(), before + 1) << c.what << ": once only";
    }
}

} // namespace
} // namespace vsx
