// Canvas editing, selection and view: deleting, the selection list and hash, polygon selection,
// the nearest line, numeric labels, zoom, extents, pan, centre, resize and rotation.
#include "canvas/CanvasModel.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>

namespace vsx {
namespace {

const WorldPoints kSquare{{0, 0}, {100, 0}, {100, 100}, {0, 100}};

TEST(CanvasDelete, LayerDeletionAndIdRestart)
{
    CanvasModel m;
    const int track = m.AddLayer("track_fix");
    const int a = m.AddLine(0, 0, 1, 1, track);
    const int b = m.AddLine(0, 0, 1, 1, 0);
    const int c = m.AddLine(0, 0, 1, 1, track);
    m.SelectShape(a, false);
    m.SelectShape(b, true);

    for (int unknown : {42, -2}) {
        m.DeleteLayerShapes(unknown);
        EXPECT_EQ(m.ShapeCount(), 3) << unknown;
    }

    m.DeleteLayerShapes(track);
    EXPECT_EQ(m.GetShapeIds(), std::vector<std::int32_t>{b});
    EXPECT_EQ(m.GetSelectedIds(), std::vector<std::int32_t>{b});
    EXPECT_EQ(m.SelectedCount(), 1);
    EXPECT_EQ(m.FindShape(a), nullptr);
    EXPECT_EQ(m.FindShape(c), nullptr);
    EXPECT_EQ(m.LayerShapeCount(track), 0);
    EXPECT_EQ(m.AddPoint(0, 0, 0), 4) << "a layer deletion leaves the id counter alone";

    // -1: every shape of every layer, the selection with them, and ids from 1 again.
    m.AddLine(0, 0, 1, 1, track);
    m.DeleteLayerShapes(-1);
    EXPECT_EQ(m.ShapeCount(), 0);
    EXPECT_EQ(m.LayerShapeCount(track), 0);
    EXPECT_EQ(m.LayerShapeCount(0), 0);
    EXPECT_EQ(m.SelectionListCount(), 0);
    EXPECT_EQ(m.SelectedCount(), 0);
    EXPECT_NE(m.FindLayerById(track), nullptr) << "the layers stay";
    EXPECT_EQ(m.AddLine(0, 0, 1, 1, 0), 1) << "deleting everything restarts ids at 1";
}

TEST(CanvasDelete, ByNameSelectedAndSingle)
{
    CanvasModel m;
    const int user = m.AddLayer("Veldor_UserShape");
    const int s1 = m.AddPoint(0, 0, user), s2 = m.AddPoint(1, 1, 0), s3 = m.AddPoint(2, 2, 0), s4 = m.AddPoint(3, 3, 0);
    m.DeleteLayerShapesByName("veldor_usershape");
    EXPECT_EQ(m.ShapeCount(), 4) << "names match case-sensitively";
    m.DeleteLayerShapesByName("Veldor_UserShape");
    EXPECT_EQ(m.FindShape(s1), nullptr);

    m.SelectShape(s2, false);
    m.SelectShape(s4, true);
    m.SelectShape(s4, true);
    m.DeleteSelected();
    EXPECT_EQ(m.GetShapeIds(), std::vector<std::int32_t>{s3});
    EXPECT_EQ(m.SelectionListCount(), 0);
    EXPECT_EQ(m.SelectedCount(), 0);

    const int s5 = m.AddPoint(4, 4, 0);
    m.SelectShape(s5, false);
    m.DeleteShape(s5);
    EXPECT_EQ(m.SelectionListCount(), 0);
    EXPECT_EQ(m.GetShapeIds(), std::vector<std::int32_t>{s3});
    m.DeleteShape(s5);  // gone already: nothing
    m.SelectShape(s3, false);
    m.RemoveSelected();
    EXPECT_EQ(m.ShapeCount(), 0);
}

TEST(CanvasDelete, ClearAllRemovesShapesAndLayers)
{
    CanvasModel m;
    m.AddLayer("a");
    m.AddLayer("b");
    m.AddLine(0, 0, 1, 1, 2);
    m.ClearAll();
    EXPECT_EQ(m.ShapeCount(), 0);
    EXPECT_EQ(m.LayerCount(), 1);
    EXPECT_EQ(m.FindLayer("Default"), 0);
    EXPECT_EQ(m.NextLayerId(), 1);
    EXPECT_EQ(m.AddLayer("c"), 1);
    EXPECT_EQ(m.AddPoint(0, 0, 1), 1);
}

TEST(CanvasSelection, ListFlagsAndRepeats)
{
    CanvasModel m;
    for (int i = 0; i < 8; ++i) m.AddPoint(i, i, 0);
    m.SelectShape(7, true);
    m.SelectShape(7, true);
    EXPECT_EQ(m.SelectedCount(), 1);
    EXPECT_EQ(m.SelectionListCount(), 2);
    m.UnselectShape(7);
    EXPECT_EQ(m.SelectionListCount(), 0);
    EXPECT_FALSE(m.IsShapeSelected(7));

    m.SelectShape(3, false);
    m.SelectShape(5, false);
    EXPECT_EQ(m.GetSelectedIds(), std::vector<std::int32_t>{5});
    EXPECT_FALSE(m.IsShapeSelected(3));
    m.SelectShape(99, false);
    EXPECT_EQ(m.GetSelectedIds(), std::vector<std::int32_t>{5}) << "an unknown id changes nothing";

    m.SelectAll();
    m.SelectAll();
    EXPECT_EQ(m.SelectedCount(), 8);
    EXPECT_EQ(m.SelectionListCount(), 17) << "SelectAll appends without clearing";
    m.MoveSelected(10, 0);
    double x, y;
    m.GetPoint(5, x, y);
    EXPECT_EQ(x, 14) << "a shape listed three times moves once";
    m.ClearSelection();
    EXPECT_EQ(m.SelectedCount(), 0);
    EXPECT_EQ(m.SelectionListCount(), 0);
}

TEST(CanvasSelection, Layers)
{
    CanvasModel m;
    const int a = m.AddLayer("a"), b = m.AddLayer("b");
    const int p1 = m.AddPoint(0, 0, a), p2 = m.AddPoint(0, 0, b), p3 = m.AddPoint(0, 0, a);
    m.SelectLayer(a, false);
    EXPECT_EQ(m.GetSelectedIds(), (std::vector<std::int32_t>{p1, p3}));
    m.SelectLayer(b, true);
    EXPECT_EQ(m.SelectedCount(), 3);
    m.UnselectLayer(a);
    EXPECT_EQ(m.GetSelectedIds(), std::vector<std::int32_t>{p2});
    m.SelectLayers({a, b});
    EXPECT_EQ(m.GetSelectedIds(), (std::vector<std::int32_t>{p1, p2, p3}));
    m.SelectLayers({});
    EXPECT_EQ(m.SelectedCount(), 0);
}

TEST(CanvasSelection, HashDependsOnTheSetOnly)
{
    CanvasModel m;
    for (int i = 0; i < 6; ++i) m.AddPoint(i, i, 0);
    EXPECT_EQ(m.SelectionHash(), 0x811C9DC5u);
    m.SelectShape(3, false);
    m.SelectShape(5, true);
    const std::uint32_t h35 = m.SelectionHash();
    m.SelectShape(5, false);
    m.SelectShape(3, true);
    m.SelectShape(3, true);
    EXPECT_EQ(m.SelectionHash(), h35);
    std::uint32_t expected = 0x811C9DC5u;
    expected = (expected ^ 3u) * 16777619u;
    expected = (expected ^ 5u) * 16777619u;
    EXPECT_EQ(h35, expected ^ (2u * 0x9E3779B1u));
    m.SelectShape(4, true);
    EXPECT_NE(m.SelectionHash(), h35);
}

TEST(CanvasSelection, SelectedLinePoints)
{
    CanvasModel m;
    const int poly = m.AddPolyline({{0, 0}, {1, 1}, {2, 0}}, 0, 0);
    const int line = m.AddLine(5, 5, 6, 6, 0);
    const int point = m.AddPoint(1, 1, 0);
    m.SelectShape(line, true);
    m.SelectShape(point, true);
    m.SelectShape(poly, true);
    const auto lists = m.GetSelectedLinePoints();
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[0].size(), 3u) << "in z-order";
    EXPECT_EQ(lists[1], (WorldPoints{{5, 5}, {6, 6}}));
}

TEST(CanvasSelection, PointInPolygon)
{
    EXPECT_TRUE(CanvasModel::PointInPolygon(50, 50, kSquare));
    EXPECT_FALSE(CanvasModel::PointInPolygon(150, 50, kSquare));
    EXPECT_FALSE(CanvasModel::PointInPolygon(1, 1, {}));
    const WorldPoints ring{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}, {3, 3}, {7, 3}, {7, 7}, {3, 7}, {3, 3}};
    EXPECT_FALSE(CanvasModel::PointInPolygon(5, 5, ring)) << "even-odd";
    EXPECT_TRUE(CanvasModel::PointInPolygon(1, 5, ring));
}

