// The back buffer's shape step: layer filter, thinning, text cells, contrast pens on every
// drawing path, the budget that leaves out the oldest shapes, and culling of a rotated view.
#include "CanvasWidgetTestSupport.h"

#include "canvas/CanvasRenderer.h"

#include <gtest/gtest.h>

#include <functional>

namespace vsx {
namespace {

using test::countPixels;

// 400 x 300 pixels over 1000 x 750 m: 2.5 m per pixel, world (x, y) at pixel (x / 2.5, 300 - y / 2.5).
CanvasModel& fresh(CanvasModel& m)
{
    m.Resize(400, 300);
    m.SetWorldWindow(0, 750, 1000, 0);
    return m;
}

struct Rendered {
    QImage Image;
    std::size_t Drawn = 0, LeftOut = 0;
};

Rendered render(CanvasModel& m, std::size_t budget = CanvasRenderer::MaxShapesPerRebuild)
{
    CanvasRenderer r;
    r.SetShapeBudget(budget);
    Rendered out;
    r.Rebuild(out.Image, m, CanvasGrid{});
    out.Drawn = r.LastDrawnCount();
    out.LeftOut = r.LastLeftOutCount();
    return out;
}

TEST(CanvasRenderer, ThinningRules)
{
    struct Case {
        const char* what;
        std::function<void(CanvasModel&)> build;
        std::size_t drawn;
    } cases[] = {
        {"a thousand points in one place draw one",
         [](CanvasModel& m) { for (int i = 0; i < 1000; ++i) m.AddPoint(500, 400, 0); }, 1},
        {"points 3 pixels apart all draw",
         [](CanvasModel& m) { for (int i = 0; i < 10; ++i) m.AddPoint(100 + 7.5 * i, 400, 0); }, 10},
        {"ten texts in one cell show the first",
         [](CanvasModel& m) { for (int i = 0; i < 10; ++i) m.AddText(0, "t", 100 + i, 400, 0); }, 1},
        {"texts in different cells all show",
         [](CanvasModel& m) { for (int i = 0; i < 5; ++i) m.AddText(0, "t", 10 + 160 * i, 400, 0); }, 5},
        {"a line shorter than half a pixel still draws", [](CanvasModel& m) { m.AddLine(500, 400, 500.5, 400, 0); }, 1},
        {"a circle smaller than half a pixel does not", [](CanvasModel& m) { m.AddCircle(500, 400, 0.5, 0); }, 0},
        {"a rectangle smaller than half a pixel still draws", [](CanvasModel& m) { m.AddRectangle(500, 400, 500.5, 400.5, 0); }, 1},
        {"outside the window", [](CanvasModel& m) { m.AddLine(2000, 0, 3000, 0, 0); }, 0},
        {"hidden layer, whatever the shape says",
         [](CanvasModel& m) { const int l = m.AddLayer("h"); m.AddLine(0, 0, 100, 100, l); m.SetLayerVisible(l, false); }, 0},
        {"invisible shape", [](CanvasModel& m) { m.ShapeForUpdate(m.AddLine(0, 0, 100, 100, 0))->Visible = false; }, 0},
    };
    for (const Case& c : cases) {
        CanvasModel m;
        fresh(m);
        c.build(m);
        EXPECT_EQ(render(m).Drawn, c.drawn) << c.what;
    }
}

TEST(CanvasRenderer, EveryDrawingPathUsesTheContrastPen)
{
    CanvasModel m;
    fresh(m);
    struct Part {
        const char* what;
        int id;
        QRect area;  // pixels only this shape reaches
    } parts[] = {
        {"a track segment (batched)", m.AddLine(750, 100, 750, 700, 0), QRect(295, 0, 10, 140)},
        {"a segment reaching far outside (clipped)", m.AddLine(-1e7, 375, 1e7, 375, 0), QRect(0, 145, 250, 10)},
        {"a circle", m.AddCircle(250, 200, 50, 0), QRect(70, 190, 60, 60)},
        {"a text", m.AddText(0, "WWW", 500, 600, 0), QRect(190, 50, 100, 50)},
    };
    for (const Part& p : parts) m.SetShapeColor(p.id, clWhite);
    Rendered r = render(m);
    for (const Part& p : parts) EXPECT_GT(countPixels(r.Image, clBlack, p.area), 0) << p.what << ": white on white draws black";

    for (const Part& p : parts) m.SetShapeColor(p.id, clBlack);
    m.SetBackgroundColor(clBlack);
    r = render(m);
    for (const Part& p : parts) {
        EXPECT_GT(countPixels(r.Image, clWhite, p.area), 0) << p.what << ": black on black draws white";
        EXPECT_EQ(m.GetShapeColor(p.id), clBlack) << p.what << ": the shape keeps its own colour";
    }
}

TEST(CanvasRenderer, BudgetLeavesOutTheOldestNeverTheNewest)
{
    CanvasModel m;
    fresh(m);
    for (int i = 0; i < 20; ++i) m.AddLine(25 + 25 * i, 100, 25 + 25 * i, 200, 0);  // pixel column 10 + 10 i
    const int vessel = m.AddCircle(800, 500, 25, 0);
    m.SetShapeColor(vessel, clRed);
    const Rendered r = render(m, 10);
    EXPECT_EQ(r.Drawn, 10u);
    EXPECT_EQ(r.LeftOut, 11u);
    EXPECT_GT(countPixels(r.Image, clRed), 0) << "the topmost shape, the vessel, is drawn";
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(countPixels(r.Image, clBlack, QRect(9 + 10 * i, 0, 3, 300)) > 0, i >= 11) << "line " << i;

    EXPECT_EQ(render(m).LeftOut, 0u) << "within the default budget";
}

TEST(CanvasRenderer, RotatedViewCullsByTheWholeScreen)
{
    CanvasModel m;
    fresh(m);
    WorldBox box = CanvasViewMapping(m).VisibleBox();
    EXPECT_EQ(box.XMin, 0);
    EXPECT_EQ(box.YMin, 0);
    EXPECT_EQ(box.XMax, 1000);
    EXPECT_EQ(box.YMax, 750);

    // Turned about a point near the right edge, the screen shows world beyond the window's
    // right edge; a line there must be drawn.
    m.SetRotation(90);
    m.SetRotationCenter(900, 375);
    m.AddLine(1140, 375, 1160, 375, 0);
    const Rendered r = render(m);
    EXPECT_EQ(r.Drawn, 1u);
    EXPECT_GT(countPixels(r.Image, clBlack, QRect(355, 40, 10, 20)), 0) << "96-104 px east of the centre, drawn above it";
    box = CanvasViewMapping(m).VisibleBox();
    EXPECT_NEAR(box.XMax, 900 + 150 * 2.5, 1e-9);
    EXPECT_NEAR(box.XMin, 900 - 150 * 2.5, 1e-9);
}

} // namespace
} // namespace vsx
