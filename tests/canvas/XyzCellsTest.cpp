#include "canvas/XyzCells.h"

#include "DrawingTestSupport.h"
#include "canvas/FileNumbers.h"
#include "support/MissingPeer.h"
#include "support/TempHome.h"

#include <QStandardPaths>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <random>

using namespace vsx;
using vsx::test::TempHome;

namespace {

std::string grid5x5(const char* separator)
{
    std::string out;
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 5; ++col) {
            out += std::to_string(1000 + 2 * col) + separator + std::to_string(2000 + 2 * row) + separator +
                   std::to_string(row * 5 + col) + "\n";
        }
    return out;
}

}  // namespace

TEST(XyzCells, RegularGridBecomesColouredCells)
{
    TempHome home;
    home.writeFile("grid.xyz", "# x,y,z\n" + grid5x5(","));
    home.writeFile("grid_blank.xyz", "; survey grid\r\n\r\n" + grid5x5(" "));
    for (const char* name : {"grid.xyz", "grid_blank.xyz"}) {
        CanvasModel m;
        const int layer = m.AddLayer("depth");
        ASSERT_TRUE(ImportXyzCells(m, home.path(name), layer, 0, 0)) << name;
        ASSERT_EQ(m.ShapeCount(), 25) << name;
        const auto* first = dynamic_cast<const TVRectangle*>(m.Shapes()[0]);
        const auto* last = dynamic_cast<const TVRectangle*>(m.Shapes()[24]);
        ASSERT_TRUE(first && last) << name;
        EXPECT_EQ(first->X1, 999);
        EXPECT_EQ(first->Y1, 1999);
        EXPECT_EQ(first->X2, 1001);
        EXPECT_EQ(first->Y2, 2001);
        EXPECT_EQ(first->Value, 0);
        EXPECT_EQ(first->PenColor, clRed);
        EXPECT_EQ(first->BrushColor, clRed);
        EXPECT_EQ(first->BrushStyle, 0);
        EXPECT_EQ(first->PenWidth, 0);
        EXPECT_EQ(last->BrushColor, clBlue);
        EXPECT_EQ(last->LayerId, layer);
        EXPECT_LT(m.WorldXMin(), 999) << "the view fits the cells";
    }
}

// GDAL's XYZ driver, an independent reader, finds the same cell size.
TEST(XyzCells, GridSpacingAgreesWithGdal)
{
    if (QStandardPaths::findExecutable("gdalinfo").isEmpty()) VSX_SKIP_MISSING() << "GDAL's gdalinfo is not installed";
    TempHome home;
    home.writeFile("grid.xyz", grid5x5(","));  // GDAL takes no comment lines
    const auto r = vsx::test::runProgram("gdalinfo", {home.path("grid.xyz")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Pixel Size = (2.000000000000000,2.000000000000000)"), std::string::npos) << r.out;
    std::vector<XyzPoint> pts;
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 5; ++col) pts.push_back({1000.0 + 2 * col, 2000.0 + 2 * row, 0});
    const XyzGrid grid = DetectXyzGrid(pts);
    EXPECT_TRUE(grid.IsGrid);
    EXPECT_EQ(grid.Dx, 2);
    EXPECT_EQ(grid.Dy, 2);
}

TEST(XyzCells, PointsThatAreNoGridStayPoints)
{
    TempHome home;
    std::string ten;
    for (int i = 0; i < 10; ++i) ten += std::to_string(2 * (i % 5)) + " " + std::to_string(2 * (i / 5)) + " 5\n";
    // Scattered soundings with centimetre coordinates: every difference is a multiple of 0.01,
    // which once made them a "grid" of 1 cm cells, invisible on the map.
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> coord(0, 1000);
    std::string scattered;
    for (int i = 0; i < 2000; ++i) {
        std::string line;
        filenum::appendFixed(line, 500000 + coord(rng), 2);
        line += ' ';
        filenum::appendFixed(line, 4500000 + coord(rng), 2);
        scattered += line + " " + std::to_string(i % 30) + "\n";
    }
    home.writeFile("ten.xyz", ten);
    home.writeFile("scattered.xyz", scattered);
    home.writeFile("equal.xyz", "1 1 4\n5 9 4\n17 3 4\nnan 1 2\n1 2\n");
    const struct {
        const char* name;
        int count;
    } cases[] = {{"ten.xyz", 10}, {"scattered.xyz", 2000}, {"equal.xyz", 3}};
    for (const auto& c : cases) {
        CanvasModel m;
        ASSERT_TRUE(ImportXyzCells(m, home.path(c.name), 0, 0, 0)) << c.name;
        ASSERT_EQ(m.ShapeCount(), c.count) << c.name;
        for (const TVShape* s : m.Shapes()) {
            const auto* p = dynamic_cast<const TVPoint*>(s);
            ASSERT_NE(p, nullptr) << c.name;
            EXPECT_EQ(p->Size, 1);
            EXPECT_EQ(p->PenWidth, 0);
            EXPECT_EQ(p->MaxX - p->MinX, 6);
        }
        if (std::string(c.name) == "equal.xyz") {
            for (const TVShape* s : m.Shapes()) EXPECT_EQ(s->PenColor, clRed) << "all z equal: a = 0";
        }
    }
    CanvasModel m;
    EXPECT_FALSE(ImportXyzCells(m, home.path("missing.xyz"), 0, 0, 0));
    home.writeFile("empty.xyz", "# nothing\n;\n");
    EXPECT_FALSE(ImportXyzCells(m, home.path("empty.xyz"), 0, 0, 0));
    EXPECT_EQ(m.ShapeCount(), 0);
}

TEST(XyzCells, DepthRampAndPlaneHelpers)
{
    const struct {
        double z;
        ColorValue colour;
    } ramp[] = {{0, clRed}, {25, clYellow}, {50, clLime}, {75, clAqua}, {100, clBlue},
                {-5, clRed}, {250, clBlue}, {12.5, rgbColor(255, 127, 0)}, {NAN, clRed}};
    for (const auto& r : ramp) EXPECT_EQ(DepthRampColor(r.z, 0, 100), r.colour) << r.z;
    EXPECT_EQ(DepthRampColor(5, 3, 3), clBlue) << "an empty range divides by 1";

    constexpr double pi = std::numbers::pi;
    const struct {
        double x2, y2, direction;
    } dirs[] = {{1, 0, 0}, {0, 1, pi / 2}, {-1, 0, pi}, {0, -1, 3 * pi / 2}, {1, -1, 7 * pi / 4}, {0, 0, 0}, {1, -1e-300, 0}};
    for (const auto& d : dirs) {
        const double a = PlaneDirection(0, 0, d.x2, d.y2);
        EXPECT_NEAR(a, d.direction, 1e-12) << d.x2 << "," << d.y2;
        EXPECT_LT(a, 2 * pi);
        EXPECT_GE(a, 0);
    }
    EXPECT_EQ(PlaneDistance(1, 2, 4, 6), 5);
}