TEST(CanvasSelection, InPolygonTestPointsPerClass)
{
    struct Case {
        const char* what;
        std::function<int(CanvasModel&)> add;
        bool selected;
    } cases[] = {
        {"point inside", [](CanvasModel& m) { return m.AddPoint(50, 50, 0); }, true},
        {"point outside", [](CanvasModel& m) { return m.AddPoint(150, 50, 0); }, false},
        {"line with one end inside", [](CanvasModel& m) { return m.AddLine(50, 50, 500, 500, 0); }, true},
        {"line crossing, ends outside", [](CanvasModel& m) { return m.AddLine(-50, 50, 150, 50, 0); }, false},
        {"polyline vertex inside", [](CanvasModel& m) { return m.AddPolyline({{-10, -10}, {10, 10}, {200, 0}}, 0, 0); }, true},
        {"rectangle with only its centre inside", [](CanvasModel& m) { return m.AddRectangle(-100, -100, 200, 200, 0); }, true},
        {"rectangle corner (X1, Y2) inside", [](CanvasModel& m) { return m.AddRectangle(50, 500, 500, 50, 0); }, true},
        {"circle by its centre", [](CanvasModel& m) { return m.AddCircle(90, 90, 500, 0); }, true},
        {"circle centre outside", [](CanvasModel& m) { return m.AddCircle(150, 50, 80, 0); }, false},
        {"ellipse box centre", [](CanvasModel& m) { return m.AddEllipse(-100, -100, 200, 200, 0); }, true},
        {"text anchor", [](CanvasModel& m) { return m.AddText(0, "x", 10, 10, 0); }, true},
        {"arc middle point", [](CanvasModel& m) { return m.AddArc(-50, 50, 50, 50, 150, 50, 0); }, true},
        {"arc all outside", [](CanvasModel& m) { return m.AddArc(-50, 50, -40, 60, 150, 50, 0); }, false},
    };
    for (const Case& c : cases) {
        CanvasModel m;
        const int id = c.add(m);
        m.SelectInPolygon(kSquare);
        EXPECT_EQ(m.IsShapeSelected(id), c.selected) << c.what;
        EXPECT_EQ(m.SelectionListCount(), c.selected ? 1 : 0) << c.what;
    }
}

