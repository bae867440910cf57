// Point files and the import layer: which lines become points, the labels they get, and the
// layer names an import may never empty.
#include "nav/DrawingImport.h"
#include "support/MissingPeer.h"

#include <gtest/gtest.h>

#include <clocale>

using namespace vsx;

TEST(DrawingImport, PointFileLines)
{
    // Longer than the 1024 bytes a line buffer would cut it into, with a digit where a cut falls.
    const std::string longLine = "1 " + std::string(1020, ' ') + "2 3 4.5" + std::string(1200, ' ') + "6";
    const std::string text = "Easting,Northing,Elevation\r\n"
                             "7,500100.5,4400200.25,-3.456\r\n"
                             "500000\t4400000\t12.1\n"
                             "500001 4400001\n"               // two numbers
                             " 500002 4400002 1\n"            // indented
                             ".5 4400003 1\n"                 // starts with '.'
                             "# 500004 4400004 1\n"
                             "/ 500005 4400005 1\n"
                             "0 0 5\n"                        // at the origin
                             "+inf 1 2\n"
                             "1 nan 2\n"
                             "3 4 1e999\n"
                             "+500006,-4400006,+7.5,extra words\n"
                             "500007 4400007 8 abc\n"
                             "500008 4400008 abc 9\n" +
                             longLine + "\n" +
                             "500009 4400009 10";             // no line end
    const std::vector<XyzPoint> points = ParseXyzText(text);
    const std::vector<std::array<double, 3>> expected = {{500100.5, 4400200.25, -3.456}, {500000, 4400000, 12.1},
                                                         {500006, -4400006, 7.5},       {500007, 4400007, 8},
                                                         {2, 3, 4.5},  // the long line, identifier 1
                                                         {500009, 4400009, 10}};
    ASSERT_EQ(points.size(), expected.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(points[i].E, expected[i][0]) << i;
        EXPECT_EQ(points[i].N, expected[i][1]) << i;
        EXPECT_EQ(points[i].Z, expected[i][2]) << i;
    }

    CanvasModel m;
    const int layer = m.AddLayer("pts");
    AddXyzPoints(m, layer, {points[0]});
    const auto ids = m.GetLayerShapeIds(layer);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(m.GetPointSize(ids[0]), 1);
    EXPECT_EQ(m.GetShapeWidth(ids[0]), 1);
    double x = 0, y = 0;
    std::string label;
    ASSERT_TRUE(m.GetText(ids[1], x, y, label));
    EXPECT_EQ(label, "-3.46");
    EXPECT_EQ(x, 500100.5);
    EXPECT_EQ(m.GetTextHAlign(ids[1]), 1);
    EXPECT_EQ(m.GetTextVAlign(ids[1]), 1);
}

TEST(DrawingImport, NumbersIgnoreTheLocale)
{
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "tr_TR.UTF-8")) VSX_SKIP_MISSING() << "no Turkish locale";
    const std::vector<XyzPoint> points = ParseXyzText("500100.5 4400200.25 -3.456\n");
    std::setlocale(LC_NUMERIC, saved.c_str());
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].E, 500100.5);
}

TEST(DrawingImport, ReservedLayerNamesGetAPrefix)
{
    struct Case {
        const char* stem;
        const char* layer;
    } cases[] = {
        {"soundings day2", "soundings day2"},   {"track_fix", "import_track_fix"},
        {"TRACK_float", "import_TRACK_float"},  {"tracks", "import_tracks"},
        {"Veldor Grid", "import_Veldor Grid"},  {"VELDOR_USERSHAPE", "import_VELDOR_USERSHAPE"},
        {"~~Veldor Vessel", "import_~~Veldor Vessel"}, {"veldor_route", "import_veldor_route"},
        {"Veldor_Runlines", "import_Veldor_Runlines"}, {"_dxf_plan", "import__dxf_plan"},
        {"event_number", "import_event_number"}, {"default", "import_default"},
        {"my tracks", "my tracks"},             {"İskele", "İskele"},
    };
    for (const Case& c : cases) EXPECT_EQ(ImportLayerName(c.stem), c.layer) << c.stem;

    CanvasModel m;
    const int user = m.AddLayer("veldor_usershape");
    const int old = m.AddLayer("survey");
    m.AddPoint(1, 1, old);
    m.SetCurrentLayer(user);
    EXPECT_EQ(PrepareImportLayer(m, "survey"), old);
    EXPECT_EQ(m.LayerShapeCount(old), 0);
    EXPECT_EQ(m.GetLayerOption(old), 15);
    const int fresh = PrepareImportLayer(m, "new one");
    EXPECT_GE(fresh, 0);
    EXPECT_EQ(m.CurrentLayer(), user) << "the user's next shape does not go onto an import layer";
}
