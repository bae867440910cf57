// The profile graph's model: axes, mapping, drag, lasso, zoom and the points written back.
#include "tools/SvpGraphModel.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vsx;

namespace {
TextLines profile(int deepest, double (*sv)(int))
{
    TextLines lines;
    for (int d = 0; d <= deepest; ++d) lines.push_back(std::to_string(d) + "," + std::to_string(sv(d)) + ",1");
    return lines;
}
} // namespace

TEST(SvpGraphModel, LoadFitAndWrite)
{
    SvpGraphModel m;
    m.LoadPoints(profile(10, [](int d) { return 1480.0 + 1.5 * d; }));
    EXPECT_DOUBLE_EQ(m.SvMin, 1479.25);
    EXPECT_DOUBLE_EQ(m.SvMax, 1495.75);
    EXPECT_EQ(m.DepthMin, 0);
    EXPECT_EQ(m.DepthMax, 10);

    m.LoadPoints({"0,1500,3", "", "1,1500.005", "junk", "2,1500.00,0"});
    ASSERT_EQ(m.Points().size(), 3u) << "empty and unreadable lines are skipped";
    EXPECT_EQ(m.Points()[1].Hits, 1) << "two numbers: one sample";
    EXPECT_DOUBLE_EQ(m.SvMin, 1499.5) << "a span under 10 m/s is widened to 10, then 5 % each side";
    EXPECT_DOUBLE_EQ(m.SvMax, 1500.005 + 0.5);
    EXPECT_EQ(m.WritePoints(), (TextLines{"0,1500.00,3", "1,1500.01,1", "2,1500.00,0"}));
    EXPECT_FALSE(m.DataChanged()) << "loading is no change";

    m.LoadPoints({"7,1500.00,1"});
    EXPECT_EQ(m.DepthMin, 7);
    EXPECT_EQ(m.DepthMax, 7);
    m.SetPlotSize(900, 550);
    EXPECT_EQ(m.Marker(m.Points()[0]).y, SvpGraphModel::kMarginTop) << "an empty depth range maps to the top";
}

TEST(SvpGraphModel, DragChangesTheVelocityWithinLimits)
{
    SvpGraphModel m;
    m.LoadPoints(profile(10, [](int d) { return 1480.0 + d; }));
    m.SetPlotSize(900, 550);
    const PlotPixel p5 = m.Marker(m.Points()[5]);
    EXPECT_EQ(m.HitTest(p5.x + 7, p5.y - 7), 5);
    EXPECT_NE(m.HitTest(p5.x + 8, p5.y), 5);
    m.BeginDrag(5);
    // Pixels for 1720 and 1650 m/s on the axes as loaded.
    const int at1720 = int(m.ScreenX(1720)), at1650 = int(m.ScreenX(1650));
    EXPECT_FALSE(m.DragTo(at1720));
    EXPECT_EQ(m.Points()[5].SV, 1485.0);
    EXPECT_TRUE(m.DragTo(at1650));
    EXPECT_NEAR(m.Points()[5].SV, 1650.0, (m.SvMax - m.SvMin) / 820);
    EXPECT_EQ(m.Points()[5].Depth, 5) << "the depth never moves";
    EXPECT_TRUE(m.DataChanged());
    const double before = m.SvMax;
    m.EndDrag();
    EXPECT_GT(m.SvMax, before) << "releasing refits the axes";
    EXPECT_FALSE(m.Dragging());
}

