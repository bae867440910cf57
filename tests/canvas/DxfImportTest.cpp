#include "canvas/DxfImport.h"

#include "DrawingTestSupport.h"
#include "canvas/DxfPairs.h"
#include "canvas/DxfText.h"
#include "support/MissingPeer.h"
#include "support/TempHome.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <initializer_list>
#include <limits>
#include <numbers>
#include <sstream>

using namespace vsx;
using vsx::test::describeShape;
using vsx::test::TempHome;

namespace {

using Pairs = std::initializer_list<std::pair<int, std::string>>;

std::string dxf(Pairs pairs)
{
    std::string out;
    for (const auto& [code, value] : pairs) out += std::to_string(code) + "\r\n" + value + "\r\n";
    return out;
}

std::string section(const char* name, const std::string& body)
{
    return dxf({{0, "SECTION"}, {2, name}}) + body + dxf({{0, "ENDSEC"}});
}

std::vector<const TVShape*> layerShapes(const CanvasModel& m, int layer)
{
    std::vector<const TVShape*> out;
    for (const TVShape* s : m.Shapes())
        if (s->LayerId == layer) out.push_back(s);
    return out;
}

const TVPolyline& poly(const TVShape* s)
{
    const auto* p = dynamic_cast<const TVPolyline*>(s);
    if (!p) throw std::runtime_error("not a polyline: " + std::to_string(s->ShapeType));
    return *p;
}

}  // namespace

