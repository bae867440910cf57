// Shape classes: hit tests, bounding boxes, transforms and the drawing calls per class.
#include "canvas/Shapes.h"

#include "support/RecordingPainter.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace vsx {
namespace {

using test::RecordingPainter;

std::unique_ptr<TVPolyline> polyline(std::int32_t type, std::initializer_list<WorldPoint> pts)
{
    auto p = std::make_unique<TVPolyline>(type, 0);
    for (const WorldPoint& v : pts) p->AddVertex(v.X, v.Y);
    return p;
}

struct Box {
    double minX, minY, maxX, maxY;
};

void expectBox(const TVShape& s, Box b, const std::string& what)
{
    EXPECT_DOUBLE_EQ(s.MinX, b.minX) << what;
    EXPECT_DOUBLE_EQ(s.MinY, b.minY) << what;
    EXPECT_DOUBLE_EQ(s.MaxX, b.maxX) << what;
    EXPECT_DOUBLE_EQ(s.MaxY, b.maxY) << what;
}

TEST(Shapes, TypeCodesOfTheClasses)
{
    EXPECT_EQ(TVPoint(0, 0, 0).ShapeType, 17);
    EXPECT_EQ(TVLine(0, 0, 1, 1, 0).ShapeType, 3);
    EXPECT_EQ(TVCircle(0, 0, 1, 0).ShapeType, 19);
    EXPECT_EQ(TVRectangle(0, 0, 1, 1, 0).ShapeType, 1);
    EXPECT_EQ(TVRectangle(0, 0, 1, 1, 0, true).ShapeType, 2);
    EXPECT_EQ(TVEllipse(0, 0, 1, 1, 0).ShapeType, 20);
    EXPECT_EQ(TVText(0, 0, "a", 0, 0).ShapeType, 11);
    EXPECT_EQ(TVArc(0, 0, 1, 1, 2, 0, 0).ShapeType, 10);
    EXPECT_EQ(TVPolyline(shapecode::Polygon, 0).Closed, 1);
    EXPECT_EQ(TVPolyline(shapecode::Spline, 0).Closed, 0);
    EXPECT_EQ(TVText(0, 0, "depth", 0, 0).Label, "depth");
}

TEST(Shapes, HitTests)
{
    struct Case {
        const char* what;
        std::function<std::unique_ptr<TVShape>()> make;
        double x, y, tol;
        bool hit;
    } cases[] = {
        {"point within tol", [] { return std::make_unique<TVPoint>(10, 10, 0); }, 12, 10, 2, true},
        {"point beyond tol, Size unused", [] { return std::make_unique<TVPoint>(10, 10, 0); }, 12.5, 10, 2, false},
        {"line middle", [] { return std::make_unique<TVLine>(0, 0, 10, 0, 0); }, 5, 0.9, 1, true},
        {"line beyond end is clamped", [] { return std::make_unique<TVLine>(0, 0, 10, 0, 0); }, 11.5, 0, 1, false},
        {"zero-length line near its end", [] { return std::make_unique<TVLine>(3, 3, 3, 3, 0); }, 3.5, 3.5, 1, true},
        {"circle outline", [] { return std::make_unique<TVCircle>(0, 0, 10, 0); }, 10.5, 0, 1, true},
        {"circle centre is not hit", [] { return std::make_unique<TVCircle>(0, 0, 10, 0); }, 0, 0, 1, false},
        {"rectangle inside", [] { return std::make_unique<TVRectangle>(10, 10, 0, 0, 0); }, 5, 5, 0, true},
        {"rectangle grown by tol", [] { return std::make_unique<TVRectangle>(0, 0, 10, 10, 0); }, 11, 5, 1, true},
        {"rectangle outside", [] { return std::make_unique<TVRectangle>(0, 0, 10, 10, 0); }, 11.5, 5, 1, false},
        {"ellipse outline", [] { return std::make_unique<TVEllipse>(0, 0, 20, 10, 0); }, 20, 5, 0.5, true},
        {"ellipse centre", [] { return std::make_unique<TVEllipse>(0, 0, 20, 10, 0); }, 10, 5, 0.5, false},
        {"zero-width ellipse never", [] { return std::make_unique<TVEllipse>(5, 0, 5, 10, 0); }, 5, 5, 100, false},
        {"text box", [] { return std::make_unique<TVText>(0, 0, "abcd", 0, 0); }, 5.2, -2.9, 1, true},
        {"text right of box", [] { return std::make_unique<TVText>(0, 0, "abcd", 0, 0); }, 5.3, 0, 1, false},
        {"text left of anchor", [] { return std::make_unique<TVText>(0, 0, "abcd", 0, 0); }, -0.1, 0, 1, false},
        {"text counts characters, not bytes", [] { return std::make_unique<TVText>(0, 0, "\xc3\xa7\xc3\xa7", 0, 0); }, 3.7, 0, 1, false},
        {"one-vertex polyline never", [] { return polyline(5, {{0, 0}}); }, 0, 0, 10, false},
        {"polyline segment", [] { return polyline(5, {{0, 0}, {10, 0}, {10, 10}}); }, 10.5, 5, 1, true},
        {"polygon closing edge is not tested", [] { return polyline(6, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}); }, 0, 5, 1, false},
        {"polygon inside is not tested", [] { return polyline(6, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}); }, 5, 5, 1, false},
        {"polyline zero-length segment skipped", [] { return polyline(5, {{0, 0}, {0, 0}, {10, 0}}); }, 5, 0.5, 1, true},
        {"arc box grown by tol", [] { return std::make_unique<TVArc>(0, 0, 5, 5, 10, 0, 0); }, 10.9, 5.9, 1, true},
        {"arc outside box", [] { return std::make_unique<TVArc>(0, 0, 5, 5, 10, 0, 0); }, 5, 6.5, 1, false},
    };
    for (const Case& c : cases) {
        auto s = c.make();
        EXPECT_EQ(s->HitTest(c.x, c.y, c.tol), c.hit) << c.what;
        s->Visible = false;
        EXPECT_FALSE(s->HitTest(c.x, c.y, c.tol)) << c.what << " (invisible)";
    }
}

