#include "canvas/ProjectFile.h"
#include "canvas/FileNumbers.h"

#include "DrawingTestSupport.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "support/MissingPeer.h"
#include "support/TempHome.h"

#include <bit>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vsx;
using vsx::test::describeDrawing;
using vsx::test::describeLayers;
using vsx::test::TempHome;

namespace {

template <class T> T& append(CanvasModel& m, std::unique_ptr<T> s)
{
    T& ref = *s;
    m.AppendShape(std::move(s));
    return ref;
}

// One shape of every type the file knows, on three layers, with the awkward texts.
void buildFixture(CanvasModel& m)
{
    const int survey = m.AddLayer("Survey lines");
    const int turkish = m.AddLayer("İskele ŞĞ");
    m.SetLayerColor(survey, clBlue);
    m.SetLayerWidth(survey, 2);

    m.AddLine(500000.125, 4500000.123, 500100.5, 4500050.25, survey);
    m.SetShapeColor(m.AddLine(1, 2, 3, 4, 0), clRed);
    auto& rect = append(m, std::make_unique<TVRectangle>(10, 20, 30, 40, survey));
    rect.PenColor = clGreen, rect.BrushColor = clYellow, rect.BrushStyle = 0, rect.Value = 12.5;
    auto& rounded = append(m, std::make_unique<TVRectangle>(-5, -6, 7, 8, turkish, true));
    rounded.PenColor = clNavy, rounded.CornerRadius = 3.25, rounded.BrushStyle = 1;
    auto& ellipse = append(m, std::make_unique<TVEllipse>(0, 0, 10, 4, survey));
    ellipse.PenColor = clPurple, ellipse.PenWidth = 3;
    auto& circle = append(m, std::make_unique<TVCircle>(100, 200, 15, survey));
    circle.PenColor = clTeal, circle.PenWidth = 4;
    auto& point = append(m, std::make_unique<TVPoint>(7, 8, turkish, 3, -12.75));
    point.PenColor = clMaroon, point.PenWidth = 2;

    auto text = [&](std::string s, std::string font, int layer) -> TVText& {
        auto& t = append(m, std::make_unique<TVText>(1.5, 2.5, std::move(s), 0, layer));
        t.PenColor = clOlive, t.Height = 14, t.Angle = 33.5, t.Bold = 1, t.Italic = 1, t.FontName = std::move(font);
        return t;
    };
    text(" leading blank", "Arial", survey);
    text("Şamandıra 3 çğüöı", "Arial Black", turkish);
    text("two\nlines\rand tab\tend", "Courier New", 0).Bold = 0;

    auto poly = [&](int type, bool closed, std::vector<WorldPoint> pts) {
        auto p = std::make_unique<TVPolyline>(type, survey);
        p->Closed = closed ? 1 : 0;
        for (const WorldPoint& v : pts) p->AddVertex(v.X, v.Y);
        p->PenColor = clFuchsia, p->PenWidth = 2;
        m.AppendShape(std::move(p));
    };
    poly(shapecode::Polyline, false, {{0, 0}, {10, 0}, {10, 10}});
    poly(shapecode::Polygon, true, {{0, 0}, {5, 0}, {5, 5}, {0, 5}});
    poly(shapecode::Spline, false, {{0, 0}, {1, 2}, {3, 1}, {4, 4}});
    poly(shapecode::Arc, false, {{0, 0}, {5, 5}, {10, 0}});
    auto& arc = append(m, std::make_unique<TVArc>(0, 0, 5, 5, 10, 0, turkish));
    arc.PenColor = clLime, arc.PenWidth = 2;
    m.SetWorldWindow(-100, 4600000, 600000, -200);
}

std::string expectedAfterReload(const std::string& s)
{
    // Control characters in a text become blanks: the text keeps its place and the records after it.
    std::string out = s;
    for (char& c : out)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    return out;
}

}  // namespace