// One record of every kind, with the edge cases of each, from a hand-written file.
TEST(DxfImport, EntitiesBecomeShapesOnTheImportLayer)
{
    const std::string tables = section("TABLES", dxf({{0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "A"}, {62, "5"},
                                                      {0, "LAYER"}, {2, "B"}, {62, "3"}, {0, "LAYER"}, {2, "C"},
                                                      {62, "-7"}, {0, "ENDTAB"}}));
    const std::string entities = section(
        "ENTITIES",
        dxf({{0, "LINE"}, {8, "A"}, {10, "1"}, {20, "2"}, {11, "3"}, {21, "4"}, {62, "1"},
             {0, "LINE"}, {10, "0"}, {20, "0"}, {11, "5"}, {21, "abc"}, {62, "256"},
             {0, "CIRCLE"}, {10, "50"}, {20, "60"}, {40, "5"},
             {0, "ARC"}, {10, "0"}, {20, "0"}, {40, "10"}, {50, "350"}, {51, "10"}, {62, "2"},
             {0, "ELLIPSE"}, {10, "0"}, {20, "0"}, {11, "10"}, {21, "0"}, {40, "0.5"}, {41, "0"}, {42, "6.283185307179586"},
             {0, "ELLIPSE"}, {10, "0"}, {20, "0"}, {11, "10"}, {21, "0"}, {40, "0.5"}, {41, "5.5"}, {42, "0.5"},
             {0, "SOLID"}, {10, "0"}, {20, "0"}, {11, "4"}, {21, "0"}, {12, "0"}, {22, "3"}, {13, "0"}, {23, "3"},
             {0, "TRACE"}, {10, "0"}, {20, "0"}, {11, "4"}, {21, "0"}, {12, "0"}, {22, "3"}, {13, "4"}, {23, "3"},
             {0, "POINT"}, {10, "7"}, {20, "8"},
             {0, "SPLINE"}, {70, "1"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "2"}, {10, "3"}, {20, "1"},
             {0, "LWPOLYLINE"}, {10, "1"}, {20, "1"},
             {0, "LWPOLYLINE"}, {70, "1"}, {10, "0"}, {20, "0"}, {42, "1"}, {10, "5"}, {20, "0"}, {10, "5"}, {20, "5"},
             {0, "POLYLINE"}, {66, "1"}, {70, "1"}, {62, "6"},
             {0, "VERTEX"}, {10, "1"}, {20, "1"}, {0, "VERTEX"}, {10, "2"}, {20, "1"}, {0, "VERTEX"}, {20, "3"},
             {0, "SEQEND"},
             {0, "POLYLINE"}, {66, "1"}, {70, "64"},  // a polyface mesh: its face records would draw to (0, 0)
             {0, "VERTEX"}, {10, "9"}, {20, "9"}, {70, "192"}, {0, "VERTEX"}, {70, "128"}, {71, "1"}, {0, "SEQEND"},
             {0, "LINE"}, {67, "1"}, {10, "0"}, {20, "0"}, {11, "9"}, {21, "9"},  // paper space
             {0, "TEXT"}, {1, ""}, {10, "1"}, {20, "1"},                        // an empty value keeps the pairing
             {0, "TEXT"}, {1, "Depth 5%%d"}, {10, "3"}, {20, "4"}, {40, "0"}, {50, "12"},
             {0, "MTEXT"}, {1, "\\fArial|b0|i0;Word"}, {10, "5"}, {20, "6"}, {40, "3"},
             {0, "HATCH"}, {10, "0"}, {20, "0"}}));
    CanvasModel m;
    std::string message;
    ASSERT_TRUE(ImportDxfBytes(m, dxf({{999, "hand made"}}) + tables + entities + dxf({{0, "EOF"}}), "plan.dxf", &message))
        << message;
    const int layer = m.FindLayer("_dxf_plan.dxf");
    ASSERT_GE(layer, 0);
    EXPECT_EQ(m.GetDxfLayerId(), layer);
    EXPECT_TRUE(m.GetLayerVisible(layer));
    EXPECT_TRUE(m.GetLayerLocked(layer));
    EXPECT_EQ(m.GetLayerColor(layer), clLime) << "the last LAYER record with a valid colour";

    const auto shapes = layerShapes(m, layer);
    ASSERT_EQ(shapes.size(), 14u);
    const std::string L = " L" + std::to_string(layer);
    EXPECT_EQ(describeShape(m, *shapes[0]), "LINE" + L + " c255 w1 | 1.000000 2.000000 3.000000 4.000000");
    EXPECT_EQ(describeShape(m, *shapes[1]), "LINE" + L + " c65280 w1 | 0.000000 0.000000 5.000000 0.000000");
    EXPECT_EQ(describeShape(m, *shapes[2]), "CIRCLE" + L + " c65280 w1 | 50.000000 60.000000 5.000000");
    EXPECT_EQ(shapes[2]->MinX, 45);
    EXPECT_EQ(shapes[2]->MaxY, 65);

    const TVPolyline& arc = poly(shapes[3]);  // 350 to 10 degrees: 20 degrees through 0
    EXPECT_EQ(arc.ShapeType, shapecode::Polyline);
    EXPECT_EQ(arc.PenColor, clYellow);
    ASSERT_EQ(arc.Vertices.size(), 21u);
    EXPECT_NEAR(arc.Vertices[10].X, 10, 1e-9);
    EXPECT_NEAR(arc.Vertices[10].Y, 0, 1e-9);
    EXPECT_NEAR(arc.Vertices[20].Y, 10 * std::sin(10 * std::numbers::pi / 180), 1e-9);

    const TVPolyline& full = poly(shapes[4]);
    EXPECT_EQ(full.ShapeType, shapecode::Polygon);
    ASSERT_EQ(full.Vertices.size(), 37u);
    EXPECT_NEAR(full.Vertices[36].X, full.Vertices[0].X, 1e-9);
    EXPECT_NEAR(full.Vertices[36].Y, full.Vertices[0].Y, 1e-9);
    EXPECT_NEAR(full.Vertices[9].Y, 5, 1e-9) << "minor half-axis 5 at a quarter";

    const TVPolyline& part = poly(shapes[5]);  // end parameter below start: through 0, not the long way round
    EXPECT_EQ(part.ShapeType, shapecode::Polyline);
    ASSERT_EQ(part.Vertices.size(), 37u);
    EXPECT_GT(part.Vertices[18].X, 9.5);
    EXPECT_NEAR(part.Vertices[36].X, 10 * std::cos(0.5), 1e-9);

    EXPECT_EQ(describeShape(m, *shapes[6]),
              "POLY t6 closed1" + L + " c65280 w1 | 0.000000,0.000000 4.000000,0.000000 0.000000,3.000000");
    EXPECT_EQ(describeShape(m, *shapes[7]), "POLY t6 closed1" + L +
                                                " c65280 w1 | 0.000000,0.000000 4.000000,0.000000 4.000000,3.000000 "
                                                "0.000000,3.000000");
    EXPECT_EQ(describeShape(m, *shapes[8]), "POINT" + L + " c65280 w1 | 7.000000 8.000000 z 0.000000");
    // A closed SPLINE without degree and knots: the closed quadratic (the highest degree three
    // control points allow) on uniform knots, through the midpoints of the control polygon's sides.
    const TVPolyline& spline = poly(shapes[9]);
    EXPECT_EQ(spline.ShapeType, shapecode::Polygon);
    EXPECT_EQ(spline.PenColor, clLime);
    ASSERT_GT(spline.Vertices.size(), 3u);
    EXPECT_NEAR(spline.Vertices[0].X, 0.5, 1e-9);
    EXPECT_NEAR(spline.Vertices[0].Y, 1, 1e-9);
    auto passesThrough = [](const TVPolyline& p, double x, double y) {
        return std::any_of(p.Vertices.begin(), p.Vertices.end(),
                           [&](const WorldPoint& v) { return std::hypot(v.X - x, v.Y - y) < 1e-9; });
    };
    EXPECT_TRUE(passesThrough(spline, 2, 1.5));
    EXPECT_TRUE(passesThrough(spline, 1.5, 0.5));
    EXPECT_FALSE(passesThrough(spline, 1, 2)) << "not through its control points";
    // One-vertex LWPOLYLINE dropped; a bulge of 1 is a half circle (counter-clockwise from (0, 0)
    // to (5, 0), so below the chord) of the 20 chords an ARC gets.
    const TVPolyline& bulged = poly(shapes[10]);
    EXPECT_EQ(bulged.ShapeType, shapecode::Polygon);
    ASSERT_EQ(bulged.Vertices.size(), 22u);
    EXPECT_NEAR(bulged.Vertices[10].X, 2.5, 1e-9);
    EXPECT_NEAR(bulged.Vertices[10].Y, -2.5, 1e-9);
    EXPECT_NEAR(bulged.Vertices[20].X, 5, 1e-9);
    EXPECT_NEAR(bulged.Vertices[20].Y, 0, 1e-9);
    EXPECT_NEAR(bulged.Vertices[21].Y, 5, 1e-9);
    for (std::size_t i = 1; i < 20; ++i)
        EXPECT_NEAR(std::hypot(bulged.Vertices[i].X - 2.5, bulged.Vertices[i].Y), 2.5, 1e-9) << i;
    EXPECT_EQ(describeShape(m, *shapes[11]),
              "POLY t6 closed1" + L + " c16711935 w1 | 1.000000,1.000000 2.000000,1.000000 0.000000,3.000000");
    EXPECT_EQ(describeShape(m, *shapes[12]), "TEXT" + L + " c65280 | 3.000000 4.000000 font#-1 'Arial' h 2.500000 a "
                                                           "12.000000 b0 i0 [Depth 5°]");
    EXPECT_EQ(describeShape(m, *shapes[13]),
              "TEXT" + L + " c65280 | 5.000000 6.000000 font#-1 'Arial' h 3.000000 a 0.000000 b0 i0 [Word]");
    const auto* text = dynamic_cast<const TVText*>(shapes[13]);
    EXPECT_EQ(text->VAlign, 2);
    EXPECT_EQ(text->HAlign, 0);
}

TEST(DxfImport, ColourIndexTable)
{
    const std::pair<int, ColorValue> cases[] = {{0, -1},          {256, -1},        {-3, -1},       {257, -1},
                                                {1, 0x0000FF},    {2, 0x00FFFF},    {3, 0x00FF00},  {4, 0xFFFF00},
                                                {5, 0xFF0000},    {6, 0xFF00FF},    {7, 0xFFFFFF},  {8, 0x808080},
                                                {9, 0xC0C0C0},    {10, rgbColor(170, 114, 18)}, {255, rgbColor(239, 219, 203)}};
    for (const auto& [index, colour] : cases) EXPECT_EQ(AciToColor(index), colour) << index;
}