TEST(CanvasSelection, InPolygonSkipsThePolygonLayerAndHiddenShapes)
{
    CanvasModel m;
    const int poly = m.AddLayer("Veldor_SelectPoly");
    const int hidden = m.AddLayer("hidden");
    const int drawn = m.AddPolyline(kSquare, poly, 1);
    const int onHidden = m.AddPoint(50, 50, hidden);
    const int invisible = m.AddPoint(50, 50, 0);
    const int wanted = m.AddPoint(60, 60, 0);
    m.SetLayerVisible(hidden, false);
    m.ShapeForUpdate(invisible)->Visible = false;
    m.SelectShape(drawn, false);

    m.SelectInPolygon(kSquare);
    EXPECT_EQ(m.GetSelectedIds(), std::vector<std::int32_t>{wanted});
    EXPECT_FALSE(m.IsShapeSelected(onHidden));

    m.SelectInPolygon({{0, 0}, {100, 100}});
    EXPECT_EQ(m.SelectedCount(), 0) << "two vertices clear the selection and select nothing";
}

TEST(CanvasSelection, InPolygonOnLayersUsesBoxCentres)
{
    CanvasModel m;
    const int a = m.AddLayer("a"), b = m.AddLayer("b");
    const int circle = m.AddCircle(50, 50, 500, a);     // box centre inside
    const int arc = m.AddArc(-50, 50, 50, 300, 150, 50, a);  // box centre (50, 175) outside
    const int other = m.AddPoint(50, 50, b);
    m.SelectInPolygonOnLayers(kSquare, {a});
    EXPECT_EQ(m.GetSelectedIds(), std::vector<std::int32_t>{circle});
    EXPECT_FALSE(m.IsShapeSelected(arc));
    EXPECT_FALSE(m.IsShapeSelected(other));
    m.SelectInPolygonOnLayers(kSquare, {});
    EXPECT_EQ(m.SelectedCount(), 0);
}

