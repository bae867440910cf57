// Canvas model: layers, the Add family with its fall-backs, shape properties, geometry access,
// fonts, the pixel mapping, contrast colours and hit tests.
#include "canvas/CanvasModel.h"

#include <functional>
#include <gtest/gtest.h>

namespace vsx {
namespace {

TEST(CanvasLayers, DefaultLayerAndAddLayer)
{
    CanvasModel m;
    EXPECT_EQ(m.FindLayer("Default"), 0);
    EXPECT_EQ(m.CurrentLayer(), 0);
    EXPECT_EQ(m.NextLayerId(), 1);

    const int fix = m.AddLayer("track_fix");
    EXPECT_EQ(fix, 1);
    m.SetCurrentLayer(0);
    EXPECT_EQ(m.AddLayer("track_fix"), fix) << "the same name gives the same layer";
    EXPECT_EQ(m.CurrentLayer(), fix) << "and makes it current again";
    EXPECT_EQ(m.LayerCount(), 2);
    EXPECT_EQ(m.FindLayer("TRACK_FIX"), -1) << "names are case-sensitive";
    EXPECT_EQ(m.FindLayerById(7), nullptr);
}

TEST(CanvasLayers, GettersGiveDefaultsForMissingLayers)
{
    CanvasModel m;
    EXPECT_EQ(m.GetLayerOption(9), 0);
    EXPECT_EQ(m.GetLayerColor(9), 0);
    EXPECT_EQ(m.GetLayerWidth(9), 1);
    EXPECT_EQ(m.GetLayerAuxStyle(9), 0);
    EXPECT_EQ(m.GetLayerBrushColor(9), 0xFFFFFF);
    EXPECT_EQ(m.GetLayerAuxColor(9), 0xFFFFFF);
    EXPECT_EQ(m.GetLayerBrushStyle(9), 1);
    EXPECT_EQ(m.GetLayerAuxValue(9), 0);
    EXPECT_FALSE(m.GetLayerVisible(9));
    m.SetLayerOption(9, 5);  // nothing happens
    EXPECT_EQ(m.GetLayerOption(9), 0);
    EXPECT_TRUE(m.GetLayerVisible(0));
}

TEST(CanvasAdd, AttributesTakenFromTheLayer)
{
    CanvasModel m;
    const int l = m.AddLayer("work");
    m.SetLayerColor(l, clRed);
    m.SetLayerWidth(l, 3);
    m.SetLayerBrushColor(l, clYellow);
    m.SetLayerBrushStyle(l, 0);
    m.SetLayerAuxStyle(l, 7);

    struct Case {
        const char* what;
        std::function<int()> add;
        int type;
        int width;
        ColorValue brush;
        int brushStyle;
        int auxStyle;
    } cases[] = {
        {"line", [&] { return m.AddLine(0, 0, 1, 1, l); }, 3, 3, clWhite, 1, 0},
        {"circle filled", [&] { return m.AddCircle(0, 0, 1, l); }, 19, 3, clYellow, 0, 0},
        {"rectangle filled", [&] { return m.AddRectangle(0, 0, 1, 1, l); }, 1, 3, clYellow, 0, 0},
        {"point", [&] { return m.AddPoint(0, 0, l); }, 17, 3, clWhite, 1, 0},
        {"ellipse stays unfilled", [&] { return m.AddEllipse(0, 0, 1, 1, l); }, 20, 3, clWhite, 1, 0},
        {"arc", [&] { return m.AddArc(0, 0, 1, 1, 2, 0, l); }, 10, 3, clWhite, 1, 0},
        {"text: colour only", [&] { return m.AddText(l, "t", 0, 0, 0); }, 11, 1, clWhite, 1, 0},
        {"polyline", [&] { return m.AddPolyline({{0, 0}, {1, 1}}, l, 0); }, 5, 3, clYellow, 0, 7},
        {"polygon", [&] { return m.AddPolyline({{0, 0}, {1, 1}, {1, 0}}, l, 1); }, 6, 3, clYellow, 0, 7},
    };
    int lastId = 0;
    for (const Case& c : cases) {
        const int id = c.add();
        EXPECT_EQ(id, lastId + 1) << c.what << ": ids count up from 1";
        lastId = id;
        EXPECT_EQ(m.GetShapeType(id), c.type) << c.what;
        EXPECT_EQ(m.GetShapeLayer(id), l) << c.what;
        EXPECT_EQ(m.GetShapeColor(id), clRed) << c.what;
        EXPECT_EQ(m.GetShapeWidth(id), c.width) << c.what;
        EXPECT_EQ(m.GetShapeBrushColor(id), c.brush) << c.what;
        EXPECT_EQ(m.GetShapeBrushStyle(id), c.brushStyle) << c.what;
        EXPECT_EQ(m.GetShapeAuxStyle(id), c.auxStyle) << c.what;
    }
    EXPECT_EQ(m.ShapeCount(), 9);
    EXPECT_EQ(m.GetPointSize(4), 3);
    EXPECT_EQ(m.FindShape(4)->MaxX, 3);
}

TEST(CanvasAdd, MissingLayerFallsBackToDefault)
{
    CanvasModel m;
    const int other = m.AddLayer("other");
    const int id = m.AddLine(0, 0, 1, 1, 99);
    EXPECT_EQ(m.GetShapeLayer(id), 0);
    EXPECT_EQ(m.CurrentLayer(), 0) << "the fall-back makes Default current";
    (void)other;

    // After the layers were cleared a new "Default" is made.
    m.ClearAll();
    m.AddLayer("a");
    m.AddLayer("b");
    const CanvasLayer* def = m.FindLayerById(0);
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->Name, "Default");
    EXPECT_EQ(m.GetShapeLayer(m.AddPoint(1, 1, 42)), 0);