TEST(DxfImport, MtextCodesAndTextEscapes)
{
    const std::pair<const char*, const char*> mtext[] = {
        {"\\fArial|b0|i0;Word", "Word"},
        {"a\\\\b", "a\\b"},
        {"Line1\\PLine2 more {\\fTimes New Roman|b0;Hello} \\LUnder\\l x", "Line1 Line2 more Hello Under x"},
        {"\\H2.5x;big\\~gap", "big gap"},
        {"\\S1^2; m", "1/2 m"},
        {"\\S1\\;2#3; x", "1;2/3 x"},
        {"a^Ib^Jc^ d", "a b c^d"},
        {"%%p0.5 %%d %%c", "\u00B10.5 \u00B0 \u2300"},
        {"one\\Ntwo", "one two"},
        {"\\{braces\\} kept", "{braces} kept"},
        {"lone \\ backslash", "lone \\ backslash"},
        {"\\U+015Eile", "Şile"},
        {"\\Hbroken no semicolon", "no semicolon"},
    };
    for (const auto& [in, out] : mtext) EXPECT_EQ(StripMtextCodes(in), out) << in;
    EXPECT_EQ(DecodeDxfTextCodes("45%%d %%p0.5 %%c10 100%%% \\U+0130zmir %%uUnder"), "45° ±0.5 ⌀10 100% İzmir Under");
    EXPECT_EQ(DecodeDxfTextCodes("C:\\Path\\file"), "C:\\Path\\file") << "a TEXT backslash is a backslash";
    std::string line = " \t12.5\r ";
    TrimDxfLine(line);
    EXPECT_EQ(line, "12.5");
}

