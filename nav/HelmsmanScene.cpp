#include "nav/HelmsmanScene.h"

#include "canvas/ProjectFile.h"
#include "nav/HelmsmanCorridor.h"
#include "nav/MapDisplayLoop.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <numbers>

namespace vsx {

namespace {

constexpr const char* kTrackLayers[] = {kTrackFixLayer, kTrackFloatLayer, kTrackNoFixLayer};

// Shapes added to `layer` since it held `before` shapes get their own colour and width.
void styleNewShapes(CanvasModel& m, int layer, size_t before, ColorValue colour, int width)
{
    const std::vector<std::int32_t> ids = m.GetLayerShapeIds(layer);
    for (size_t i = before; i < ids.size(); ++i) {
        m.SetShapeColor(ids[i], colour);
        m.SetShapeWidth(ids[i], width);
    }
}

// Arrows from a vessel's circles towards the first and last point of every selected line.
void addPointers(CanvasModel& m, int layer, WorldPoint a, const std::vector<WorldPoints>& lines, int circles,
                 double radius, double interval)
{
    const int c = std::max(circles, 1);
    double g = radius + interval * (c - 1);
    if (g <= 0) g = radius > 0 ? radius : 10;
    const double q = interval > 0 ? interval : 0.45 * g;
    const double s = 0.135 * g;
    for (const WorldPoints& line : lines) {
        if (line.size() < 2) continue;
        for (const WorldPoint& t : {line.front(), line.back()}) {
            const double dx = t.X - a.X, dy = t.Y - a.Y;
            const double len = std::hypot(dx, dy);
            if (len < 1e-6) continue;
            const double ux = dx / len, uy = dy / len;
            const WorldPoint m1{a.X + (g + q) * ux, a.Y + (g + q) * uy};
            m.AddLine(a.X + g * ux, a.Y + g * uy, m1.X, m1.Y, layer);
            const WorldPoint back{m1.X - s * ux, m1.Y - s * uy};
            m.AddLine(m1.X, m1.Y, back.X - 0.6 * s * uy, back.Y + 0.6 * s * ux, layer);
            m.AddLine(m1.X, m1.Y, back.X + 0.6 * s * uy, back.Y - 0.6 * s * ux, layer);
        }
    }
}

double extraHeading(const MultiVesselEntry& e, size_t i, const HelmsmanInputs& in)
{
    if (e.Heading != 0) return e.Heading;
    if (in.receiverCourse)
        if (const auto course = in.receiverCourse(i)) return *course;
    return 0;
}

bool drawable(const MultiVesselEntry& e) { return e.Enabled && e.HasPosition && (e.Easting != 0 || e.Northing != 0); }

} // namespace

int HelmsmanScene::layer(const char* name)
{
    int id = helm_.FindLayer(name);
    if (id < 0) id = helm_.AddLayer(name);
    return id;
}

void HelmsmanScene::applyTrackVisibility()
{
    for (const char* name : kTrackLayers)
        if (const int id = helm_.FindLayer(name); id >= 0) helm_.SetLayerVisible(id, Options.ShowTracks);
}

void HelmsmanScene::CopySelection(const CanvasModel& main, bool keepView, const HelmsmanInputs& in)
{
    const double left = helm_.WorldXMin(), top = helm_.WorldYMax(), right = helm_.WorldXMax(),
                 bottom = helm_.WorldYMin();
    try {
        // The previous copy goes; the mirrored track and the helmsman's own layers stay.
        const std::string text = ProjectDrawingText(main, true);
        helm_.UnselectAll();
        for (std::int32_t id : copied_) helm_.SelectShape(id, true);
        helm_.RemoveSelected();
        copied_.clear();
        const size_t before = size_t(helm_.ShapeCount());
        LoadProjectDrawingText(helm_, text, 1);
        const auto shapes = helm_.Shapes();
        for (size_t i = before; i < shapes.size(); ++i) copied_.push_back(shapes[i]->Id);
        if (Options.RunlineThick)
            for (std::int32_t id : copied_) helm_.SetShapeWidth(id, 5);
    } catch (const std::exception&) {
        // A selection that cannot be copied leaves the helmsman map without run lines.
    }
    applyTrackVisibility();
    if (const int v = helm_.FindLayer(kHelmVesselLayer); v >= 0) helm_.DeleteLayerShapes(v);
    DrawCorridor(&main, in);
    if (keepView) helm_.SetWorldWindow(left, top, right, bottom);
    else helm_.SetWorldWindow(main.WorldXMin(), main.WorldYMax(), main.WorldXMax(), main.WorldYMin());
    helm_.Redraw();
}

bool HelmsmanScene::CopyIfSelectionChanged(const CanvasModel& main, const HelmsmanInputs& in)
{
    const std::uint32_t hash = main.SelectionHash();
    if (hash == selectionHash_) return false;
    selectionHash_ = hash;
    CopySelection(main, true, in);
    return true;
}

void HelmsmanScene::Refresh(const CanvasModel* main, const HelmsmanInputs& in,
                            const std::vector<MultiVesselEntry>& vessels)
{
    DrawCorridor(main, in);
    DrawVessels(main, in, vessels);
}

void HelmsmanScene::DrawCorridor(const CanvasModel* main, const HelmsmanInputs& in)
{
    if (!main) return;
    const int l = layer(kHelmCorridorLayer);
    if (l < 0) return;
    helm_.DeleteLayerShapes(l);
    const bool haveVessel = in.vesselEasting != 0 || in.vesselNorthing != 0;
    const std::optional<WorldPoint> vessel =
        haveVessel ? std::optional<WorldPoint>(WorldPoint{in.vesselEasting, in.vesselNorthing}) : std::nullopt;
    const int edgeWidth = Options.RunlineThick ? 5 : 2;
    for (const WorldPoints& line : main->GetSelectedLinePoints()) {
        if (line.size() < 2) continue;
        const Corridor c = BuildCorridor(OrientRunline(line, vessel, in.gridHeading), in.halfWidth);
        for (const WorldPoints* edge : {&c.left, &c.right}) {
            const int id = helm_.AddPolyline(*edge, l, 0);
            helm_.SetShapeColor(id, kCorridorEdgeColor);
            helm_.SetShapeWidth(id, edgeWidth);
        }
        for (const CorridorTick& t : c.ticks) {
            for (const int id : {helm_.AddLine(t.from.X, t.from.Y, t.to.X, t.to.Y, l),
                                 helm_.AddText(l, t.label, t.labelAt.X, t.labelAt.Y, 0)}) {
                helm_.SetShapeColor(id, kCorridorTickColor);
                helm_.SetShapeWidth(id, 1);
            }
        }
    }
}

void HelmsmanScene::DrawVessels(const CanvasModel* main, const HelmsmanInputs& in,
                                const std::vector<MultiVesselEntry>& vessels)
{
    const int v = layer(kHelmVesselLayer);
    if (v < 0) return;
    helm_.DeleteLayerShapes(v);
    if (in.vesselEasting == 0 && in.vesselNorthing == 0) return;

    const WorldPoint a{in.vesselEasting, in.vesselNorthing};
    helm_.SetLayerColor(v, in.vesselColor);
    helm_.SetLayerWidth(v, in.vesselWidth);
    DrawVesselSymbol(helm_, v, {a.X, a.Y}, in.gridHeading, in.symbol);
    const std::vector<WorldPoints> lines = main ? main->GetSelectedLinePoints() : std::vector<WorldPoints>{};
    if (main && Options.FollowTarget == 0)
        addPointers(helm_, v, a, lines, in.symbol.circles, in.symbol.radius, in.symbol.interval);

    if (const int x = layer(kHelmExtraVesselLayer); x >= 0) {
        helm_.DeleteLayerShapes(x);
        for (size_t i = 0; i < vessels.size(); ++i) {
            const MultiVesselEntry& e = vessels[i];
            if (!drawable(e)) continue;
            // One layer holds every vessel: each keeps its own colour.
            const size_t before = size_t(helm_.LayerShapeCount(x));
            const double h = in.gridConvergence + extraHeading(e, i, in);
            DrawVesselSymbol(helm_, x, {e.Easting, e.Northing}, h,
                             SymbolSizes{e.Amount, e.Interval, e.Radious, e.BArrow, e.LArrow});
            if (main && int(i) == Options.FollowTarget - 1)
                addPointers(helm_, x, {e.Easting, e.Northing}, lines, e.Amount, e.Radious, e.Interval);
            styleNewShapes(helm_, x, before, e.Color, in.vesselWidth);
        }
    }

    WorldPoint f = a;
    double heading = in.gridHeading;
    const int n = Options.FollowTarget;
    if (n >= 1 && size_t(n) <= vessels.size() && drawable(vessels[size_t(n - 1)])) {
        const MultiVesselEntry& e = vessels[size_t(n - 1)];
        f = {e.Easting, e.Northing};
        heading = in.gridConvergence + extraHeading(e, size_t(n - 1), in);
    }
    if (Options.Follow) helm_.CenterAt(f.X, f.Y);
    helm_.SetRotationCenter(f.X, f.Y);
    helm_.SetRotation(Options.HeadUp ? heading : 0);
}

void HelmsmanScene::MirrorTrack(const std::string& name, ColorValue colour, int width, TrackPoint from, TrackPoint to,
                                bool asLine)
{
    const bool isNew = helm_.FindLayer(name) < 0;
    const int l = layer(name.c_str());
    if (l < 0) return;
    if (isNew) helm_.SetLayerVisible(l, Options.ShowTracks);
    helm_.SetLayerKeepsColor(l, true);  // as on the main map
    helm_.SetLayerColor(l, colour);
    helm_.SetLayerWidth(l, width);
    if (asLine) helm_.AddLine(from.x, from.y, to.x, to.y, l);
    else helm_.AddPoint(from.x, from.y, l);
}

void HelmsmanScene::SetShowTracks(bool shown)
{
    Options.ShowTracks = shown;
    applyTrackVisibility();
}

void HelmsmanScene::ClearTracks()
{
    for (const char* name : kTrackLayers)
        if (const int id = helm_.FindLayer(name); id >= 0) helm_.DeleteLayerShapes(id);
    if (!Options.ShowTracks) SetShowTracks(true);
}

} // namespace vsx