TEST(SvpGraphModel, LassoSelectsWithTheIntegerEvenOddRule)
{
    SvpGraphModel m;
    m.LoadPoints(profile(10, [](int d) { return 1480.0 + d; }));
    m.SetPlotSize(900, 550);
    // A lasso of two points selects nothing.
    m.BeginLasso(0, 0);
    m.ExtendLasso(900, 550);
    m.EndLasso();
    EXPECT_EQ(m.SelectedCount(), 0);
    // Around the markers of depths 2, 3 and 4.
    const PlotPixel a = m.Marker(m.Points()[2]), b = m.Marker(m.Points()[4]);
    m.BeginLasso(a.x - 10, a.y - 5);
    EXPECT_FALSE(m.ExtendLasso(a.x - 8, a.y - 3)) << "within three pixels of the last point";
    m.ExtendLasso(b.x + 10, a.y - 5);
    m.ExtendLasso(b.x + 10, b.y + 5);
    m.ExtendLasso(a.x - 10, b.y + 5);
    EXPECT_TRUE(m.LassoActive());
    m.EndLasso();
    EXPECT_FALSE(m.LassoActive());
    EXPECT_EQ(m.SelectedCount(), 3);
    for (int i : {2, 3, 4}) EXPECT_TRUE(m.Points()[size_t(i)].Selected) << i;

    // The rule against a tiny reference on a triangle, edges included.
    m.BeginLasso(10, 10);
    m.ExtendLasso(50, 10);
    m.ExtendLasso(10, 50);
    auto reference = [](int x, int y) {
        const int px[] = {10, 50, 10}, py[] = {10, 10, 50};
        bool in = false;
        for (int i = 0, j = 2; i < 3; j = i++)
            if ((y < py[i]) != (y < py[j]) && x < px[i] + (y - py[i]) * (px[j] - px[i]) / (py[j] - py[i])) in = !in;
        return in;
    };
    for (int y = 5; y <= 55; y += 5)
        for (int x = 5; x <= 55; x += 5) EXPECT_EQ(m.PointInLasso(x, y), reference(x, y)) << x << "," << y;
    EXPECT_TRUE(m.PointInLasso(20, 20));
    EXPECT_FALSE(m.PointInLasso(45, 45));

    m.DeleteSelected();
    EXPECT_EQ(m.Points().size(), 8u);
    EXPECT_EQ(m.Points()[2].Depth, 5);
    EXPECT_TRUE(m.Lasso().empty());
    EXPECT_TRUE(m.DataChanged());
}

TEST(SvpGraphModel, WheelZoomAboutTheCursor)
{
    SvpGraphModel m;
    m.LoadPoints(profile(100, [](int d) { return 1480.0 + 0.1 * d; }));
    m.SetPlotSize(900, 550);
    const double sv0 = m.SvMax - m.SvMin, d0 = m.DepthMax - m.DepthMin;
    const double underSv = m.SvAt(300), underDepth = m.DepthAt(200);
    m.Zoom(true, 300, 200);
    m.Zoom(true, 300, 200);
    EXPECT_NEAR(m.SvMax - m.SvMin, std::max(5.0, sv0 * 0.81), 1e-9);
    EXPECT_NEAR(m.DepthMax - m.DepthMin, d0 * 0.81, 1e-9);
    EXPECT_NEAR(m.SvAt(300), underSv, 1e-9) << "the value under the cursor stays there";
    EXPECT_NEAR(m.DepthAt(200), underDepth, 1e-9);
    for (int i = 0; i < 100; ++i) m.Zoom(true, 300, 200);
    EXPECT_NEAR(m.DepthMax - m.DepthMin, 5.0, 1e-9) << "no span below 5";
    for (int i = 0; i < 10000; ++i) m.Zoom(false, 300, 200);
    EXPECT_NEAR(m.DepthMax - m.DepthMin, SvpGraphModel::kMaxSpan, 1e-6) << "zooming out stops";
    EXPECT_LE(m.DepthGridLines().size(), size_t(SvpGraphModel::kMaxGridLines));
    EXPECT_LE(m.SvGridLines().size(), size_t(SvpGraphModel::kMaxGridLines));

    // A single depth has no span to place the cursor in: the zoom stays finite.
    m.LoadPoints({"3,1500.00,1"});
    m.Zoom(true, 300, 200);
    EXPECT_TRUE(std::isfinite(m.DepthMin) && std::isfinite(m.DepthMax));
    EXPECT_NEAR(m.DepthMax - m.DepthMin, 5.0, 1e-9);
}

TEST(SvpGraphModel, GridLinesFollowTheDesign)
{
    SvpGraphModel m;
    m.LoadPoints(profile(300, [](int d) { return 1480.0 + 0.1 * d; }));
    m.SetPlotSize(900, 550);
    const std::vector<double> depth = m.DepthGridLines();
    ASSERT_GE(depth.size(), 2u);
    EXPECT_EQ(depth[1] - depth[0], 50.0) << "a range over 200 m: every 50 m";
    const std::vector<double> sv = m.SvGridLines();
    ASSERT_GE(sv.size(), 2u);
    EXPECT_EQ(sv[1] - sv[0], 10.0);
    EXPECT_EQ(std::fmod(sv[0], 10.0), 0.0);
}