// Files written by ezdxf (an independent DXF library): release 12 in the Turkish code page with a
// block, release 2000 in its default code page with \U+ escapes, MTEXT in pieces, and release
// 2010 in UTF-8.
TEST(DxfImport, FilesWrittenByEzdxf)
{
    if (!vsx::test::haveEzdxf()) VSX_SKIP_MISSING() << "python3-ezdxf is not installed (/usr/bin/python3 -c 'import ezdxf')";
    TempHome home;
    const auto r = vsx::test::runPython(R"PY(
import ezdxf, sys, json
out = sys.argv[1]
res = {}
doc = ezdxf.new('R12')
doc.layers.new('Kıyı', dxfattribs={'color': 3})
blk = doc.blocks.new('SYMBOL', base_point=(1, 1))
blk.add_line((0, 0), (2, 0))
blk.add_line((2, 0), (2, 2))
msp = doc.modelspace()
ins = msp.add_blockref('SYMBOL', (100, 200), dxfattribs={'xscale': 2, 'yscale': 3, 'rotation': 30, 'layer': 'Kıyı'})
msp.add_line((0, 0), (10, 5), dxfattribs={'color': 1})
msp.add_text('Şamandıra İskele ğüöç', dxfattribs={'insert': (5, 6), 'height': 1.5, 'rotation': 15})
msp.add_polyline2d([(0, 0), (10, 0), (10, 10)], close=True)
msp.add_circle((50, 50), 5)
doc.encoding = 'cp1254'
doc.saveas(out + '/r12.dxf')
res['r12_insert'] = [[e.dxf.start.x, e.dxf.start.y, e.dxf.end.x, e.dxf.end.y] for e in ins.virtual_entities()]
doc = ezdxf.new('R2000')
msp = doc.modelspace()
msp.add_lwpolyline([(0, 0), (5, 0), (5, 5)], close=True)
msp.add_ellipse((0, 0), major_axis=(10, 0), ratio=0.5)
msp.add_open_spline([(0, 0), (1, 2), (3, 1), (4, 4)])
long = 'Uzun metin ' * 40
msp.add_mtext('{\\fArial|b0|i0;Şile} \\PLiman ' + long)
blk = doc.blocks.new('MARK', base_point=(0, 0))
blk.add_line((0, 0), (1, 0))
ins = msp.add_blockref('MARK', (10, 10), dxfattribs={'rotation': 90, 'xscale': 5, 'yscale': 5})
doc.saveas(out + '/r2000.dxf')
res['r2000_insert'] = [[e.dxf.start.x, e.dxf.start.y, e.dxf.end.x, e.dxf.end.y] for e in ins.virtual_entities()]
res['long'] = long
doc = ezdxf.new('R2010')
doc.modelspace().add_text('Çay ocağı', dxfattribs={'insert': (1, 2), 'height': 2})
doc.saveas(out + '/r2010.dxf')
print(json.dumps(res))
)PY",
                                            {home.root()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject expected = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();

    auto lines = [](const CanvasModel& m, int layer) {
        std::vector<const TVLine*> out;
        for (const TVShape* s : layerShapes(m, layer))
            if (const auto* l = dynamic_cast<const TVLine*>(s)) out.push_back(l);
        return out;
    };
    auto expectLines = [](const std::vector<const TVLine*>& got, const QJsonArray& want, std::size_t from) {
        ASSERT_GE(got.size(), from + std::size_t(want.size()));
        for (qsizetype i = 0; i < want.size(); ++i) {
            const QJsonArray w = want[i].toArray();
            const TVLine* l = got[from + std::size_t(i)];
            EXPECT_NEAR(l->X1, w[0].toDouble(), 1e-6);
            EXPECT_NEAR(l->Y1, w[1].toDouble(), 1e-6);
            EXPECT_NEAR(l->X2, w[2].toDouble(), 1e-6);
            EXPECT_NEAR(l->Y2, w[3].toDouble(), 1e-6);
        }
    };
    auto texts = [](const CanvasModel& m, int layer) {
        std::vector<std::string> out;
        for (const TVShape* s : layerShapes(m, layer))
            if (const auto* t = dynamic_cast<const TVText*>(s)) out.push_back(t->Text);
        return out;
    };

    CanvasModel m;
    std::string message;
    ASSERT_TRUE(ImportDxf(m, home.path("r12.dxf"), &message)) << message;
    const int r12 = m.GetDxfLayerId();
    EXPECT_EQ(m.GetLayerColor(r12), clLime);
    // INSERT first (block lines placed by scale, rotation and base point), then the plain LINE.
    expectLines(lines(m, r12), expected["r12_insert"].toArray(), 0);
    EXPECT_EQ(lines(m, r12).size(), 3u);
    EXPECT_EQ(texts(m, r12), std::vector<std::string>{"Şamandıra İskele ğüöç"});
    int closed = 0, circles = 0;
    for (const TVShape* s : layerShapes(m, r12)) {
        if (const auto* p = dynamic_cast<const TVPolyline*>(s)) closed += p->Closed && p->Vertices.size() == 3;
        circles += dynamic_cast<const TVCircle*>(s) != nullptr;
    }
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(circles, 1);

    ASSERT_TRUE(ImportDxf(m, home.path("r2000.dxf"), &message)) << message;
    const int r2000 = m.GetDxfLayerId();
    EXPECT_NE(r2000, r12);
    expectLines(lines(m, r2000), expected["r2000_insert"].toArray(), 0);
    const std::string longText = expected["long"].toString().toStdString();
    EXPECT_EQ(texts(m, r2000), std::vector<std::string>{"Şile  Liman " + longText}) << "all MTEXT pieces, escapes decoded";
    std::vector<const TVPolyline*> polys;
    for (const TVShape* s : layerShapes(m, r2000))
        if (const auto* p = dynamic_cast<const TVPolyline*>(s)) polys.push_back(p);
    ASSERT_EQ(polys.size(), 3u);
    EXPECT_EQ(polys[0]->Vertices.size(), 3u);
    EXPECT_EQ(polys[1]->Vertices.size(), 37u);
    // The open spline is its curve, from the first control point to the last.
    EXPECT_GT(polys[2]->Vertices.size(), 4u);
    EXPECT_EQ(polys[2]->Vertices.front().X, 0);
    EXPECT_NEAR(polys[2]->Vertices.back().X, 4, 1e-9);
    EXPECT_NEAR(polys[2]->Vertices.back().Y, 4, 1e-9);

    ASSERT_TRUE(ImportDxf(m, home.path("r2010.dxf"), &message)) << message;
    EXPECT_EQ(texts(m, m.GetDxfLayerId()), std::vector<std::string>{"Çay ocağı"});
    EXPECT_EQ(m.FindLayer("_dxf_r12.dxf"), r12) << "each file keeps its own layer";
    EXPECT_EQ(layerShapes(m, r12).size(), 6u);
}

// A re-import replaces the file's layer; a failing one leaves the earlier import whole.
TEST(DxfImport, RepeatedAndFailedImportsKeepOneGoodCopy)
{
    TempHome home;
    const std::string good =
        section("ENTITIES", dxf({{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}, {0, "POINT"}, {10, "5"}, {20, "5"}})) +
        dxf({{0, "EOF"}});
    home.writeFile("harbour.dxf", good);
    CanvasModel m;
    m.AddLine(9, 9, 10, 10, 0);
    std::string message;
    ASSERT_TRUE(ImportDxf(m, home.path("harbour.dxf"), &message));
    ASSERT_TRUE(ImportDxf(m, home.path("harbour.dxf"), &message));
    const int layer = m.FindLayer("_dxf_harbour.dxf");
    EXPECT_EQ(m.LayerShapeCount(layer), 2) << "one copy after importing twice";

    const struct {
        const char* name;
        std::string bytes;
        const char* message;
    } failures[] = {
        {"header only", section("HEADER", dxf({{9, "$ACADVER"}, {1, "AC1009"}})) + dxf({{0, "EOF"}}),
         "DXF load failed: ENTITIES section not found"},
        {"empty entities", section("ENTITIES", "") + dxf({{0, "EOF"}}), "DXF load failed: the ENTITIES section is empty"},
        {"binary", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + "garbage", "DXF load failed: binary DXF"},
        {"misaligned", "0\nSECTION\n2\nENTITIES\nLINE\n0\n", "DXF load failed: line 5 should hold a group code"},
    };
    for (const auto& f : failures) {
        home.writeFile("harbour.dxf", f.bytes);
        EXPECT_FALSE(ImportDxf(m, home.path("harbour.dxf"), &message)) << f.name;
        EXPECT_EQ(message.rfind(f.message, 0), 0u) << f.name << ": " << message;
        EXPECT_EQ(m.LayerShapeCount(layer), 2) << f.name << ": the earlier import stays";
    }
    EXPECT_FALSE(ImportDxf(m, home.path("missing.dxf"), &message));
    EXPECT_EQ(message, "") << "a missing file is not reported";
    EXPECT_EQ(m.ShapeCount(), 3);
}

// A file cut off inside its ENTITIES section (a copy that stopped, a full disk) gives what was
// read, less the record it ends in, which may be cut short, and says that it is incomplete.
TEST(DxfImport, FileCutOffInItsEntitiesIsImportedAsFarAsReadAndSaidIncomplete)
{
    const std::string start = section("TABLES", "") + dxf({{0, "SECTION"}, {2, "ENTITIES"}}) +
                              dxf({{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "10"}, {21, "10"}, {0, "HATCH"},
                                   {0, "POLYLINE"}, {66, "1"}, {70, "0"}, {0, "VERTEX"}, {10, "1"}, {20, "1"},
                                   {0, "VERTEX"}, {10, "2"}, {20, "1"}});
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> shapes;
    } cases[] = {
        {"inside a vertex", start + dxf({{0, "VERTEX"}, {10, "3"}}) + "20\r\n1.2",
         {"LINE 0 0 10 10", "POLYLINE 1 1 2 1"}},
        {"inside a line", start + dxf({{0, "SEQEND"}, {0, "LINE"}, {10, "5"}, {20, "5"}, {11, "6"}}),
         {"LINE 0 0 10 10", "POLYLINE 1 1 2 1"}},
        {"after a whole record", start + dxf({{0, "SEQEND"}, {0, "POINT"}, {10, "7"}, {20, "8"}, {0, "LINE"}}),
         {"LINE 0 0 10 10", "POLYLINE 1 1 2 1", "POINT 7 8"}},
    };
    for (const auto& c : cases) {
        CanvasModel m;
        std::string message;
        ASSERT_TRUE(ImportDxfBytes(m, c.bytes, "cut.dxf", &message)) << c.name << ": " << message;
        EXPECT_EQ(message, std::string(kDxfCutOffMessage) + "\nDXF imported without: 1 HATCH.") << c.name;
        std::vector<std::string> got;
        for (const TVShape* s : layerShapes(m, m.GetDxfLayerId())) {
            std::ostringstream d;
            if (auto* l = dynamic_cast<const TVLine*>(s)) d << "LINE " << l->X1 << ' ' << l->Y1 << ' ' << l->X2 << ' ' << l->Y2;
            else if (auto* p = dynamic_cast<const TVPolyline*>(s)) {
                d << "POLYLINE";
                for (const WorldPoint& v : p->Vertices) d << ' ' << v.X << ' ' << v.Y;
            } else if (auto* pt = dynamic_cast<const TVPoint*>(s)) d << "POINT " << pt->X << ' ' << pt->Y;
            got.push_back(d.str());
        }
        EXPECT_EQ(got, c.shapes) << c.name;
    }
    // A whole file says nothing of the kind.
    CanvasModel m;
    std::string message;
    ASSERT_TRUE(ImportDxfBytes(m, section("ENTITIES", dxf({{0, "POINT"}, {10, "1"}, {20, "1"}})), "whole.dxf", &message));
    EXPECT_EQ(message, "") << "a file ending after its ENTITIES section has lost nothing the import reads";
}

