// The main map's interaction rules without a window: the right button (menu or measure), the
// polygon selection of tracks and shapes, clearing the track by fix class, and where a new
// drawing goes.
#include "canvas/CanvasModel.h"
#include "canvas/CanvasTools.h"
#include "nav/MapSelection.h"
#include "nav/RightButtonGesture.h"
#include "nav/TrackClearing.h"

#include <gtest/gtest.h>

#include <string>

using namespace vsx;

TEST(RightButton, BearingIsClockwiseFromGridNorth)
{
    const struct {
        double dx, dy, bearing;
    } rows[] = {{0, 1, 0}, {1, 1, 45}, {1, 0, 90}, {1, -1, 135}, {0, -1, 180}, {-1, 0, 270}, {-1, 1, 315}, {0, 0, 0},
                {-1e-9, 1, 360 - 5.7295779513e-8}};
    for (const auto& r : rows) EXPECT_NEAR(GridBearingDegrees(r.dx, r.dy), r.bearing, 1e-9) << r.dx << "," << r.dy;
}

TEST(RightButton, ClickShowsTheMenuDragMeasuresAndAFinishingClickShowsNothing)
{
    using R = RightButtonGesture::Release;
    RightButtonGesture g;
    // 16 squared pixels is still a click.
    g.Press(100, 100, false);
    g.PressWorld(500, 600);
    EXPECT_FALSE(g.Move(104, 100, true));
    EXPECT_EQ(g.ReleaseRight(), R::ShowMenu);

    // 17 squared pixels is a drag: the measure starts at the press's world point.
    g.Press(100, 100, false);
    g.PressWorld(0, 600);
    EXPECT_FALSE(g.Move(110, 110, false)) << "only with the right button held";
    EXPECT_TRUE(g.Move(104, 101, true));
    EXPECT_FALSE(g.Move(140, 140, true)) << "starts once";
    RightButtonGesture::MeasureEnd end;
    ASSERT_TRUE(g.MeasureTo(3, 604, end)) << "a measure from a zero easting still measures";
    EXPECT_DOUBLE_EQ(end.distance, 5);
    EXPECT_NEAR(end.bearing, 36.8698976, 1e-6);
    EXPECT_EQ(g.ReleaseRight(), R::EndMeasure);
    EXPECT_FALSE(g.MeasureTo(1, 1, end));

    // The press that finishes a polygon neither measures nor opens the menu.
    g.Press(100, 100, true);
    EXPECT_FALSE(g.Move(150, 150, true));
    EXPECT_EQ(g.ReleaseRight(), R::Swallow);
    g.Press(100, 100, false);
    EXPECT_EQ(g.ReleaseRight(), R::ShowMenu) << "the next click is a click again";
}

namespace {

// Track segments at x = 0..9 on each track layer (fix, float, nofix at y = 0, 10, 20) and user
// shapes at y = 5.
struct TrackedMap {
    TrackedMap()
    {
        const char* layers[] = {"track_fix", "track_float", "track_nofix"};
        for (int l = 0; l < 3; ++l) {
            const int id = m.AddLayer(layers[l]);
            for (int x = 0; x < 10; ++x) m.AddLine(x, l * 10, x + 1, l * 10, id);
        }
        user = m.AddLayer("veldor_usershape");
        for (int x = 0; x < 10; ++x) m.AddPoint(x + 0.5, 5, user);
    }
    CanvasModel m;
    int user = -1;
};

const WorldPoints kAroundFixAndUser{{-1, -1}, {5.2, -1}, {5.2, 6}, {-1, 6}};

} // namespace

TEST(TrackClearing, EachCommandEmptiesOnlyTheLayerItsQuestionNames)
{
    const struct {
        TrackClass kind;
        const char* layer;
        const char* names;
    } rows[] = {{TrackClass::Fixed, "track_fix", "RTK fixed"},
                {TrackClass::Float, "track_float", "RTK float, DGPS and PPS"},
                {TrackClass::NoFix, "track_nofix", "Autonomous"}};
    for (const auto& r : rows) {
        TrackedMap t;
        EXPECT_NE(std::string(TrackClearingFor(r.kind).question).find(r.names), std::string::npos) << r.layer;
        EXPECT_EQ(ClearTrackLayer(t.m, r.kind), 10);
        for (const char* l : {"track_fix", "track_float", "track_nofix"})
            EXPECT_EQ(t.m.LayerShapeCount(t.m.FindLayer(l)), std::string(l) == r.layer ? 0 : 10) << l;
        EXPECT_EQ(t.m.LayerShapeCount(t.user), 10);
    }
    CanvasModel empty;
    EXPECT_EQ(ClearTrackLayer(empty, TrackClass::Fixed), 0) << "a missing layer deletes nothing";
    EXPECT_EQ(std::string(TrackClearingFor(TrackClass::Float).logLine), "Cleared Autonomous tracklines")
        << "the events-log lines stay as they were";
}

