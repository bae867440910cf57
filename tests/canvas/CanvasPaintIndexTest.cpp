// The back buffer against a plain shape-by-shape drawing of the same model: the culling index,
// its updates after edits and the stroked segment runs must not change a pixel.
#include "CanvasWidgetTestSupport.h"

#include "canvas/CanvasCullIndex.h"
#include "canvas/QtGdiPainter.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <set>

namespace vsx {
namespace {

using test::makeCanvas;

// Every visible shape on a shown layer drawn one by one with its own Draw, bottom to top, with
// no culling at all. (The drawing below holds nothing that the renderer's thinning leaves out.)
QImage plainDrawing(const CanvasModel& m)
{
    QImage img(m.ViewWidth(), m.ViewHeight(), QImage::Format_RGB32);
    img.fill(toQColor(m.BackgroundColor()));
    QPainter qp(&img);
    QtGdiPainter p(qp);
    const CanvasViewMapping mapping(m);
    if (mapping.Rotated()) SetPainterTransform(p, mapping.DeviceToScreen());
    std::set<int> shown;
    for (const CanvasLayer* l : m.Layers())
        if (l->Visible) shown.insert(l->Id);
    const ShapeView view = m.View();
    for (const TVShape* s : m.Shapes())
        if (s->Visible && shown.count(s->LayerId)) s->Draw(p, view, DrawStyle{m.ContrastColor(s->PenColor), m.LightBackground()});
    return img;
}

// Compares two pictures of the same drawing. One-pixel segments stroked in a batch differ from
// single strokes by the odd end pixel at a joint, so a drawn pixel counts as matched when the
// other picture has its colour within one pixel; a shape or a piece of track left out or added
// leaves unmatched pixels by the dozen. (An end pixel next to a later shape that covers the rest
// of its segment can stand alone; a few such are allowed.)
struct Comparison {
    int unmatched = 0;  // pixels with no same-coloured pixel nearby in the other picture
    int differing = 0;
    int drawn = 0;      // non-background pixels of the first picture
};

Comparison compare(const QImage& a, const QImage& b, QRgb background)
{
    Comparison c;
    auto near = [](const QImage& img, int x, int y, QRgb v) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (img.rect().contains(x + dx, y + dy) && (img.pixel(x + dx, y + dy) & 0xFFFFFF) == v) return true;
        return false;
    };
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb pa = a.pixel(x, y) & 0xFFFFFF, pb = b.pixel(x, y) & 0xFFFFFF;
            if (pa != (background & 0xFFFFFF)) ++c.drawn;
            if (pa == pb) continue;
            ++c.differing;
            const QRgb bg = background & 0xFFFFFF;
            if ((pa != bg && !near(b, x, y, pa)) || (pb != bg && !near(a, x, y, pb))) ++c.unmatched;
        }
    return c;
}

// A wandering 1-pixel track of a few thousand segments, some lines and points, a hidden layer.
struct Drawing {
    std::unique_ptr<TVeldorCanvas> canvas = makeCanvas(400, 300, 0, 0, 1000, 750);
    int track = 0, marks = 0, hidden = 0;

    Drawing()
    {
        CanvasModel& m = canvas->Model();
        track = m.AddLayer("track_fix");
        m.SetLayerColor(track, clGreen);
        marks = m.AddLayer("marks");
        m.SetLayerColor(marks, clBlue);
        m.SetLayerWidth(marks, 2);
        hidden = m.AddLayer("hidden");
        m.SetLayerColor(hidden, clRed);
        double x = 100.3, y = 100.7;
        unsigned r = 7;
        for (int i = 0; i < 4000; ++i) {
            r = r * 1103515245u + 12345u;
            const double nx = x + ((r >> 8) % 1000) / 100.0 - 4.5, ny = y + ((r >> 18) % 1000) / 250.0 - 1.9;
            m.AddLine(x, y, nx, ny, i % 500 == 7 ? hidden : track);
            x = nx, y = ny;
            if (i % 97 == 0) m.AddPoint(x + 3.3, 650.1 + (i % 3) * 20, marks);  // clear of the track
        }
        m.AddCircle(500, 400, 30, marks);
        m.AddRectangle(600, 100, 700, 180, marks);
        m.SetLayerVisible(hidden, false);
    }