TEST(ProjectFile, EveryShapeTypeSurvivesSaveAndLoad)
{
    TempHome home;
    CanvasModel original;
    buildFixture(original);
    const std::string path = home.path("survey.vltx");
    // A Turkish desktop locale must not turn the decimal points into commas.
    const std::string oldLocale = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "tr_TR.UTF-8");
    EXPECT_TRUE(SaveShapeFile(original, path, -1, false));
    std::setlocale(LC_ALL, oldLocale.c_str());

    CanvasModel loaded;
    loaded.AddLayer("stale layer");
    loaded.AddLine(0, 0, 1, 1, 0);
    ASSERT_TRUE(LoadShapeFile(loaded, path, -1, -1, 0));

    EXPECT_EQ(describeLayers(loaded), describeLayers(original));
    std::vector<std::string> want;
    for (const std::string& line : describeDrawing(original)) want.push_back(expectedAfterReload(line));
    EXPECT_EQ(describeDrawing(loaded), want);
    std::vector<std::int32_t> ids;
    for (int i = 1; i <= original.ShapeCount(); ++i) ids.push_back(i);
    EXPECT_EQ(loaded.GetShapeIds(), ids) << "new ids from 1";
    EXPECT_EQ(loaded.WorldXMin(), -100);
    EXPECT_EQ(loaded.WorldYMax(), 4600000);
    EXPECT_EQ(loaded.WorldXMax(), 600000);
    EXPECT_EQ(loaded.WorldYMin(), -200);
    const auto* line = dynamic_cast<const TVLine*>(loaded.Shapes()[0]);
    ASSERT_NE(line, nullptr);
    EXPECT_NEAR(line->Y1, 4500000.123, 1e-6) << "grid northings keep their millimetres";
}