    EXPECT_EQ(m.AddPolyline({{1, 1}}, 0, 0), -1) << "too few points";
    EXPECT_EQ(m.ShapeCount(), 1);
}

TEST(CanvasAdd, AppendShapeKeepsIndexAndLayersConsistent)
{
    CanvasModel m;
    auto line = std::make_unique<TVLine>(0, 0, 1, 1, 77);  // layer that does not exist
    line->Id = 500;
    EXPECT_EQ(m.AppendShape(std::move(line)), 500);
    EXPECT_EQ(m.GetShapeLayer(500), 0);
    EXPECT_EQ(m.GetLayerShapeIds(0), std::vector<std::int32_t>{500});

    auto dup = std::make_unique<TVPoint>(0, 0, 0);
    dup->Id = 500;  // in use: a new id is given
    const int id = m.AppendShape(std::move(dup));
    EXPECT_NE(id, 500);
    EXPECT_EQ(m.FindShape(id)->ShapeType, shapecode::Point);

    const int taken = m.TakeShapeId();
    auto poly = std::make_unique<TVPolyline>(shapecode::Polyline, 0);
    poly->Id = taken;
    EXPECT_EQ(m.AppendShape(std::move(poly)), taken);
    EXPECT_GT(m.AddPoint(0, 0, 0), taken) << "a taken id is not given again";
}

TEST(CanvasAdd, TextTakesFontEntryAndDefaultAlignment)
{
    CanvasModel m;
    const int font = m.AddTextFont("Courier New,14,BI");
    m.SetDefaultTextAlign(1, 2);
    const int id = m.AddText(0, "label", 5, 6, font);
    const auto* t = dynamic_cast<const TVText*>(m.FindShape(id));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->FontName, "Courier New");
    EXPECT_EQ(t->Height, 14);
    EXPECT_EQ(t->Bold, 1);
    EXPECT_EQ(t->Italic, 1);
    EXPECT_EQ(t->FontIndex, font);
    EXPECT_EQ(m.GetTextHAlign(id), 1);
    EXPECT_EQ(m.GetTextVAlign(id), 2);