TEST(MapSelection, PolygonSelectsTracksOrShapesInTheOrderTheButtonsWerePressed)
{
    // "Select Track" then "Select shapes": only shapes.
    {
        TrackedMap t;
        MapSelection s;
        EXPECT_EQ(s.StartTracks(t.m), "Draw polygon to select tracks (right-click to finish)");
        const int polygonLayer = t.m.FindLayer("Veldor_SelectPoly");
        EXPECT_EQ(t.m.CurrentLayer(), polygonLayer) << "the polygon is drawn on the selection layer";
        s.StartShapes(t.m);
        EXPECT_FALSE(s.TrackSelectMode());
        t.m.AddPolyline(kAroundFixAndUser, polygonLayer, 1);
        const auto f = s.FinishDrawing(t.m, toolcode::Polygon, kAroundFixAndUser);
        EXPECT_TRUE(f.handled);
        EXPECT_EQ(f.status, "%1 shape(s) selected. Press Delete to remove.");
        EXPECT_EQ(f.selected, 11) << "fix segments with an end inside, user points inside";
        EXPECT_EQ(t.m.LayerShapeCount(polygonLayer), 0) << "the polygon itself goes";
        EXPECT_FALSE(s.Armed());
    }
    // "Select shapes" then "Select Track": the first polygon takes tracks only, the next shapes.
    {
        TrackedMap t;
        MapSelection s;
        s.StartShapes(t.m);
        s.StartTracks(t.m);
        EXPECT_TRUE(s.TrackSelectMode() && s.ShapeSelectMode());
        EXPECT_FALSE(s.FinishDrawing(t.m, toolcode::Polyline, kAroundFixAndUser).handled) << "only a polygon selects";
        auto f = s.FinishDrawing(t.m, toolcode::Polygon, kAroundFixAndUser);
        EXPECT_EQ(f.status, "%1 track(s) selected. Press Delete to remove.");
        EXPECT_EQ(f.selected, 6);
        EXPECT_TRUE(s.ShapeSelectMode());
        f = s.FinishDrawing(t.m, toolcode::Polygon, {{100, 100}, {101, 100}, {101, 101}});
        EXPECT_EQ(f.status, "") << "an empty selection clears the status text";
        EXPECT_FALSE(s.Armed());
    }
    // Fewer than three vertices, or no track layers: nothing selected, the status stays.
    {
        TrackedMap t;
        MapSelection s;
        s.StartShapes(t.m);
        const auto f = s.FinishDrawing(t.m, toolcode::Polygon, {{0, 0}, {5, 5}});
        EXPECT_TRUE(f.handled);
        EXPECT_FALSE(f.status.has_value());
        CanvasModel bare;
        s.StartTracks(bare);
        EXPECT_FALSE(s.FinishDrawing(bare, toolcode::Polygon, kAroundFixAndUser).status.has_value());
    }
    // Escape disarms and clears the selection.
    {
        TrackedMap t;
        MapSelection s;
        t.m.SelectAll();
        EXPECT_FALSE(s.Cancel(t.m)) << "nothing armed, nothing to cancel";
        s.StartTracks(t.m);
        EXPECT_TRUE(s.Cancel(t.m));
        EXPECT_EQ(t.m.SelectedCount(), 0);
        EXPECT_FALSE(s.Armed());
    }
}

TEST(MapSelection, NewDrawingsGoOnTheUserLayerUnlessACommandPreparedAnother)
{
    CanvasModel m;
    const int user = m.AddLayer("veldor_usershape");
    const int vessel = m.AddLayer("~~Veldor Vessel");  // what the standard layers leave current
    EXPECT_EQ(MapSelection::DrawingLayer(m, user), user);
    m.SetCurrentLayer(m.AddLayer("imported.dxf"));
    EXPECT_EQ(MapSelection::DrawingLayer(m, user), user);
    const int route = m.AddLayer("Veldor_Route");
    EXPECT_EQ(MapSelection::DrawingLayer(m, user), route) << "the runline generator's route";
    const int polygon = m.AddLayer("Veldor_SelectPoly");
    EXPECT_EQ(MapSelection::DrawingLayer(m, user), polygon);
    m.SetCurrentLayer(vessel);
    EXPECT_EQ(MapSelection::DrawingLayer(m, -1), vessel) << "without a user layer nothing changes";
}