TEST(ProjectFile, ContainerIsOneZlibStreamThatAnotherInflaterReads)
{
    if (!vsx::test::havePython()) VSX_SKIP_MISSING() << "/usr/bin/python3 is not installed: cannot inflate independently";
    TempHome home;
    FakeClock fake({2024, 5, 1, 13, 45, 1, 129});
    setClock(&fake);
    CanvasModel m;
    buildFixture(m);
    const std::string path = home.path("c.vltx");
    SaveShapeFile(m, path, 0, false);
    setClock(nullptr);
    const auto r = vsx::test::runPython(
        "import sys, zlib\n"
        "d = open(sys.argv[1], 'rb').read()\n"
        "assert d[:4] == b'VLT1', d[:4]\n"
        "assert d[4] == 0x78 and d[5] == 0x9C, 'zlib header of the default level'\n"
        "z = zlib.decompressobj()\n"
        "t = z.decompress(d[4:])\n"
        "assert z.eof and not z.unused_data, 'one complete stream, nothing after it'\n"
        "sys.stdout.write(t.decode('cp1254'))\n",
        {path});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("# Veldor Tolvane - VLT\n# ", 0), 0u) << r.out.substr(0, 200);
    EXPECT_NE(r.out.find("\n# Created on: 2024-05-01 13:45:01.12\n#\nWORLD -100.000000 600000.000000 -200.000000 "
                         "4600000.000000\nLAYER 0 Default\nLAYER 1 Survey lines\nLAYER 2 İskele ŞĞ\n"
                         "LINE 500000.125000 4500000.123000 500100.500000 4500050.250000 1 16711680 2\n"),
              std::string::npos)
        << r.out.substr(0, 600);
    EXPECT_NE(r.out.find("\nTEXT 1.500000 2.500000 2 0 32896 14.000000 33.500000 1 1 Arial_Black Şamandıra 3 çğüöı\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("\nTEXT 1.500000 2.500000 1 0 32896 14.000000 33.500000 1 1 Arial  leading blank\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("\nRECTANGLE -5.000000 -6.000000 7.000000 8.000000 2 8388608 1 16777215 1 0.000000 1 3.250000\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("\nARC 0.000000 0.000000 5.000000 5.000000 10.000000 0.000000 2 65280 2\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nPOLYGON 1 4 16711935 2\n0.000000 0.000000\n5.000000 0.000000\n"), std::string::npos);
}

TEST(ProjectFile, TextsOutsideTheCodePageSwitchTheFileToUtf8)
{
    TempHome home;
    CanvasModel m;
    const int layer = m.AddLayer("Ωmega läyer");
    m.AddText(layer, "Δ depth ≈ 3 m, Şile", 1, 2, 0);
    const std::string text = ProjectDrawingText(m, false);
    EXPECT_NE(text.find("\n# encoding: utf-8\n"), std::string::npos);
    SaveShapeFile(m, home.path("u.vltx"), 0, false);
    CanvasModel back;
    LoadShapeFile(back, home.path("u.vltx"), 0, 0, 0);
    EXPECT_EQ(describeLayers(back), describeLayers(m));
    EXPECT_EQ(describeDrawing(back), describeDrawing(m));
}

// Files from the older writer and hand-edited files: the reader's defaults and quirks.
TEST(ProjectFile, ReaderRulesForOlderAndPlainFiles)
{
    TempHome home;
    const std::string plain =
        "# Veldor Tolvane - VLT\r\n# old\r\n#\r\n\r\n"
        "WORLD 0.000000 500.000000 0.000000 400.000000\r\n"
        "LAYER 0 Default\r\nLAYER 7   \tRed layer\r\n"
        "LINE 1 2 3 4 7 0 5\r\n"                                   // colour 0: the layer's colour and width
        "RECTANGLE 1 2 3 4 7\r\n"                                  // only coordinates and layer
        "TEXT 5 6 7 1 255 12.000000 0.000000 0 0 0 hello\r\n"      // font "0": the font entry's name
        "TEXT 5 6 7 0 255 12.000000 0.000000 0 0 Arial Black x\r\n"  // an old file's font with a blank
        "UNKNOWN 1 2 3\r\n"
        "POLYLINE 7 5 255 1\r\n1 1\r\n2 2\r\n";                    // count beyond the end of the text
    home.writeFile("old.vlt", plain);
    CanvasModel m;
    const int red = m.AddLayer("Red layer");
    m.SetLayerColor(red, clRed);
    m.SetLayerWidth(red, 3);
    m.AddTextFont("Tahoma,9");
    ASSERT_TRUE(LoadShapeFile(m, home.path("old.vlt"), -1, -1, 2));
    const std::vector<std::string> want = {
        "LINE L1 c255 w3 | 1.000000 2.000000 3.000000 4.000000",
        "RECTANGLE t1 L1 c0 w1 | 1.000000 2.000000 3.000000 4.000000 brush 0/0 value 0.000000",
        "TEXT L1 c255 | 5.000000 6.000000 font#1 'Tahoma' h 12.000000 a 0.000000 b0 i0 [hello]",
        "TEXT L1 c255 | 5.000000 6.000000 font#0 'Arial' h 12.000000 a 0.000000 b0 i0 [Black x]",
        "POLY t5 closed0 L1 c255 w1 | 1.000000,1.000000 2.000000,2.000000",
    };
    EXPECT_EQ(describeDrawing(m), want);
    EXPECT_EQ(m.WorldXMax(), 500);
    EXPECT_EQ(m.WorldYMax(), 400);
    EXPECT_FALSE(LoadShapeFile(m, home.path("missing.vltx"), -1, -1, 0));
    EXPECT_EQ(m.ShapeCount(), 5);
}

TEST(ProjectFile, MergeMapsLayersByNameAndSendsUnknownIdsToDefault)
{
    TempHome home;
    home.writeFile("merge.vlt",
                   "WORLD 10 20 30 40\n"
                   "LAYER 0 Default\nLAYER 1 Runlines\n"
                   "LINE 0 0 1 1 1 255 1\n"
                   "LINE 0 0 2 2 2 255 1\n");  // layer 2 is not in the file
    CanvasModel m;
    const int vessel = m.AddLayer("~~Veldor Vessel");  // id 1 on the canvas
    const int runlines = m.AddLayer("Runlines");       // id 2 on the canvas
    m.AddLine(5, 5, 6, 6, vessel);
    ASSERT_TRUE(LoadShapeFile(m, home.path("merge.vlt"), 0, 0, 2));
    ASSERT_EQ(m.ShapeCount(), 3);
    EXPECT_EQ(m.Shapes()[0]->LayerId, vessel) << "present shapes stay";
    EXPECT_EQ(m.Shapes()[1]->LayerId, runlines) << "file layer 1 lands on the same-named layer";
    EXPECT_EQ(m.Shapes()[2]->LayerId, 0) << "an id the file never declared goes to Default, not the canvas's layer 2";
    EXPECT_EQ(m.LayerCount(), 3);
    EXPECT_EQ(m.WorldXMin(), 10);
    EXPECT_EQ(m.WorldYMax(), 40);
}

TEST(ProjectFile, SelectedOnlyWritesTheSelectionInRed)
{
    CanvasModel m;
    const int a = m.AddLine(0, 0, 1, 1, 0);
    const int b = m.AddLine(2, 2, 3, 3, 0);
    const int c = m.AddCircle(5, 5, 1, 0);
    m.SetShapeColor(c, clBlue);
    m.SelectShape(c, false);
    m.SelectShape(a, true);
    CanvasModel copy;
    LoadProjectDrawingText(copy, ProjectDrawingText(m, true), 0);
    const std::vector<std::string> want = {
        "LINE L0 c255 w1 | 0.000000 0.000000 1.000000 1.000000",
        "CIRCLE L0 c255 w1 | 5.000000 5.000000 1.000000",
    };
    EXPECT_EQ(describeDrawing(copy), want);
    (void)b;
}

// A damaged file must be reported and must leave the drawing exactly as it was.
TEST(ProjectFile, DamagedFilesFailClearlyAndLeaveTheDrawing)
{
    TempHome home;
    CanvasModel source;
    buildFixture(source);
    for (int i = 0; i < 200; ++i) source.AddLine(i, i, i + 1, i + 2, 0);
    SaveShapeFile(source, home.path("good.vltx"), 0, false);
    std::string good;
    ASSERT_TRUE(readFile(home.path("good.vltx"), good));

    std::string flipped = good;
    flipped[flipped.size() / 2] ^= 0x40;
    const struct {
        const char* name;
        std::string bytes;
        const char* says;
    } cases[] = {
        {"truncated", good.substr(0, good.size() - 7), "truncated"},
        {"half", good.substr(0, good.size() / 2), "truncated"},
        {"flipped byte", flipped, "damaged"},
        {"magic only", "VLT1", "truncated"},
        {"trailing bytes", good + "xyz", "after its compressed drawing"},
        {"empty", "", "is empty"},
        {"comments only", "# Veldor Tolvane - VLT\n#\n", "is empty"},
        {"not a drawing", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "not a drawing file"},
    };
    CanvasModel m;
    buildFixture(m);
    const auto before = describeDrawing(m);
    const auto layersBefore = describeLayers(m);
    for (const auto& c : cases) {
        home.writeFile("bad.vltx", c.bytes);
        for (int mode : {0, 2}) {
            try {
                LoadShapeFile(m, home.path("bad.vltx"), 0, 0, mode);
                ADD_FAILURE() << c.name << ": no error";
            } catch (const DrawingFileError& e) {
                EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << c.name << ": " << e.what();
                EXPECT_NE(std::string(e.what()).find("bad.vltx"), std::string::npos) << e.what();
            }
            EXPECT_EQ(describeDrawing(m), before) << c.name;
            EXPECT_EQ(describeLayers(m), layersBefore) << c.name;
        }
    }
}

// A save that fails half-way (here: the file-size limit of the process) leaves the old file whole
// and no temporary file behind.
TEST(ProjectFile, FailedSaveKeepsThePreviousFile)
{
    TempHome home;
    const std::string path = home.path("project.vltx");
    CanvasModel small;
    small.AddLine(1, 2, 3, 4, 0);
    SaveShapeFile(small, path, 0, false);
    std::string before;
    ASSERT_TRUE(readFile(path, before));

    CanvasModel big;
    for (int i = 0; i < 50000; ++i) big.AddLine(i * 1.37, i * 2.71, i * 3.14, i * 0.577, 0);
    {
        vsx::test::FileSizeLimit limit(16 * 1024);
        EXPECT_THROW(SaveShapeFile(big, path, 0, false), DrawingFileError);
    }

    std::string after;
    ASSERT_TRUE(readFile(path, after));
    EXPECT_EQ(after, before);
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(home.root())) files += e.is_regular_file();
    EXPECT_EQ(files, 1) << "no temporary file left behind";
    EXPECT_THROW(SaveShapeFile(small, home.path("no/such/folder/x.vltx"), 0, false), DrawingFileError);
}

// A drawing whose text spans several of the blocks the loader inflates while it parses: the same
// drawing as a load of the whole text, and a damaged copy still fails without touching the canvas.
TEST(ProjectFile, LargeDrawingLoadsWhileItInflates)
{
    TempHome home;
    CanvasModel source;
    const int layer = source.AddLayer("track_fix");
    for (int i = 0; i < 300000; ++i) source.AddLine(512000.123456 + i, 4512000.5 - i * 0.25, 512001 + i, 4511999 - i, layer);
    source.AddPolyline({{1, 2}, {3, 4}, {5, 6}}, layer, 0);
    SaveShapeFile(source, home.path("big.vltx"), 0, false);
    std::string bytes;
    ASSERT_TRUE(readFile(home.path("big.vltx"), bytes));
    const std::string text = ProjectFileText(bytes);
    ASSERT_GT(text.size(), std::size_t(12) << 20);

    CanvasModel whole, streamed;
    LoadProjectDrawingText(whole, text, 0);
    ASSERT_TRUE(LoadShapeFile(streamed, home.path("big.vltx"), 0, 0, 0));
    EXPECT_EQ(describeDrawing(streamed), describeDrawing(whole));
    EXPECT_EQ(streamed.ShapeCount(), 300001);
    EXPECT_NE(streamed.FindShape(150000), nullptr) << "every shape is found by its id";

    home.writeFile("cut.vltx", bytes.substr(0, bytes.size() * 3 / 4));
    EXPECT_THROW(LoadShapeFile(streamed, home.path("cut.vltx"), 0, 0, 2), DrawingFileError);
    EXPECT_EQ(streamed.ShapeCount(), 300001);
}

// Numbers in the drawing files read exactly as the general parser reads them.
TEST(ProjectFile, NumbersReadExactly)
{
    std::vector<std::string> texts = {"0",           "-0.000000",     "512345.678000", "4512345.678901", "+12.5",
                                      ".5",          "-.25",          "12.",           "1e3",            "999999999999999",
                                      "1234567890123456.5", "0.1000000000000000055511151231257827", "7 8", "12abc"};
    std::uint64_t state = 12345;
    for (int i = 0; i < 20000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*f", int(state % 10), double(std::int64_t(state >> 11) % 100000000000LL) / 997.0);
        texts.push_back(buf);
    }
    for (const std::string& t : texts) {
        double fast = 0, general = 0;
        ASSERT_TRUE(filenum::leadingDouble(t, fast)) << t;
        std::string_view s = t;
        if (s[0] == '+') s.remove_prefix(1);
        std::from_chars(s.data(), s.data() + s.size(), general);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(fast), std::bit_cast<std::uint64_t>(general)) << t;
    }
}