    const int plain = m.AddText(0, "x", 0, 0, 17);  // no such entry: the text's own defaults
    const auto* p = dynamic_cast<const TVText*>(m.FindShape(plain));
    EXPECT_EQ(p->FontName, "Arial");
    EXPECT_EQ(p->Height, 10);
    m.ResetTextAlignment();
    EXPECT_EQ(m.DefaultTextHAlign(), 0);
    EXPECT_EQ(m.DefaultTextVAlign(), 0);
}

TEST(CanvasFonts, AddTextFontParsesNameSizeAndFlags)
{
    struct Case {
        const char* spec;
        const char* name;
        int size;
        bool bold, italic;
    } cases[] = {
        {"Courier New,14,BI", "Courier New", 14, true, true},
        {"Courier New, 14,bi", "Courier New", 14, true, true},
        {"txt", "Arial", 10, false, false},
        {"Txt,12", "Arial", 12, false, false},
        {"Arial,abc", "Arial", 10, false, false},
        {"Arial", "Arial", 10, false, false},
        {"Arial,12", "Arial", 12, false, false},
        {"Tahoma,8,I", "Tahoma", 8, false, true},
        {"Tahoma,x,B", "Tahoma", 10, true, false},
    };
    CanvasModel m;
    int expectedIndex = 1;
    for (const Case& c : cases) {
        const int index = m.AddTextFont(c.spec);
        EXPECT_EQ(index, expectedIndex++) << c.spec;
        const CanvasTextFont& f = m.TextFonts()[std::size_t(index)];
        EXPECT_EQ(f.Name, c.name) << c.spec;
        EXPECT_EQ(f.Size, c.size) << c.spec;
        EXPECT_EQ(f.Bold, c.bold) << c.spec;
        EXPECT_EQ(f.Italic, c.italic) << c.spec;
        EXPECT_EQ(f.Index, index);
        EXPECT_EQ(m.CurrentTextFont(), index);
    }
}

TEST(CanvasLayers, LayerColourAndWidthReachTheShapes)
{
    CanvasModel m;
    const int l = m.AddLayer("track");
    m.SetLayerColor(l, clRed);
    m.SetLayerWidth(l, 3);
    const int a = m.AddLine(0, 0, 1, 1, l);
    const int b = m.AddLine(1, 1, 2, 2, l);
    m.SetShapeColor(b, clBlue);
    m.SetShapeWidth(b, 5);
    const int other = m.AddLine(0, 0, 1, 1, 0);

    // Setting the same colour again must still reach the shape that differs.
    m.SetLayerColor(l, clRed);
    m.SetLayerWidth(l, 3);
    EXPECT_EQ(m.GetShapeColor(b), clRed);
    EXPECT_EQ(m.GetShapeWidth(b), 3);
    m.SetLayerColor(l, clGreen);
    EXPECT_EQ(m.GetShapeColor(a), clGreen);
    EXPECT_EQ(m.GetShapeColor(other), clBlack) << "other layers untouched";

    m.SetLayerBrushColor(l, clYellow);
    EXPECT_EQ(m.GetShapeBrushColor(a), clWhite) << "the brush colour changes only the layer record";

    // A shape moved onto the layer, then the same colour again.
    m.SetShapeLayer(other, l);
    m.SetLayerColor(l, clGreen);
    EXPECT_EQ(m.GetShapeColor(other), clGreen);

    m.SetAllWidths(0);
    EXPECT_EQ(m.GetShapeWidth(a), 1);
    m.SetLayerWidth(l, 1);
    m.SetShapeWidth(a, 4);
    m.SetLayerWidth(l, 1);
    EXPECT_EQ(m.GetShapeWidth(a), 1);
}