TEST(Shapes, BoundingBoxes)
{
    struct Case {
        const char* what;
        std::function<std::unique_ptr<TVShape>()> make;
        Box box;
    } cases[] = {
        {"point +-Size", [] { return std::make_unique<TVPoint>(10, 20, 0); }, {7, 17, 13, 23}},
        {"point Size 5", [] { return std::make_unique<TVPoint>(10, 20, 0, 5); }, {5, 15, 15, 25}},
        {"line", [] { return std::make_unique<TVLine>(5, 1, -5, 8, 0); }, {-5, 1, 5, 8}},
        {"circle", [] { return std::make_unique<TVCircle>(1, 2, 3, 0); }, {-2, -1, 4, 5}},
        {"rectangle corners any order", [] { return std::make_unique<TVRectangle>(10, 0, 0, 10, 0); }, {0, 0, 10, 10}},
        {"ellipse", [] { return std::make_unique<TVEllipse>(4, 6, 2, 1, 0); }, {2, 1, 4, 6}},
        {"text estimate", [] { return std::make_unique<TVText>(100, 50, "abc", 0, 0); }, {90, 40, 100 + 18 + 10, 60}},
        {"polyline", [] { return polyline(5, {{3, 4}, {-1, 9}, {2, -2}}); }, {-1, -2, 3, 9}},
        {"arc", [] { return std::make_unique<TVArc>(0, 0, 5, 7, 10, -1, 0); }, {0, -1, 10, 7}},
    };
    for (const Case& c : cases) expectBox(*c.make(), c.box, c.what);

    TVPolyline empty(shapecode::Polyline, 0);
    empty.MinX = 1, empty.MaxX = 2;
    empty.UpdateBounds();
    EXPECT_EQ(empty.MinX, 1) << "an empty polyline leaves its box alone";
}