TEST(CanvasSelection, NearestLineSkipsTheProgramsOwnLayers)
{
    CanvasModel m;  // 2.5 m per pixel
    const int mine = m.AddLayer("runlines");
    const int near = m.AddLine(0, 2, 100, 2, mine);
    for (const char* name : {"track_fix", "TRACK_float", "~~Vessel1", "Veldor Grid", "EVENT_NUMBER", "Veldor_TempShape",
                             "VELDOR_USERSHAPE", "Veldor_SelectPoly"})
        m.AddLine(0, 0, 100, 0, m.AddLayer(name));
    EXPECT_EQ(m.FindNearestLine(50, 0, 3), near);

    const int closer = m.AddPolyline({{0, 1}, {100, 1}}, mine, 0);
    m.AddPolyline({{0, 0}, {100, 0}, {100, 100}}, mine, 1);  // closed: not a candidate
    EXPECT_EQ(m.FindNearestLine(50, 0, 3), closer);
    const int equal = m.AddLine(0, -1, 100, -1, mine);
    EXPECT_EQ(m.FindNearestLine(50, 0, 3), equal) << "at equal distance the upper shape wins";
    EXPECT_EQ(m.FindNearestLine(50, 20, 3), -1) << "beyond 7.5 m";
    m.SetLayerVisible(mine, false);
    EXPECT_EQ(m.FindNearestLine(50, 0, 3), -1);
}

TEST(CanvasSelection, NumericLabelsVisibility)
{
    CanvasModel m;
    const int depths = m.AddLayer("depths");
    const int names = m.AddLayer("names");
    const int number = m.AddText(depths, " 12.5 ", 0, 0, 0);
    const int point = m.AddPoint(0, 0, depths);
    const int word = m.AddText(names, "A12", 0, 0, 0);
    const int comma = m.AddText(names, "12,5", 0, 0, 0);
    const int otherPoint = m.AddPoint(0, 0, names);
    m.SetNumericLabelsVisible(false);
    EXPECT_FALSE(m.FindShape(number)->Visible);
    EXPECT_FALSE(m.FindShape(point)->Visible);
    EXPECT_TRUE(m.FindShape(word)->Visible);
    EXPECT_TRUE(m.FindShape(comma)->Visible);
    EXPECT_TRUE(m.FindShape(otherPoint)->Visible);
    m.SetNumericLabelsVisible(true);
    EXPECT_TRUE(m.FindShape(point)->Visible);
}

// ---- View ----

TEST(CanvasView, ZoomAtKeepsThePointInPlace)
{
    struct Case {
        double p;
        double width;
    } cases[] = {{0.1, 900}, {-0.1, 1100}, {1.5, 100}, {-20, 10000}, {0, 1000}};
    for (const Case& c : cases) {
        CanvasModel m;
        m.Resize(1000, 1000);
        m.SetWorldWindow(0, 1000, 1000, 0);
        int px0, py0;
        m.WorldToScreen(250, 600, px0, py0);
        m.ZoomAt(c.p, 250, 600);
        EXPECT_NEAR(m.WorldWidth(), c.width, 1e-9) << c.p;
        EXPECT_NEAR(m.WorldHeight(), c.width, 1e-9) << c.p;
        int px, py;
        m.WorldToScreen(250, 600, px, py);
        EXPECT_EQ(px, px0) << c.p;
        EXPECT_EQ(py, py0) << c.p;
    }
    CanvasModel m;
    m.Resize(400, 200);
    m.SetWorldWindow(0, 1000, 1000, 0);
    m.ZoomAt(0.5, 500, 500);
    EXPECT_DOUBLE_EQ(m.WorldHeight(), 250) << "the height follows the control's aspect";
}