TEST(CanvasLayers, MoveLayerShapesAndShapeLayer)
{
    CanvasModel m;
    const int a = m.AddLayer("a"), b = m.AddLayer("b");
    const int s1 = m.AddPoint(0, 0, a), s2 = m.AddPoint(1, 1, a), s3 = m.AddPoint(2, 2, b);
    m.MoveLayerShapes(a, b, 0);
    EXPECT_EQ(m.LayerShapeCount(a), 2) << "mode 0 changes nothing";
    m.MoveLayerShapes(a, b, 1);
    EXPECT_EQ(m.LayerShapeCount(a), 0);
    EXPECT_EQ(m.GetLayerShapeIds(b), (std::vector<std::int32_t>{s1, s2, s3}));
    m.SetShapeLayer(s3, 99);
    EXPECT_EQ(m.GetShapeLayer(s3), b) << "an unknown layer is ignored";
    m.SetShapeLayer(s3, a);
    EXPECT_EQ(m.GetShapeLayer(s3), a);
    EXPECT_EQ(m.GetShapeLayer(12345), -1);
}

TEST(CanvasShapes, PropertyDefaultsAndSetters)
{
    CanvasModel m;
    EXPECT_EQ(m.GetShapeType(5), 0);
    EXPECT_EQ(m.GetShapeColor(5), 0);
    EXPECT_EQ(m.GetShapeWidth(5), 1);
    EXPECT_EQ(m.GetShapeBrushColor(5), 0xFFFFFF);
    EXPECT_EQ(m.GetShapeBrushStyle(5), 0);
    EXPECT_EQ(m.GetShapeLabel(5), "");
    EXPECT_EQ(m.GetPointSize(5), 0);
    m.SetShapeColor(5, clRed);  // nothing

    const int line = m.AddLine(0, 0, 1, 1, 0);
    const int text = m.AddText(0, "12.5", 0, 0, 0);
    m.SetShapeLabel(line, "L");
    m.SetShapeName(line, "N");
    m.SetShapeTag(line, 9);
    m.SetShapeAuxValue(line, 4);
    m.SetShapeAuxStyle(line, 2);
    EXPECT_EQ(m.GetShapeLabel(line), "L");
    EXPECT_EQ(m.GetShapeName(line), "N");
    EXPECT_EQ(m.GetShapeTag(line), 9);
    EXPECT_EQ(m.GetShapeAuxValue(line), 4);
    EXPECT_EQ(m.GetShapeAuxStyle(line), 2);
    EXPECT_EQ(m.GetShapeLabel(text), "12.5") << "a text starts with its text as label";
    m.SetTextHAlign(line, 2);  // not a text: ignored
    EXPECT_EQ(m.GetTextHAlign(line), 0);
    m.SetPointSize(text, 8);   // not a point: ignored
    EXPECT_EQ(m.GetPointSize(text), 0);
}

TEST(CanvasShapes, GeometryAccess)
{
    CanvasModel m;
    const int line = m.AddLine(1, 2, 3, 4, 0);
    const int poly = m.AddPolyline({{0, 0}, {5, 5}, {9, 1}}, 0, 0);
    const int point = m.AddPoint(7, 8, 0);
    const int text = m.AddText(0, "abc", 4, 5, 0);
    double x1, y1, x2, y2;
    ASSERT_TRUE(m.GetLine(line, x1, y1, x2, y2));
    EXPECT_EQ(x2, 3);
    ASSERT_TRUE(m.GetLine(poly, x1, y1, x2, y2));
    EXPECT_EQ(x2, 9) << "first and last vertex";
    EXPECT_FALSE(m.GetLine(point, x1, y1, x2, y2));
    double x, y;
    ASSERT_TRUE(m.GetPoint(point, x, y));
    EXPECT_EQ(y, 8);
    EXPECT_FALSE(m.GetPoint(line, x, y));
    std::string s;
    ASSERT_TRUE(m.GetText(text, x, y, s));
    EXPECT_EQ(s, "abc");

    EXPECT_EQ(m.GetVertexCount(poly), 3);
    EXPECT_EQ(m.GetVertexCount(line), 0);
    EXPECT_EQ(m.GetVertexX(poly, 1), 5);
    EXPECT_EQ(m.GetVertexX(poly, 3), 0);
    EXPECT_EQ(m.GetVertexX(poly, -1), 0);

    m.InsertVertex(poly, 3, 20, 20);  // at the end
    m.InsertVertex(poly, 0, -1, -1);  // at the start
    m.InsertVertex(poly, 9, 0, 0);    // outside: nothing
    EXPECT_EQ(m.GetVertexCount(poly), 5);
    EXPECT_EQ(m.FindShape(poly)->MinX, -1);
    EXPECT_EQ(m.FindShape(poly)->MaxY, 20);
    m.DeleteVertex(poly, 4);
    m.DeleteVertex(poly, 4);  // outside now
    EXPECT_EQ(m.GetVertexCount(poly), 4);
    EXPECT_EQ(m.FindShape(poly)->MaxY, 5);
    m.SetShapeVertex(poly, 0, 100, 100);
    EXPECT_EQ(m.FindShape(poly)->MaxX, 100);
}