TEST(Shapes, MoveScaleRotatePerClass)
{
    // Each case transforms a fresh shape and checks its box afterwards.
    struct Case {
        const char* what;
        std::function<std::unique_ptr<TVShape>()> make;
        std::function<void(TVShape&)> op;
        Box box;
    } cases[] = {
        {"move line", [] { return std::make_unique<TVLine>(0, 0, 10, 5, 0); }, [](TVShape& s) { s.Move(1, 2); }, {1, 2, 11, 7}},
        {"move text anchor", [] { return std::make_unique<TVText>(0, 0, "", 0, 0); }, [](TVShape& s) { s.Move(5, 5); }, {-5, -5, 15, 15}},
        {"scale line about point", [] { return std::make_unique<TVLine>(1, 1, 3, 3, 0); }, [](TVShape& s) { s.Scale(2, 3, 1, 1); }, {1, 1, 5, 7}},
        {"scale circle by (2, 4) gives 3R", [] { return std::make_unique<TVCircle>(0, 0, 1, 0); }, [](TVShape& s) { s.Scale(2, 4, 0, 0); }, {-3, -3, 3, 3}},
        {"mirror circle keeps R", [] { return std::make_unique<TVCircle>(5, 0, 2, 0); }, [](TVShape& s) { s.Scale(-1, 1, 0, 0); }, {-7, -2, -3, 2}},
        {"scale text keeps height", [] { return std::make_unique<TVText>(2, 2, "", 0, 0); }, [](TVShape& s) { s.Scale(2, 2, 0, 0); }, {-6, -6, 14, 14}},
        {"scale rectangle", [] { return std::make_unique<TVRectangle>(0, 0, 2, 2, 0); }, [](TVShape& s) { s.Scale(-1, 1, 0, 0); }, {-2, 0, 0, 2}},
        {"rotate point 90", [] { return std::make_unique<TVPoint>(10, 0, 0, 0); }, [](TVShape& s) { s.Rotate(90, 0, 0); }, {0, 10, 0, 10}},
        {"rotate line 90 about end", [] { return std::make_unique<TVLine>(0, 0, 10, 0, 0); }, [](TVShape& s) { s.Rotate(90, 0, 0); }, {0, 0, 0, 10}},
        {"rotate polyline 180", [] { return polyline(5, {{1, 0}, {2, 1}}); }, [](TVShape& s) { s.Rotate(180, 0, 0); }, {-2, -1, -1, 0}},
        {"rotate arc 90", [] { return std::make_unique<TVArc>(1, 0, 2, 0, 3, 0, 0); }, [](TVShape& s) { s.Rotate(90, 0, 0); }, {0, 1, 0, 3}},
        {"rotate circle moves centre only", [] { return std::make_unique<TVCircle>(10, 0, 1, 0); }, [](TVShape& s) { s.Rotate(90, 0, 0); }, {-1, 9, 1, 11}},
        {"rotate rectangle keeps corners", [] { return std::make_unique<TVRectangle>(0, 0, 4, 2, 0); }, [](TVShape& s) { s.Rotate(45, 0, 0); }, {0, 0, 4, 2}},
        {"rotate ellipse keeps corners", [] { return std::make_unique<TVEllipse>(0, 0, 4, 2, 0); }, [](TVShape& s) { s.Rotate(45, 0, 0); }, {0, 0, 4, 2}},
    };
    for (const Case& c : cases) {
        auto s = c.make();
        c.op(*s);
        Box b = c.box;
        EXPECT_NEAR(s->MinX, b.minX, 1e-9) << c.what;
        EXPECT_NEAR(s->MinY, b.minY, 1e-9) << c.what;
        EXPECT_NEAR(s->MaxX, b.maxX, 1e-9) << c.what;
        EXPECT_NEAR(s->MaxY, b.maxY, 1e-9) << c.what;
    }

    TVText t(0, 0, "x", 0, 0);
    t.Rotate(30, 5, 5);
    t.Rotate(30, 5, 5);
    EXPECT_DOUBLE_EQ(t.Angle, 60);
    EXPECT_EQ(t.X, 0);

    TVCircle c(0, 0, 4, 0);
    c.Scale(1, -1, 0, 0);
    EXPECT_DOUBLE_EQ(c.R, 4) << "a mirrored circle keeps its radius";
    EXPECT_TRUE(c.HitTest(4, 0, 0.1));
}

TEST(Shapes, GridCoordinatesKeepFullPrecision)
{
    TVPolyline p(shapecode::Polyline, 0);
    p.AddVertex(512345.67, 4512345.67);
    p.AddVertex(512400.01, 9999999.99);
    p.Rotate(360, 500000, 4500000);
    p.Move(0.001, -0.001);
    p.Move(-0.001, 0.001);
    EXPECT_NEAR(p.GetX(0), 512345.67, 1e-6);
    EXPECT_NEAR(p.GetY(0), 4512345.67, 1e-6);
    EXPECT_NEAR(p.GetY(1), 9999999.99, 1e-6);
    EXPECT_EQ(p.GetX(7), 0);
    p.SetVertex(1, 1, 2);
    EXPECT_EQ(p.MaxY, 4512345.67);
    p.SetVertex(5, 1, 2);  // outside: ignored
    EXPECT_EQ(p.Vertices.size(), 2u);
}