    void expectSameAsPlain(const char* what)
    {
        canvas->Redraw();
        test::frameOf(*canvas);
        const Comparison c = compare(canvas->BackBuffer(), plainDrawing(canvas->Model()), qRgb(255, 255, 255));
        EXPECT_LE(c.unmatched, 3) << what;
        EXPECT_LE(c.differing, c.drawn / 10) << what;
        EXPECT_GT(c.drawn, 0) << what;
    }
};

TEST(CanvasPaintIndex, BackBufferMatchesShapeByShapeDrawing)
{
    Drawing d;
    CanvasModel& m = d.canvas->Model();
    d.expectSameAsPlain("whole drawing");
    m.SetWorldWindow(300, 450, 500, 300);
    d.expectSameAsPlain("zoomed in");
    m.SetRotation(30);
    m.SetRotationCenter(350, 320);
    d.expectSameAsPlain("turned about an off-centre point");
}

TEST(CanvasPaintIndex, FollowsEveryKindOfEdit)
{
    Drawing d;
    CanvasModel& m = d.canvas->Model();
    m.SetWorldWindow(0, 375, 500, 0);
    d.expectSameAsPlain("before the edits");
    // Filler far away on both sides puts the next shapes in runs of their own, out of view.
    auto filler = [&] { for (int i = 0; i < 300; ++i) m.AddLine(9000, 9000 + i, 9001, 9000 + i, d.marks); };
    filler();
    const int far = m.AddLine(5000, 5000, 5100, 5050, d.marks);
    const int dot = m.AddPoint(6000, 6000, d.marks);
    const int poly = m.AddPolyline({{7000, 7000}, {7100, 7100}, {7200, 7000}}, d.marks, 0);
    filler();
    test::frameOf(*d.canvas);  // indexed far away

    struct Edit {
        const char* what;
        std::function<void()> apply;
    } edits[] = {
        {"a far line moved into view", [&] { m.MoveShape(far, -4900, -4900); }},
        {"a point changed through ShapeForUpdate",
         [&] {
             auto* p = static_cast<TVPoint*>(m.ShapeForUpdate(dot));
             p->X = 250, p->Y = 250;
             p->UpdateBounds();
         }},
        {"a vertex moved into view", [&] { m.SetShapeVertex(poly, 1, 200, 300); }},
        {"a vertex inserted", [&] { m.InsertVertex(poly, 0, 100, 200); }},
        {"the lowest shape brought to the top", [&] { m.BringToFront(m.GetShapeIds().front()); }},
        {"a layer deleted and shapes appended",
         [&] {
             m.DeleteLayerShapes(d.track);
             for (int i = 0; i < 600; ++i) m.AddLine(10 + i * 0.5, 20, 10 + i * 0.5, 200, d.track);
         }},
        {"a shape deleted in the middle", [&] { m.DeleteShape(m.GetShapeIds()[300]); }},
        {"everything deleted and drawn anew",
         [&] {
             m.DeleteLayerShapes(-1);
             m.AddLine(0, 0, 400, 300, d.track);
         }},
    };
    for (const Edit& e : edits) {
        e.apply();
        d.expectSameAsPlain(e.what);
    }
}

TEST(CanvasPaintIndex, BudgetKeepsTheNewestShapes)
{
    CanvasModel m;
    for (int i = 0; i < 300; ++i) m.AddLine(5000 + i, 5000, 5001 + i, 5001, 0);  // out of view
    for (int i = 0; i < 1000; ++i) m.AddLine(i * 0.5, 10, i * 0.5, 20, 0);
    CanvasCullIndex index;
    index.Update(m);
    const WorldBox view{0, 0, 1000, 1000};
    EXPECT_EQ(index.CountOverlapping(view, 0), 1300u - 256u) << "the first run lies outside";
    EXPECT_EQ(index.StartWithinBudget(view, 2000), 0u);
    EXPECT_EQ(index.StartWithinBudget(view, 300), 1000u) << "only the newest 300 are looked at";
    std::size_t looked = 0, lowest = SIZE_MAX;
    index.ForEachOverlapping(view, index.StartWithinBudget(view, 300), [&](std::size_t a, std::size_t b) {
        looked += b - a;
        lowest = std::min(lowest, a);
    });
    EXPECT_EQ(looked, 300u);
    EXPECT_EQ(lowest, 1000u);
}

} // namespace
} // namespace vsx