// Each file's own block definitions win over same-named blocks of earlier imports.
TEST(DxfImport, BlocksOfTheFileBeingImportedTakePrecedence)
{
    auto fileWithBlock = [](const char* x2, bool insert) {
        std::string blocks = section("BLOCKS", dxf({{0, "BLOCK"}, {2, "SYMBOL"}, {10, "0"}, {20, "0"}, {0, "LINE"},
                                                    {10, "0"}, {20, "0"}, {11, x2}, {21, "0"}, {0, "ENDBLK"}}));
        std::string ents = insert ? dxf({{0, "INSERT"}, {2, "SYMBOL"}, {10, "100"}, {20, "0"}, {62, "1"}}) : std::string();
        return blocks + section("ENTITIES", ents + dxf({{0, "POINT"}, {10, "0"}, {20, "0"}})) + dxf({{0, "EOF"}});
    };
    CanvasModel m;
    ASSERT_TRUE(ImportDxfBytes(m, fileWithBlock("1", false), "a.dxf"));
    ASSERT_TRUE(ImportDxfBytes(m, fileWithBlock("7", true), "b.dxf"));
    const int b = m.GetDxfLayerId();
    const auto* line = dynamic_cast<const TVLine*>(layerShapes(m, b)[0]);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->X2, 107) << "b.dxf's own SYMBOL, not a.dxf's";
    EXPECT_EQ(line->PenColor, clRed);
    ASSERT_EQ(m.Blocks().size(), 1u) << "same-named blocks are replaced, not piled up";
    // A file that inserts a block it does not define gets the one kept from before.
    const std::string insertOnly =
        section("ENTITIES", dxf({{0, "INSERT"}, {2, "SYMBOL"}, {10, "0"}, {20, "50"}})) + dxf({{0, "EOF"}});
    ASSERT_TRUE(ImportDxfBytes(m, insertOnly, "c.dxf"));
    line = dynamic_cast<const TVLine*>(layerShapes(m, m.GetDxfLayerId())[0]);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->X2, 7);
    EXPECT_EQ(line->PenColor, clBlack) << "block lines keep their own colour without code 62";
}

// Older releases hold texts in their declared code page, newer ones in UTF-8; a file that
// declares nothing is read as UTF-8 when it is valid UTF-8, else as Windows-1254.
TEST(DxfImport, TextsAreDecodedByTheFilesCodePage)
{
    auto file = [](const std::string& header, const std::string& text) {
        return (header.empty() ? std::string() : section("HEADER", header)) +
               section("ENTITIES", dxf({{0, "TEXT"}, {1, text}, {10, "0"}, {20, "0"}})) + dxf({{0, "EOF"}});
    };
    const std::string r12 = dxf({{9, "$ACADVER"}, {1, "AC1009"}});
    const struct {
        const char* name;
        std::string header, text, expected;
    } cases[] = {
        {"ANSI_1254", r12 + dxf({{9, "$DWGCODEPAGE"}, {3, "ANSI_1254"}}), "\xDE" "amand\xFDra", "Şamandıra"},
        {"ANSI_1252", r12 + dxf({{9, "$DWGCODEPAGE"}, {3, "ansi_1252"}}), "\xDE" "amand\xFDra", "Þamandýra"},
        {"release 2010 is UTF-8", dxf({{9, "$ACADVER"}, {1, "AC1024"}, {9, "$DWGCODEPAGE"}, {3, "ANSI_1252"}}), "Şamandıra", "Şamandıra"},
        {"undeclared UTF-8", "", "Çay ocağı", "Çay ocağı"},
        {"undeclared 8-bit", "", "\xC7" "ay oca\xF0\xFD", "Çay ocağı"},
        {"escapes", r12, "\\U+015Eile %%d", "Şile °"},
    };
    for (const auto& c : cases) {
        CanvasModel m;
        ASSERT_TRUE(ImportDxfBytes(m, file(c.header, c.text), "t.dxf")) << c.name;
        const auto* t = dynamic_cast<const TVText*>(m.Shapes().back());
        ASSERT_NE(t, nullptr) << c.name;
        EXPECT_EQ(t->Text, c.expected) << c.name;
    }
}