// ---- Drawing ----

// 100 x 100 world units on 100 x 100 pixels: world (x, y) is pixel (x, 100 - y).
const ShapeView kView{0, 100, 100, 0, 100, 100};

std::string trace(const TVShape& s, DrawStyle style = {})
{
    RecordingPainter p;
    style.PenColor = style.PenColor == clBlack ? s.PenColor : style.PenColor;
    s.Draw(p, kView, style);
    return p.trace();
}

TEST(ShapeDraw, CallsPerClass)
{
    struct Case {
        const char* what;
        std::function<std::unique_ptr<TVShape>()> make;
        const char* expected;
    } cases[] = {
        {"point style 0", [] { auto s = std::make_unique<TVPoint>(10, 90, 0); s->PenWidth = 0; return s; }, "SetPixel(10,10)"},
        {"point style 1", [] { return std::make_unique<TVPoint>(10, 90, 0); }, "SetPixel(10,10) SetPixel(11,10) SetPixel(10,11) SetPixel(11,11)"},
        {"point style 2", [] { auto s = std::make_unique<TVPoint>(10, 90, 0); s->PenWidth = 2; return s; }, "FillRect(9,9,12,12)"},
        {"point style 3", [] { auto s = std::make_unique<TVPoint>(10, 90, 0); s->PenWidth = 3; return s; }, "FillRect(8,8,13,13)"},
        {"point style 5", [] { auto s = std::make_unique<TVPoint>(10, 90, 0); s->PenWidth = 5; return s; }, "Ellipse(7,7,13,13)"},
        {"line", [] { return std::make_unique<TVLine>(10, 90, 20.4, 79.6, 0); }, "MoveTo(10,10) LineTo(20,20)"},
        {"circle", [] { return std::make_unique<TVCircle>(50, 50, 10.4, 0); }, "Ellipse(40,40,60,60)"},
        {"rectangle corners ordered", [] { return std::make_unique<TVRectangle>(30, 10, 10, 30, 0); }, "Rectangle(10,70,30,90)"},
        {"rounded rectangle", [] { return std::make_unique<TVRectangle>(10, 10, 30, 30, 0, true); }, "RoundRect(10,70,30,90,10,10)"},
        {"bare fill", [] { auto s = std::make_unique<TVRectangle>(10, 10, 30, 30, 0); s->PenWidth = 0; s->BrushStyle = 0; return s; }, "FillRect(10,70,30,90)"},
        {"selected rectangle is not a bare fill", [] { auto s = std::make_unique<TVRectangle>(10, 10, 30, 30, 0); s->PenWidth = 0; s->BrushStyle = 0; s->Selected = true; return s; }, "Rectangle(10,70,30,90)"},
        {"ellipse in stored order", [] { return std::make_unique<TVEllipse>(30, 10, 10, 30, 0); }, "Ellipse(30,90,10,70)"},
        {"one-vertex polyline", [] { return polyline(5, {{1, 1}}); }, ""},
        {"two-vertex polygon is a line", [] { auto p = polyline(6, {{10, 90}, {20, 90}}); return p; }, "Polyline(10,10,20,10)"},
        {"polygon", [] { return polyline(6, {{10, 90}, {20, 90}, {20, 80}}); }, "Polygon(10,10,20,10,20,20)"},
        {"open polyline", [] { return polyline(5, {{10, 90}, {20, 90}, {20, 80}}); }, "Polyline(10,10,20,10,20,20)"},
        {"type 10 with three vertices is one curve", [] { return polyline(10, {{0, 100}, {30, 70}, {60, 100}}); }, "PolyBezier(0,0,20,20,40,20,60,0)"},
        {"type 10 with four vertices is a polyline", [] { return polyline(10, {{0, 100}, {30, 70}, {60, 100}, {70, 100}}); }, "Polyline(0,0,30,30,60,0,70,0)"},
        {"spline through three points", [] { return polyline(8, {{0, 100}, {30, 70}, {60, 100}}); }, "PolyBezier(0,0,10,10,20,30,30,30) PolyBezier(30,30,40,30,50,10,60,0)"},
        {"arc as two segments", [] { return std::make_unique<TVArc>(0, 100, 30, 70, 60, 100, 0); }, "MoveTo(0,0) LineTo(30,30) LineTo(60,0)"},
        {"text top-left", [] { return std::make_unique<TVText>(10, 90, "ab", 0, 0); }, "TextOut(10,10,\"ab\")"},
        {"text centred and bottom", [] { auto t = std::make_unique<TVText>(50, 50, "abc", 0, 0); t->HAlign = 1; t->VAlign = 2; return t; }, "TextOut(41,37,\"abc\")"},
        {"text right and middle", [] { auto t = std::make_unique<TVText>(50, 50, "abc", 0, 0); t->HAlign = 2; t->VAlign = 1; return t; }, "TextOut(32,44,\"abc\")"},
        {"empty text", [] { return std::make_unique<TVText>(10, 90, "", 0, 0); }, ""},
        {"text far off screen", [] { return std::make_unique<TVText>(-501, 50, "a", 0, 0); }, ""},
    };
    for (const Case& c : cases) {
        auto s = c.make();
        EXPECT_EQ(trace(*s), c.expected) << c.what;
        s->Visible = false;
        EXPECT_EQ(trace(*s), "") << c.what << " (invisible)";
    }
}

