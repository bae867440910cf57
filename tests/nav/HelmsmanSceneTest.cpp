// The helmsman map without a window: the corridor and its chainage ticks, the copy of the main
// map's selection, the pointers, following and head-up, the mirrored track and the options kept
// in the settings file.
#include "app/Settings.h"
#include "canvas/CanvasModel.h"
#include "nav/HelmsmanCorridor.h"
#include "nav/HelmsmanScene.h"
#include "nav/HelmsmanSettings.h"
#include "platform/IniFile.h"

#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace vsx;
using namespace vsx::test;

namespace {

std::vector<std::string> labels(const Corridor& c)
{
    std::vector<std::string> out;
    for (const CorridorTick& t : c.ticks) out.push_back(t.label);
    return out;
}

std::vector<std::string> texts(const CanvasModel& m, int layer)
{
    std::vector<std::string> out;
    for (int id : m.GetLayerShapeIds(layer)) {
        double x, y;
        std::string t;
        if (m.GetText(id, x, y, t)) out.push_back(t);
    }
    return out;
}

} // namespace

TEST(HelmsmanCorridor, TicksEvery100MetresEachOnceAlsoOnAVertex)
{
    // 250 m east in one segment; then the same with vertices at exactly 100 m and 200 m and a
    // zero-length segment at 100 m.
    const WorldPoints straight{{0, 0}, {250, 0}};
    const WorldPoints broken{{0, 0}, {100, 0}, {100, 0}, {100, 100}, {150, 100}};
    const std::vector<std::string> kp{"KP0", "KP100", "KP200"};
    EXPECT_EQ(labels(BuildCorridor(straight, 10)), kp);
    const Corridor c = BuildCorridor(broken, 10);
    EXPECT_EQ(labels(c), kp);
    EXPECT_EQ(labels(BuildCorridor({{0, 0}, {200, 0}}, 10)), kp) << "the last metre of the line counts";

    // Geometry: the 100 m tick lies across the first segment's end, the 200 m tick on the third.
    ASSERT_EQ(c.ticks.size(), 3u);
    EXPECT_NEAR(c.ticks[1].from.X, 100, 1e-9);
    EXPECT_NEAR(c.ticks[1].from.Y, 10, 1e-9);
    EXPECT_NEAR(c.ticks[1].to.Y, -10, 1e-9);
    EXPECT_NEAR(c.ticks[2].from.X, 90, 1e-9) << "left of north-going is west";
    EXPECT_NEAR(c.ticks[2].from.Y, 100, 1e-9);
    EXPECT_NEAR(c.ticks[2].labelAt.X, 88, 1e-9);
    // Edges: left and right of the line at the half-width, the corner's normal averaged.
    ASSERT_EQ(c.left.size(), broken.size());
    EXPECT_NEAR(c.left[0].Y, 10, 1e-9);
    EXPECT_NEAR(c.right[4].Y, 90, 1e-9);
    EXPECT_NEAR(c.left[3].X, 100 - 10 / std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(c.left[3].Y, 100 + 10 / std::sqrt(2.0), 1e-9);
    EXPECT_TRUE(BuildCorridor({{5, 5}}, 10).ticks.empty());
}

TEST(HelmsmanCorridor, ChainageRunsFromBehindTheVesselAndTheWidthFallsBack)
{
    const WorldPoints line{{0, 0}, {0, 300}};
    // Heading north from the south end: the line stays; heading south from the north end (or
    // from below, looking away): it turns round.
    EXPECT_EQ(OrientRunline(line, WorldPoint{0, -50}, 0).front(), (WorldPoint{0, 0}));
    EXPECT_EQ(OrientRunline(line, WorldPoint{5, 150}, 180).front(), (WorldPoint{0, 300}));
    EXPECT_EQ(OrientRunline(line, WorldPoint{10, 150}, 175).front(), (WorldPoint{0, 300}));
    EXPECT_EQ(OrientRunline(line, std::nullopt, 180).front(), (WorldPoint{0, 0})) << "no vessel, no turn";

    EXPECT_EQ(CorridorHalfWidth(25, 40), 25);
    EXPECT_EQ(CorridorHalfWidth(0, 40), 40) << "a radius of 0 takes the stored one";
    EXPECT_EQ(CorridorHalfWidth(std::nullopt, 0), 10) << "and 10 when that is 0 or less";
    EXPECT_EQ(CorridorHalfWidth(-3, -1), 10);
}

namespace {

// A main map with a selected 250 m run line among other shapes, and a helmsman map with a
// mirrored track of its own.
struct Maps {
    Maps() : scene(helm)
    {
        runlines = main.AddLayer("Veldor_Runlines");
        line = main.AddPolyline({{1000, 2000}, {1000, 2250}}, runlines, 0);
        main.AddLine(0, 0, 5, 5, runlines);
        main.SetWorldWindow(900, 2300, 1100, 1900);
        in.vesselEasting = 1000;
        in.vesselNorthing = 1900;
        in.gridHeading = 0;
        in.halfWidth = 15;
        in.symbol = {2, 5, 10, 40, 8};
        scene.MirrorTrack("track_fix", 0x00FF00, 3, {1000, 1890}, {1000, 1880}, true);
    }
    CanvasModel main, helm;
    HelmsmanScene scene;
    HelmsmanInputs in;
    int runlines = -1, line = -1;
};

} // namespace

TEST(HelmsmanScene, TheCopyReplacesTheLastCopyAndKeepsTheHelmsmansTrack)
{
    Maps m;
    m.main.SelectShape(m.line, false);
    EXPECT_TRUE(m.scene.CopyIfSelectionChanged(m.main, m.in));
    EXPECT_FALSE(m.scene.CopyIfSelectionChanged(m.main, m.in)) << "the same selection is not copied again";
    ASSERT_EQ(m.scene.CopiedIds().size(), 1u);
    const int copy = m.scene.CopiedIds()[0];
    EXPECT_EQ(m.helm.GetShapeColor(copy), ColorValue(255)) << "copied run lines are pure red";
    EXPECT_EQ(m.helm.GetVertexCount(copy), 2);
    EXPECT_EQ(m.helm.WorldXMin(), 0) << "the helmsman's view is kept";

    // The corridor: grey edges, navy ticks, each chainage once.
    const int corridor = m.helm.FindLayer(kHelmCorridorLayer);
    EXPECT_EQ(texts(m.helm, corridor), (std::vector<std::string>{"KP0", "KP100", "KP200"}));
    int edges = 0;
    for (int id : m.helm.GetLayerShapeIds(corridor)) {
        if (m.helm.GetShapeType(id) == 5) {
            ++edges;
            EXPECT_EQ(m.helm.GetShapeColor(id), kCorridorEdgeColor);
            EXPECT_EQ(m.helm.GetShapeWidth(id), 2);
        } else {
            EXPECT_EQ(m.helm.GetShapeColor(id), kCorridorTickColor);
            EXPECT_EQ(m.helm.GetShapeWidth(id), 1);
        }
    }
    EXPECT_EQ(edges, 2);

    // Hidden track, thick lines, another selection: one copy replaces the other, the track stays
    // with its visibility, only the copy is widened.
    m.scene.SetShowTracks(false);
    m.scene.Options.RunlineThick = true;
    m.main.ClearSelection();
    m.main.SelectLayer(m.runlines, false);
    EXPECT_TRUE(m.scene.CopyIfSelectionChanged(m.main, m.in));
    EXPECT_EQ(m.scene.CopiedIds().size(), 2u);
    EXPECT_EQ(m.helm.FindShape(copy), nullptr);
    for (int id : m.scene.CopiedIds()) EXPECT_EQ(m.helm.GetShapeWidth(id), 5);
    const int track = m.helm.FindLayer("track_fix");
    ASSERT_EQ(m.helm.LayerShapeCount(track), 1);
    EXPECT_EQ(m.helm.GetShapeWidth(m.helm.GetLayerShapeIds(track)[0]), 3);
    EXPECT_FALSE(m.helm.GetLayerVisible(track));

    m.scene.CopySelection(m.main, false, m.in);
    EXPECT_EQ(m.helm.WorldXMin(), 900) << "opening the window takes the main map's view";
    m.main.ClearSelection();
    m.scene.CopyIfSelectionChanged(m.main, m.in);
    EXPECT_TRUE(m.scene.CopiedIds().empty());
    EXPECT_EQ(m.helm.LayerShapeCount(m.helm.FindLayer(kHelmCorridorLayer)), 0) << "no selection, no corridor";
}

TEST(HelmsmanScene, VesselPointersFollowingHeadUpAndTheTrack)
{
    Maps m;
    m.main.SelectShape(m.line, false);
    MultiVesselEntry other;
    other.Enabled = true;
    other.HasPosition = true;
    other.Easting = 1200;
    other.Northing = 2100;
    other.Color = 0x00FFFF;
    other.Amount = 0;
    other.Interval = 0;
    other.Radious = 0;
    std::vector<MultiVesselEntry> vessels{other};
    m.in.gridHeading = 30;
    m.in.receiverCourse = [](size_t) { return std::optional<double>(90); };
    m.scene.Refresh(&m.main, m.in, vessels);

    // Own vessel: 5 arrow lines, 2 circles, 3 lines per pointer to each end of the line.
    const int own = m.helm.FindLayer(kHelmVesselLayer);
    EXPECT_EQ(m.helm.LayerShapeCount(own), 5 + 2 + 2 * 3);
    // Pointer to the far end (1000, 2250): starts at G = 10 + 5 = 15 m from the antenna, Q = 5 m long.
    bool found = false;
    for (int id : m.helm.GetLayerShapeIds(own)) {
        double x1, y1, x2, y2;
        if (m.helm.GetLine(id, x1, y1, x2, y2) && std::fabs(y1 - 1915) < 1e-9 && std::fabs(y2 - 1920) < 1e-9)
            found = std::fabs(x1 - 1000) < 1e-9;
    }
    EXPECT_TRUE(found);
    // The other vessel in its own colour; heading 0 takes its receiver's course.
    const int extra = m.helm.FindLayer(kHelmExtraVesselLayer);
    ASSERT_EQ(m.helm.LayerShapeCount(extra), 5);
    for (int id : m.helm.GetLayerShapeIds(extra)) EXPECT_EQ(m.helm.GetShapeColor(id), ColorValue(0x00FFFF));

    // Follow the own vessel head-up; then vessel 2 (pointers go with it); then north up.
    EXPECT_NEAR((m.helm.WorldXMin() + m.helm.WorldXMax()) / 2, 1000, 1e-6);
    EXPECT_NEAR((m.helm.WorldYMin() + m.helm.WorldYMax()) / 2, 1900, 1e-6);
    EXPECT_EQ(m.helm.GetRotation(), 30);
    m.scene.Options.FollowTarget = 1;
    m.scene.Refresh(&m.main, m.in, vessels);
    EXPECT_NEAR((m.helm.WorldXMin() + m.helm.WorldXMax()) / 2, 1200, 1e-6);
    EXPECT_EQ(m.helm.GetRotation(), 90);
    EXPECT_EQ(m.helm.LayerShapeCount(own), 5 + 2) << "no pointers from the own vessel now";
    // The default pointer sizes: G = 10, Q = 4.5, arrow head 1.35.
    EXPECT_EQ(m.helm.LayerShapeCount(extra), 5 + 2 * 3);
    m.scene.Options.HeadUp = false;
    m.scene.Options.Follow = false;
    m.helm.SetWorldWindow(0, 10, 10, 0);
    m.scene.Refresh(&m.main, m.in, vessels);
    EXPECT_EQ(m.helm.GetRotation(), 0);
    EXPECT_EQ(m.helm.WorldXMin(), 0) << "not following: the view stays";

    // The mirrored track: a new layer takes the visibility the track has; clearing shows it
    // again and leaves the other layers.
    m.scene.SetShowTracks(false);
    m.scene.MirrorTrack("track_float", 0x00FFFF, 2, {1, 1}, {2, 2}, false);
    EXPECT_FALSE(m.helm.GetLayerVisible(m.helm.FindLayer("track_float")));
    EXPECT_EQ(m.helm.GetShapeType(m.helm.GetLayerShapeIds(m.helm.FindLayer("track_float"))[0]), 17);
    m.scene.ClearTracks();
    EXPECT_EQ(m.helm.LayerShapeCount(m.helm.FindLayer("track_fix")), 0);
    EXPECT_EQ(m.helm.LayerShapeCount(m.helm.FindLayer("track_float")), 0);
    EXPECT_TRUE(m.scene.Options.ShowTracks);
    EXPECT_TRUE(m.helm.GetLayerVisible(m.helm.FindLayer("track_fix")));
    EXPECT_GT(m.helm.LayerShapeCount(own), 0);

    // Without a position only the vessel layer is emptied.
    m.in.vesselEasting = m.in.vesselNorthing = 0;
    m.scene.Refresh(&m.main, m.in, vessels);
    EXPECT_EQ(m.helm.LayerShapeCount(own), 0);
}

TEST(HelmsmanSettings, MissingKeysKeepTheCurrentOptions)
{
    TempHome home;
    {
        IniFile ini(GetIniFileName());
        ini.writeBool(kHelmsmanSection, "Follow", false);
    }
    HelmsmanOptions o = LoadHelmsmanOptions(IniFile(GetIniFileName()), HelmsmanOptions{});
    EXPECT_FALSE(o.Follow);
    EXPECT_TRUE(o.HeadUp);
    EXPECT_EQ(o.FollowTarget, -1) << "no target while not following";
    EXPECT_FALSE(o.ShowGrid);
    o.FollowTarget = 2;
    o.ShowGrid = true;
    o.RunlineThick = true;
    {
        IniFile ini(GetIniFileName());
        SaveHelmsmanOptions(ini, o);
    }
    const HelmsmanOptions back = LoadHelmsmanOptions(IniFile(GetIniFileName()), HelmsmanOptions{});
    EXPECT_EQ(back.FollowTarget, 2);
    EXPECT_TRUE(back.ShowGrid);
    EXPECT_TRUE(back.RunlineThick);
    EXPECT_EQ(IniFile(GetIniFileName()).readString(kHelmsmanSection, "Follow", ""), "0");
}