TEST(CanvasView, ZoomExtents)
{
    CanvasModel m;  // 400 x 300
    m.SetWorldWindow(5, 6, 7, 8);
    m.ZoomExtents();
    EXPECT_EQ(m.WorldXMin(), 0);
    EXPECT_EQ(m.WorldXMax(), 1000);
    EXPECT_EQ(m.WorldYMax(), 1000);

    m.AddPoint(100, 200, 0);  // box 97..103 x 197..203, grown to 96.7..103.3
    m.ZoomExtents();
    EXPECT_NEAR(m.WorldYMin(), 196.7, 1e-9);
    EXPECT_NEAR(m.WorldYMax(), 203.3, 1e-9);
    EXPECT_NEAR(m.WorldWidth(), 6.6 * 400 / 300, 1e-9) << "widened to the control's aspect";
    EXPECT_NEAR((m.WorldXMin() + m.WorldXMax()) / 2, 100, 1e-9);

    m.AddLine(1e16, 0, 1e16 + 1, 1, 0);  // ignored
    const int hidden = m.AddLine(-5000, 0, -4000, 1, 0);
    m.ShapeForUpdate(hidden)->Visible = false;
    m.AddLine(0, 200, 300, 200, 0);      // wide and flat: keeps x, height from the aspect
    m.ZoomExtents();
    EXPECT_NEAR(m.WorldXMin(), -15, 1e-9);
    EXPECT_NEAR(m.WorldXMax(), 315, 1e-9);
    EXPECT_NEAR(m.WorldHeight(), 330 * 300 / 400.0, 1e-9);

    CanvasModel flat;
    flat.AddLine(0, 5, 10, 5, 0);
    flat.ZoomExtents();
    EXPECT_NEAR(flat.WorldWidth(), 11, 1e-9) << "a zero-height box still fits by its width";
    EXPECT_NEAR(flat.WorldYMin() + flat.WorldYMax(), 10, 1e-9);
    CanvasModel spot;
    spot.AddLine(7, 7, 7, 7, 0);
    spot.ZoomExtents();
    EXPECT_EQ(spot.WorldXMax(), 1000) << "a single spot falls back to 0..1000";

    CanvasModel zero;
    zero.Resize(0, 0);
    zero.AddPoint(0, 0, 0);
    zero.ZoomExtents();
    EXPECT_TRUE(std::isfinite(zero.WorldXMin()) && std::isfinite(zero.WorldYMax()));
}

TEST(CanvasView, PanCentreWindowAndNonFiniteInput)
{
    CanvasModel m;
    m.Pan(10, -5);
    EXPECT_EQ(m.WorldXMin(), 10);
    EXPECT_EQ(m.WorldYMax(), 995);
    m.CenterAt(0, 0);
    EXPECT_EQ(m.WorldXMin(), -500);
    EXPECT_EQ(m.WorldYMin(), -500);
    m.SetWorldWindow(1, 4, 3, 2);
    EXPECT_EQ(m.WorldXMin(), 1);
    EXPECT_EQ(m.WorldYMax(), 4);
    EXPECT_EQ(m.WorldXMax(), 3);
    EXPECT_EQ(m.WorldYMin(), 2);

    const double nan = std::nan("");
    m.CenterAt(nan, 0);
    m.Pan(INFINITY, 0);
    m.SetWorldWindow(0, nan, 1, 0);
    m.ZoomAt(0.1, nan, 0);
    m.SetRotation(nan);
    EXPECT_EQ(m.WorldXMin(), 1);
    EXPECT_EQ(m.WorldXMax(), 3);
    EXPECT_EQ(m.GetRotation(), 0);
}

TEST(CanvasView, ResizeKeepsTheLargerDimension)
{
    CanvasModel m;
    m.SetWorldWindow(0, 1000, 1000, 0);
    m.Resize(800, 400);  // window 1:1 is narrower than 2:1: the height stays
    EXPECT_DOUBLE_EQ(m.WorldHeight(), 1000);
    EXPECT_DOUBLE_EQ(m.WorldWidth(), 2000);
    EXPECT_DOUBLE_EQ(m.WorldXMin(), -500);
    m.Resize(400, 400);  // 2:1 is wider than 1:1: the width stays
    EXPECT_DOUBLE_EQ(m.WorldWidth(), 2000);
    EXPECT_DOUBLE_EQ(m.WorldHeight(), 2000);
    m.Resize(0, 400);
    EXPECT_DOUBLE_EQ(m.WorldWidth(), 2000) << "no change while the control has no size";
}

TEST(CanvasView, Rotation)
{
    CanvasModel m;
    int reports = 0;
    m.SetChangeHandler([&](CanvasChange) { ++reports; });
    m.SetRotation(0);
    EXPECT_EQ(reports, 0) << "an unchanged value does nothing";
    m.SetRotation(30);
    EXPECT_EQ(m.GetRotation(), 30);
    m.ClearRotationCenter();
    EXPECT_EQ(reports, 1);
    m.SetRotationCenter(5, 6);
    EXPECT_TRUE(m.UseRotationCenter());
    EXPECT_EQ(m.RotationCenterY(), 6);
    m.ClearRotationCenter();
    EXPECT_FALSE(m.UseRotationCenter());
}

} // namespace
} // namespace vsx