TEST(ShapeDraw, PenAndBrushState)
{
    RecordingPainter p;
    TVCircle c(50, 50, 5, 0);
    c.PenColor = clBlue;
    c.PenWidth = 3;
    c.BrushColor = clYellow;
    c.BrushStyle = 0;
    c.Draw(p, kView, DrawStyle{clGreen, true});
    ASSERT_EQ(p.Calls.size(), 1u);
    EXPECT_EQ(p.Calls[0].PenColor, clGreen) << "the painting loop's colour";
    EXPECT_EQ(p.Calls[0].PenWidth, 3);
    EXPECT_EQ(p.Calls[0].BrushColor, clYellow);
    EXPECT_EQ(p.Calls[0].BrushStyle, GdiBrushStyle::Solid);

    c.Selected = true;
    c.Draw(p, kView, DrawStyle{clGreen, true});
    EXPECT_EQ(p.Calls[1].PenColor, clRed);
}

TEST(ShapeDraw, TextFontSizeAndColour)
{
    struct Case {
        double height;
        ColorValue pen;
        bool selected;
        bool lightBackground;
        int size;
        ColorValue drawn;
    } cases[] = {
        {2.5, clBlue, false, true, 4, clBlue},
        {200, clBlue, false, true, 72, clBlue},
        {0, clBlue, false, true, 10, clBlue},
        {-3, clBlue, false, true, 10, clBlue},
        {12.9, clBlue, false, true, 12, clBlue},
        {10, clWhite, false, true, 10, clBlack},
        {10, 0x80FFFF, false, true, 10, clBlack},
        {10, clYellow, false, true, 10, clYellow},
        {10, clYellow, true, true, 10, clRed},
        {10, clWhite, false, false, 10, clWhite},  // a dark background keeps white text white
    };
    for (const Case& c : cases) {
        TVText t(10, 90, "x", 0, 0);
        t.Height = c.height;
        t.PenColor = c.pen;
        t.Selected = c.selected;
        t.Angle = 12.34;
        t.Bold = 1;
        RecordingPainter p;
        t.Draw(p, kView, DrawStyle{c.pen, c.lightBackground});
        ASSERT_EQ(p.Calls.size(), 1u);
        EXPECT_EQ(p.Calls[0].Font.Size, c.size) << c.height;
        EXPECT_EQ(p.Calls[0].Font.Color, c.drawn) << std::hex << c.pen;
        EXPECT_EQ(p.Calls[0].Font.Orientation, 123);
        EXPECT_TRUE(p.Calls[0].Font.Bold);
        EXPECT_FALSE(p.Calls[0].Font.Italic);
        EXPECT_EQ(p.Calls[0].BrushStyle, GdiBrushStyle::Clear);
    }
}

TEST(ShapeDraw, ZeroSizedWindowAndFarPointsDoNotOverflow)
{
    const ShapeView flat{5, 5, 5, 5, 100, 100};
    EXPECT_EQ(flat.PixelX(6), 100) << "a zero-wide window counts as one world unit";
    EXPECT_EQ(kView.PixelX(1e300), 268435456);
    EXPECT_EQ(kView.PixelX(-1e300), -268435456);
    EXPECT_EQ(kView.PixelX(std::nan("")), 0);
}

} // namespace
} // namespace vsx