// Entities in object coordinates (extrusion (0, 0, -1) as mirrored drawings and civil-CAD files
// write them, and a tilted one), an MTEXT with an embedded column object, and an INSERT of a
// block holding a circle, an arc and a nested INSERT: every position matches the world
// coordinates ezdxf computes for the same entities within a millimetre.
TEST(DxfImport, ObjectCoordinatesBlocksAndEmbeddedObjectsMatchEzdxf)
{
    if (!vsx::test::haveEzdxf()) VSX_SKIP_MISSING() << "python3-ezdxf is not installed (/usr/bin/python3 -c 'import ezdxf')";
    TempHome home;
    const auto r = vsx::test::runPython(R"PY(
import ezdxf, sys, json, math
from ezdxf.math import Vec3, OCS
out = sys.argv[1]
res = {}
def xy(v): return [v[0], v[1]]
doc = ezdxf.new('R2018')
msp = doc.modelspace()
down = (0, 0, -1)
lw = msp.add_lwpolyline([(0, 0), (10, 0), (10, 5)], dxfattribs={'extrusion': down, 'elevation': 2})
res['lw'] = [xy(v) for v in lw.vertices_in_wcs()]
civil = msp.add_lwpolyline([(-512345.25, 4498765.5), (-512300, 4498800)], dxfattribs={'extrusion': down})
res['civil'] = [xy(v) for v in civil.vertices_in_wcs()]
c = msp.add_circle((5, 6), 2, dxfattribs={'extrusion': down})
res['circle'] = xy(c.ocs().to_wcs(c.dxf.center)) + [2]
tilt = msp.add_circle((5, 6, 1), 2, dxfattribs={'extrusion': (1, 0, 1)})
res['tilted'] = [xy(tilt.ocs().to_wcs(Vec3(5 + 2 * math.cos(a), 6 + 2 * math.sin(a), 1))) for a in (0, math.pi / 2, math.pi, 1.5 * math.pi)]
a = msp.add_arc((5, 6), 3, 0, 90, dxfattribs={'extrusion': down})
res['arc'] = xy(a.start_point) + xy(a.end_point)
t = msp.add_text('Kıyı', dxfattribs={'insert': (3, 4), 'rotation': 30, 'extrusion': down, 'height': 2})
d = t.ocs().to_wcs(Vec3(math.cos(math.radians(30)), math.sin(math.radians(30)), 0))
res['text'] = xy(t.ocs().to_wcs(t.dxf.insert)) + [math.degrees(math.atan2(d.y, d.x))]
s = msp.add_solid([(0, 0), (4, 0), (0, 3)], dxfattribs={'extrusion': down})
res['solid'] = [xy(v) for v in s.wcs_vertices()]
mt = msp.add_mtext_static_columns(['Column one', 'Column two'], width=10, gutter_width=1, height=20,
                                  dxfattribs={'insert': (100, 200), 'char_height': 2.5})
inner = doc.blocks.new('INNER', base_point=(0, 0))
inner.add_line((0, 0), (1, 1))
blk = doc.blocks.new('BUOY', base_point=(1, 1))
blk.add_circle((2, 1), 0.5)
blk.add_arc((1, 1), 1, 0, 180)
blk.add_blockref('INNER', (3, 3), dxfattribs={'rotation': 90, 'xscale': 2, 'yscale': 2})
ins = msp.add_blockref('BUOY', (50, 60), dxfattribs={'rotation': 30, 'xscale': 2, 'yscale': 2, 'extrusion': down})
circles, lines, arcs = [], [], []
def walk(entity):
    for e in entity.virtual_entities():
        if e.dxftype() == 'INSERT': walk(e)
        elif e.dxftype() == 'CIRCLE': circles.append(xy(e.ocs().to_wcs(e.dxf.center)) + [e.dxf.radius])
        elif e.dxftype() == 'ARC': arcs.append(xy(e.start_point) + xy(e.end_point))
        elif e.dxftype() == 'LINE': lines.append(xy(e.dxf.start) + xy(e.dxf.end))
walk(ins)
res['insert'] = {'circles': circles, 'lines': lines, 'arcs': arcs}
msp.add_hatch().paths.add_polyline_path([(0, 0), (1, 0), (1, 1)])
doc.saveas(out + '/ocs.dxf')
print(json.dumps(res))
)PY",
                                            {home.root()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject want = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();

    CanvasModel m;
    std::string message;
    ASSERT_TRUE(ImportDxf(m, home.path("ocs.dxf"), &message)) << message;
    EXPECT_EQ(message, "DXF imported without: 1 HATCH.");
    const auto shapes = layerShapes(m, m.GetDxfLayerId());
    constexpr double mm = 0.001;
    auto expectPoint = [&](const WorldPoint& got, const QJsonArray& w, int at, const char* what) {
        EXPECT_NEAR(got.X, w[at].toDouble(), mm) << what;
        EXPECT_NEAR(got.Y, w[at + 1].toDouble(), mm) << what;
    };
    auto expectVertices = [&](const TVShape* s, const QJsonArray& w, const char* what) {
        const TVPolyline& p = poly(s);
        ASSERT_EQ(p.Vertices.size(), std::size_t(w.size())) << what;
        for (qsizetype i = 0; i < w.size(); ++i) expectPoint(p.Vertices[std::size_t(i)], w[i].toArray(), 0, what);
    };

    ASSERT_GE(shapes.size(), 9u);
    expectVertices(shapes[0], want["lw"].toArray(), "LWPOLYLINE (0, 0, -1)");
    expectVertices(shapes[1], want["civil"].toArray(), "civil-CAD LWPOLYLINE");
    const auto* circle = dynamic_cast<const TVCircle*>(shapes[2]);
    ASSERT_NE(circle, nullptr);
    expectPoint({circle->CX, circle->CY}, want["circle"].toArray(), 0, "CIRCLE (0, 0, -1)");
    const TVPolyline& tilted = poly(shapes[3]);
    ASSERT_EQ(tilted.Vertices.size(), 72u) << "a tilted circle is an ellipse in plan";
    for (int k = 0; k < 4; ++k)
        expectPoint(tilted.Vertices[std::size_t(k * 18)], want["tilted"].toArray()[k].toArray(), 0, "tilted CIRCLE");
    const TVPolyline& arc = poly(shapes[4]);
    expectPoint(arc.Vertices.front(), want["arc"].toArray(), 0, "ARC start");
    expectPoint(arc.Vertices.back(), want["arc"].toArray(), 2, "ARC end");
    const auto* text = dynamic_cast<const TVText*>(shapes[5]);
    ASSERT_NE(text, nullptr);
    expectPoint({text->X, text->Y}, want["text"].toArray(), 0, "TEXT");
    EXPECT_NEAR(text->Angle, want["text"].toArray()[2].toDouble(), 1e-6);
    const QJsonArray solid = want["solid"].toArray();
    const TVPolyline& sp = poly(shapes[6]);
    ASSERT_EQ(sp.Vertices.size(), 3u);
    expectPoint(sp.Vertices[0], solid[0].toArray(), 0, "SOLID");
    expectPoint(sp.Vertices[1], solid[1].toArray(), 0, "SOLID");
    expectPoint(sp.Vertices[2], solid[2].toArray(), 0, "SOLID");
    const auto* mtext = dynamic_cast<const TVText*>(shapes[7]);
    ASSERT_NE(mtext, nullptr);
    EXPECT_EQ(mtext->X, 100) << "the MTEXT's own anchor, not its embedded object's";
    EXPECT_EQ(mtext->Y, 200);
    EXPECT_EQ(mtext->Height, 2.5);
    EXPECT_EQ(mtext->Text, "Column one Column two");

    // The INSERT: circle (radius scaled), arc and the nested INSERT's line, in that order.
    const QJsonObject ins = want["insert"].toObject();
    ASSERT_EQ(shapes.size(), 11u);
    const auto* bc = dynamic_cast<const TVCircle*>(shapes[8]);
    ASSERT_NE(bc, nullptr);
    expectPoint({bc->CX, bc->CY}, ins["circles"].toArray()[0].toArray(), 0, "block CIRCLE");
    EXPECT_NEAR(bc->R, ins["circles"].toArray()[0].toArray()[2].toDouble(), mm);
    const TVPolyline& ba = poly(shapes[9]);
    expectPoint(ba.Vertices.front(), ins["arcs"].toArray()[0].toArray(), 0, "block ARC start");
    expectPoint(ba.Vertices.back(), ins["arcs"].toArray()[0].toArray(), 2, "block ARC end");
    const auto* bl = dynamic_cast<const TVLine*>(shapes[10]);
    ASSERT_NE(bl, nullptr);
    expectPoint({bl->X1, bl->Y1}, ins["lines"].toArray()[0].toArray(), 0, "nested LINE start");
    expectPoint({bl->X2, bl->Y2}, ins["lines"].toArray()[0].toArray(), 2, "nested LINE end");
}

namespace {

// The curves of every feature `ogrinfo` lists, as plan points: each innermost parenthesised
// list of its LINESTRING / MULTILINESTRING / POLYGON text.
std::vector<std::vector<WorldPoint>> ogrinfoCurves(const std::string& listing)
{
    std::vector<std::vector<WorldPoint>> out;
    static const QRegularExpression group(QStringLiteral(R"(\(([^()]*)\))"));
    for (const QString& line : QString::fromStdString(listing).split('\n')) {
        const QString t = line.trimmed();
        if (!t.startsWith(QLatin1String("LINESTRING")) && !t.startsWith(QLatin1String("MULTILINESTRING")) &&
            !t.startsWith(QLatin1String("POLYGON")))
            continue;
        for (const auto& m : group.globalMatch(t)) {
            std::vector<WorldPoint> curve;
            for (const QString& xyz : m.captured(1).split(',')) {
                const QStringList v = xyz.trimmed().split(' ');
                if (v.size() >= 2) curve.push_back({v[0].toDouble(), v[1].toDouble()});
            }
            out.push_back(std::move(curve));
        }
    }
    return out;
}

double distanceToCurve(const WorldPoint& p, const std::vector<WorldPoint>& curve, bool closed)
{
    double best = std::numeric_limits<double>::infinity();
    const std::size_t n = curve.size();
    for (std::size_t i = 0; i + 1 < n + (closed ? 1 : 0); ++i) {
        const WorldPoint& a = curve[i];
        const WorldPoint& b = curve[(i + 1) % n];
        best = std::min(best, distanceToSegment(p.X, p.Y, a.X, a.Y, b.X, b.Y));
    }
    return best;
}

}  // namespace

// GDAL's autotest drawing of blocks in blocks: BLOCK1 inserts BLOCK2 with a height and an
// unequal scale; BLOCK3 inserts BLOCK4 (a circle of its own tilted extrusion, base point with a
// height) plainly, scaled and turned, and through a tilted extrusion with a z scale. Every curve
// lies on the one ogrinfo gives within 0.01, both ways round.
TEST(DxfImport, NestedTiltedInsertsMatchGdal)
{
    if (!vsx::test::haveOgrinfo()) VSX_SKIP_MISSING() << "GDAL's ogrinfo is not installed (gdal-bin)";
    const std::string file = std::string(VSX_SOURCE_DIR) + "/tests/data/dxf/block-insert-order.dxf";
    const auto listing = vsx::test::runProgram("ogrinfo", {"-al", "-q", file});
    ASSERT_EQ(listing.exitCode, 0) << listing.err;
    const auto gdal = ogrinfoCurves(listing.out);
    ASSERT_EQ(gdal.size(), 4u) << listing.out;

    CanvasModel m;
    std::string message;
    ASSERT_TRUE(ImportDxf(m, file, &message)) << message;
    const auto shapes = layerShapes(m, m.GetDxfLayerId());
    ASSERT_EQ(shapes.size(), 4u);
    const char* names[] = {"BLOCK1 > BLOCK2", "BLOCK3 > BLOCK4", "BLOCK3 > BLOCK4 scaled and turned",
                           "BLOCK3 > BLOCK4 tilted"};
    for (std::size_t i = 0; i < 4; ++i) {
        const TVPolyline& ours = poly(shapes[i]);
        double worst = 0;
        for (const WorldPoint& v : ours.Vertices) worst = std::max(worst, distanceToCurve(v, gdal[i], false));
        for (const WorldPoint& v : gdal[i]) worst = std::max(worst, distanceToCurve(v, ours.Vertices, true));
        EXPECT_LT(worst, 0.01) << names[i];
    }
}

// Curves where the file puts them: polyline bulges as the arcs they describe (lightweight
// polylines, release-12 VERTEX records both ways round, a closed polyline's closing segment, and
// inside a block that an insert turns and scales unequally) and splines as the B-splines their
// knots, control points and weights define, or through their fit points. Every imported vertex
// lies within 0.05 of the curve GDAL reads from the same file, and the boxes around both agree
// within 0.05. Where GDAL 3.6 reads no curve (a spline with fit points only) or another one (a
// periodic spline, which it evaluates over its whole knot vector, through the first and the last
// control point), ezdxf's own evaluation of the spline is the reference.
TEST(DxfImport, CurvesLieWhereGdalAndEzdxfPutThem)
{
    if (!vsx::test::haveEzdxf()) VSX_SKIP_MISSING() << "python3-ezdxf is not installed (/usr/bin/python3 -c 'import ezdxf')";
    if (!vsx::test::haveOgrinfo()) VSX_SKIP_MISSING() << "GDAL's ogrinfo is not installed (gdal-bin)";
    TempHome home;
    const auto r = vsx::test::runPython(R"PY(
import ezdxf, sys, json, math
out = sys.argv[1]
ref = {}
def save(doc, name): doc.saveas(f'{out}/{name}.dxf')
def r2000(): return ezdxf.new('R2000')
doc = r2000(); doc.modelspace().add_lwpolyline([(0, 0, 1), (20, 0, 0)], format='xyb'); save(doc, 'half-circle')
b = math.tan(math.pi / 8)
doc = r2000(); doc.modelspace().add_lwpolyline(
    [(5, 0, 0), (35, 0, b), (40, 5, 0), (40, 25, b), (35, 30, 0), (5, 30, b), (0, 25, 0), (0, 5, b)],
    format='xyb', close=True); save(doc, 'rounded-box')
doc = ezdxf.new('R12'); doc.modelspace().add_polyline2d(
    [(0, 0, 0.5), (10, 0, -1), (20, 0, 0), (20, 10, 0.25), (30, 10, 0)], format='xyb'); save(doc, 'vertex-bulges')
cps = [(0, 0), (6, 14), (18, 8), (24, 22), (34, 2)]
doc = r2000(); doc.modelspace().add_open_spline(cps, degree=3); save(doc, 'clamped-cubic')
doc = r2000(); doc.modelspace().add_rational_spline(cps, weights=[1, 2, 0.5, 1.5, 1], degree=3); save(doc, 'rational')
doc = r2000(); s = doc.modelspace().add_spline(fit_points=[(0, 0), (8, 10), (18, 6), (26, 16), (34, 4)])
save(doc, 'fit-points')
ref['fit-points'] = [[v.x, v.y] for v in s.construction_tool().approximate(2000)]
loop = [(0, 0), (20, -4), (28, 12), (14, 24), (-6, 14), (0, 0)]
doc = r2000(); s = doc.modelspace().add_open_spline(loop, degree=3); s.closed = True; save(doc, 'closed-clamped')
doc = r2000(); s = doc.modelspace().add_spline(); s.set_closed([(x, y, 0) for x, y in loop[:-1]], degree=3)
save(doc, 'periodic')
ref['periodic'] = [[v.x, v.y] for v in s.construction_tool().approximate(2000)]
doc = r2000(); blk = doc.blocks.new('CURVES', base_point=(5, 5))
blk.add_lwpolyline([(0, 0, 0.6), (10, 0, 0), (10, 10, -0.4), (0, 10, 0)], format='xyb', close=True)
blk.add_open_spline([(0, 0), (4, 9), (9, 3), (14, 12)], degree=3)
doc.modelspace().add_blockref('CURVES', (100, 50), dxfattribs={'xscale': 2, 'yscale': 1.5, 'rotation': 30})
save(doc, 'block-insert')
print(json.dumps(ref))
)PY",
                                        {home.root()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject ezdxfCurves = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();

    const struct {
        const char* file;
        bool byGdal;                // else by ezdxf
        std::vector<bool> closed;   // our shapes, in file order: polygon (true) or polyline
    } cases[] = {
        {"half-circle", true, {false}},    {"rounded-box", true, {true}},   {"vertex-bulges", true, {false}},
        {"clamped-cubic", true, {false}},  {"rational", true, {false}},     {"fit-points", false, {false}},
        {"closed-clamped", true, {true}},  {"periodic", false, {true}},     {"block-insert", true, {true, false}},
    };
    auto box = [](const std::vector<std::vector<WorldPoint>>& curves) {
        std::array<double, 4> b{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
        for (const auto& c : curves)
            for (const WorldPoint& p : c) b = {std::min(b[0], p.X), std::min(b[1], p.Y), std::max(b[2], p.X), std::max(b[3], p.Y)};
        return b;
    };
    for (const auto& c : cases) {
        const std::string file = home.path(std::string(c.file) + ".dxf");
        std::vector<std::vector<WorldPoint>> reference;
        if (c.byGdal) {
            const auto listing = vsx::test::runProgram("ogrinfo", {"-al", "-q", file});
            ASSERT_EQ(listing.exitCode, 0) << c.file << ": " << listing.err;
            reference = ogrinfoCurves(listing.out);
        } else {
            std::vector<WorldPoint> curve;
            for (const QJsonValue& v : ezdxfCurves[c.file].toArray())
                curve.push_back({v.toArray()[0].toDouble(), v.toArray()[1].toDouble()});
            reference.push_back(std::move(curve));
        }
        ASSERT_FALSE(reference.empty()) << c.file;

        CanvasModel m;
        std::string message;
        ASSERT_TRUE(ImportDxf(m, file, &message)) << c.file << ": " << message;
        EXPECT_EQ(message, "") << c.file;
        std::vector<std::vector<WorldPoint>> ours;
        for (const TVShape* s : layerShapes(m, m.GetDxfLayerId())) {
            const TVPolyline& p = poly(s);
            EXPECT_EQ(p.Closed != 0, ours.size() < c.closed.size() && c.closed[ours.size()]) << c.file;
            EXPECT_EQ(p.ShapeType, p.Closed ? shapecode::Polygon : shapecode::Polyline) << c.file;
            ours.push_back(p.Vertices);
        }
        ASSERT_EQ(ours.size(), c.closed.size()) << c.file;
        double worst = 0;
        for (const auto& curve : ours)
            for (const WorldPoint& v : curve) {
                double nearest = std::numeric_limits<double>::infinity();
                for (const auto& g : reference) nearest = std::min(nearest, distanceToCurve(v, g, false));
                worst = std::max(worst, nearest);
            }
        EXPECT_LT(worst, 0.05) << c.file;
        const auto a = box(ours), b = box(reference);
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(a[i], b[i], 0.05) << c.file << " box side " << i;
    }
}

// Blocks that insert each other without end, or themselves, stop at the guard and say so.
TEST(DxfImport, CircularAndDeepInsertsAreLeftOutAndSaid)
{
    std::string blocks;
    for (int i = 0; i < 20; ++i)
        blocks += dxf({{0, "BLOCK"}, {2, "B" + std::to_string(i)}, {10, "0"}, {20, "0"}, {0, "LINE"}, {10, "0"},
                       {20, "0"}, {11, "1"}, {21, "0"}, {0, "INSERT"}, {2, "B" + std::to_string(i + 1)}, {10, "1"},
                       {20, "0"}, {0, "ENDBLK"}});
    blocks += dxf({{0, "BLOCK"}, {2, "SELF"}, {0, "INSERT"}, {2, "SELF"}, {0, "ENDBLK"}});
    const std::string file = section("BLOCKS", blocks) +
                             section("ENTITIES", dxf({{0, "INSERT"}, {2, "B0"}, {10, "0"}, {20, "0"}, {0, "INSERT"},
                                                      {2, "SELF"}, {10, "0"}, {20, "0"}, {0, "INSERT"}, {2, "NONE"}})) +
                             dxf({{0, "EOF"}});
    CanvasModel m;
    std::string message;
    ASSERT_TRUE(ImportDxfBytes(m, file, "deep.dxf", &message));
    EXPECT_EQ(m.LayerShapeCount(m.GetDxfLayerId()), 17) << "one line per level down to the guard";
    EXPECT_NE(message.find("2 inserts nested deeper than 16 levels or in themselves"), std::string::npos) << message;
    EXPECT_NE(message.find("1 inserts of undefined blocks"), std::string::npos) << message;
}