TEST(CanvasShapes, TransformsAndZOrder)
{
    CanvasModel m;
    const int a = m.AddCircle(10, 0, 2, 0);
    const int b = m.AddLine(0, 0, 1, 0, 0);
    const int c = m.AddPoint(5, 5, 0);
    m.MirrorShape(a, 0, 0, 0);
    const auto* circle = dynamic_cast<const TVCircle*>(m.FindShape(a));
    EXPECT_EQ(circle->CX, -10);
    EXPECT_EQ(circle->R, 2) << "mirroring keeps the radius";
    m.MirrorShape(a, 1, 0, 1);
    EXPECT_EQ(circle->CY, 2);
    m.ScaleShape(b, 0, 0, 3, 1);
    m.RotateShape(b, 90, 0, 0);
    m.MoveShape(b, 1, 1);
    double x1, y1, x2, y2;
    m.GetLine(b, x1, y1, x2, y2);
    EXPECT_NEAR(x2, 1, 1e-12);
    EXPECT_NEAR(y2, 4, 1e-12);

    m.BringToFront(a);
    EXPECT_EQ(m.GetShapeIds(), (std::vector<std::int32_t>{b, c, a}));
    m.ChangeZOrder(c, -1);
    EXPECT_EQ(m.GetShapeIds(), (std::vector<std::int32_t>{c, b, a}));
    m.ChangeZOrder(c, 0);
    m.ChangeZOrder(b, 1);
    EXPECT_EQ(m.GetShapeIds(), (std::vector<std::int32_t>{c, a, b}));
    EXPECT_EQ(m.HitTest(0.9, 4), b) << "z-order kept for hit tests";
}

TEST(CanvasHitTest, TopmostVisibleShapeOnAVisibleLayer)
{
    CanvasModel m;  // 1000 m on 400 px: 2.5 m per pixel, 3 px = 7.5 m
    const int hidden = m.AddLayer("hidden");
    const int below = m.AddCircle(100, 100, 50, 0);
    const int above = m.AddLine(0, 150, 200, 150, 0);
    EXPECT_EQ(m.HitTest(100, 155), above) << "the later shape wins";
    EXPECT_EQ(m.HitTest(100, 158), -1) << "beyond 3 pixels";
    m.SetShapeWidth(above, 4);
    EXPECT_EQ(m.HitTest(100, 159), above) << "wide pens widen the tolerance";
    m.ShapeForUpdate(above)->Visible = false;
    EXPECT_EQ(m.HitTest(100, 150), below);
    m.SetShapeLayer(below, hidden);
    m.SetLayerVisible(hidden, false);
    EXPECT_EQ(m.HitTest(100, 150), -1) << "shapes on hidden layers are not hit";
    EXPECT_EQ(m.HitTestLayer(100, 150, 3, -1), -1);
    m.SetLayerVisible(hidden, true);
    EXPECT_EQ(m.HitTestLayer(100, 150, 3, hidden), below);
    EXPECT_EQ(m.HitTestLayer(100, 150, 3, 0), -1);

    m.Resize(0, 0);
    EXPECT_NO_FATAL_FAILURE(m.HitTest(100, 150)) << "a zero-wide control counts as one pixel";
}

