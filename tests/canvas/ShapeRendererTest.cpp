// Drawing a model's shapes: layer filter, thinning, text cells, contrast, the cap and culling
// of a rotated view.
#include "canvas/ShapeRenderer.h"

#include "support/RecordingPainter.h"

#include <gtest/gtest.h>

namespace vsx {
namespace {

using test::RecordingPainter;

// 400 x 300 pixels over 1000 x 750 m: 2.5 m per pixel.
CanvasModel& fresh(CanvasModel& m)
{
    m.Resize(400, 300);
    m.SetWorldWindow(0, 750, 1000, 0);
    return m;
}

std::size_t drawnCount(const CanvasModel& m, RecordingPainter* out = nullptr)
{
    RecordingPainter p;
    ShapeRenderer r;
    const ShapeRenderResult res = r.DrawShapes(m, p);
    if (out) *out = p;
    return res.Drawn;
}

TEST(ShapeRenderer, ThinningRules)
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
        {"outside the window", [](CanvasModel& m) { m.AddLine(2000, 0, 3000, 0, 0); }, 0},
        {"hidden layer, whatever the shape says",
         [](CanvasModel& m) { const int l = m.AddLayer("h"); m.AddLine(0, 0, 100, 100, l); m.SetLayerVisible(l, false); }, 0},
        {"invisible shape", [](CanvasModel& m) { m.ShapeForUpdate(m.AddLine(0, 0, 100, 100, 0))->Visible = false; }, 0},
    };
    for (const Case& c : cases) {
        CanvasModel m;
        fresh(m);
        c.build(m);
        EXPECT_EQ(drawnCount(m), c.drawn) << c.what;
    }
}

TEST(ShapeRenderer, PensInContrastColours)
{
    CanvasModel m;
    fresh(m);
    const int white = m.AddLine(0, 0, 100, 100, 0);
    m.SetShapeColor(white, clWhite);
    const int black = m.AddLine(0, 100, 100, 0, 0);
    RecordingPainter p;
    drawnCount(m, &p);
    ASSERT_EQ(p.Calls.size(), 4u);
    EXPECT_EQ(p.Calls[1].PenColor, clBlack) << "white on white draws black";
    EXPECT_EQ(p.Calls[3].PenColor, clBlack);

    m.SetBackgroundColor(clBlack);
    drawnCount(m, &p);
    EXPECT_EQ(p.Calls[3].PenColor, clWhite) << "black on black draws white";
    EXPECT_EQ(m.GetShapeColor(black), clBlack) << "the shape keeps its own colour";
}

TEST(ShapeRenderer, CapLeavesOutTheOldestNeverTheNewest)
{
    CanvasModel m;
    fresh(m);
    for (int i = 0; i < 20; ++i) m.AddLine(i, 0, i + 10, 100, 0);
    const int vessel = m.AddCircle(500, 400, 20, 0);
    RecordingPainter p;
    ShapeRenderer r;
    r.Cap = 10;
    const ShapeRenderResult res = r.DrawShapes(m, p);
    EXPECT_EQ(res.Drawn, 10u);
    EXPECT_EQ(res.LeftOut, 11u);
    EXPECT_EQ(p.Calls.back().Op, "Ellipse") << "the topmost shape (vessel " << vessel << ") is drawn last";
    EXPECT_EQ(p.Calls[0].Args, (std::vector<int>{4, 300})) << "the oldest left out: line 11 starts at x = 11 m";
}

TEST(ShapeRenderer, RotatedViewCullsByTheWholeScreen)
{
    CanvasModel m;
    fresh(m);
    double x0, y0, x1, y1;
    ShapeRenderer::VisibleWorldBox(m, x0, y0, x1, y1);
    EXPECT_EQ(x1, 1000);
    EXPECT_EQ(y1, 750);

    // Turned about a point near the right edge, the screen shows world beyond the window's
    // right edge; a line there must be drawn.
    m.SetRotation(90);
    m.SetRotationCenter(900, 375);
    m.AddLine(1140, 375, 1160, 375, 0);
    EXPECT_EQ(drawnCount(m), 1u);
    ShapeRenderer::VisibleWorldBox(m, x0, y0, x1, y1);
    EXPECT_NEAR(x1, 900 + 150 * 2.5, 1e-9);
    EXPECT_NEAR(x0, 900 - 150 * 2.5, 1e-9);
}

} // namespace
} // namespace vsx