TEST(CanvasMapping, WorldToScreenAndBack)
{
    CanvasModel m;
    m.Resize(1000, 500);
    m.SetWorldWindow(0, 500, 1000, 0);
    int px, py;
    m.WorldToScreen(250.4, 100, px, py);
    EXPECT_EQ(px, 250);
    EXPECT_EQ(py, 400);
    double x, y;
    m.ScreenToWorld(250, 400, x, y);
    EXPECT_DOUBLE_EQ(x, 250);
    EXPECT_DOUBLE_EQ(y, 100);
    EXPECT_EQ(m.WorldXToScreen(1e12), INT_MAX) << "clamped, no overflow";

    m.SetWorldWindow(5, 10, 5, 10);  // zero-sized window
    m.WorldToScreen(6, 9, px, py);
    EXPECT_EQ(px, 1000);
    EXPECT_EQ(py, 500);
    m.Resize(0, -1);
    m.SetWorldWindow(0, 10, 10, 0);
    m.ScreenToWorld(1, 1, x, y);
    EXPECT_EQ(x, 10) << "a zero-sized control counts as one pixel";
    EXPECT_EQ(y, 0);
}

TEST(CanvasColours, ContrastColorAgainstTheBackground)
{
    struct Case {
        ColorValue background, colour, expected;
    } cases[] = {
        {clWhite, clWhite, clBlack},
        {clWhite, 0xE0E0E0, clBlack},
        {clWhite, clAqua, clAqua},
        {clWhite, clRed, clRed},
        {clBlack, clBlack, clWhite},
        {clBlack, clNavy, clWhite},
        {clBlack, clYellow, clYellow},
        {0x707070, 0x808080, clWhite},  // mid grey (luma 112 000): too close, background dark
        {0x909090, 0x808080, clBlack},  // luma 144 000
        {0x808080, clRed, clRed},
    };
    for (const Case& c : cases) {
        CanvasModel m;
        m.SetBackgroundColor(c.background);
        EXPECT_EQ(m.ContrastColor(c.colour), c.expected) << std::hex << c.background << " " << c.colour;
    }
}

TEST(CanvasColours, ChangeReports)
{
    CanvasModel m;
    std::vector<CanvasChange> seen;
    m.SetChangeHandler([&](CanvasChange c) { seen.push_back(c); });
    m.SetDirty(false);
    m.SetBackgroundColor(clWhite);  // unchanged: nothing
    EXPECT_TRUE(seen.empty());
    EXPECT_FALSE(m.Dirty());
    m.SetBackgroundColor(clBlack);
    EXPECT_EQ(seen, std::vector<CanvasChange>{CanvasChange::DrawingNow});
    EXPECT_TRUE(m.Dirty());
    m.SetDirty(false);
    m.AddSounding(1, 1, 5);
    EXPECT_EQ(seen.back(), CanvasChange::Overlay);
    EXPECT_FALSE(m.Dirty()) << "overlays do not rebuild the drawing";
    m.AddLine(0, 0, 1, 1, 0);
    EXPECT_EQ(seen.back(), CanvasChange::Drawing);
    EXPECT_TRUE(m.Dirty());
}

TEST(CanvasOverlays, SoundingsKeepTheirSpacingAndBound)
{
    CanvasModel m;
    m.AddSounding(0, 0, 1);
    m.AddSounding(0, 0, 2);
    EXPECT_EQ(m.Soundings().size(), 1u);
    m.AddSounding(10, 0, 3);
    EXPECT_EQ(m.Soundings().size(), 2u) << "exactly the spacing apart is kept";
    m.ClearSoundings();
    m.SetSoundingStyle(1, 0.5, "Arial", 12, clBlack);
    for (int i = 0; i < 10001; ++i) m.AddSounding(i, 0, i);
    ASSERT_EQ(m.Soundings().size(), 9001u);
    EXPECT_EQ(m.Soundings().front().Z, 1000) << "the oldest thousand went";
    m.AddEventMarker(1, 2, 3);
    EXPECT_EQ(m.EventMarkers().size(), 1u);
    m.ClearEventMarkers();
    EXPECT_TRUE(m.EventMarkers().empty());
}

} // namespace
} // namespace vsx
