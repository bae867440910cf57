#include "nav/ExtraVesselTracker.h"

#include "nav/VesselSymbol.h"
#include "platform/Text.h"

#include <cmath>

namespace vsx {

std::string ExtraVesselLayerName(int index) { return "~~Vessel" + std::to_string(index + 2); }
std::string ExtraVesselTrackLayerName(int index) { return "track_vessel" + std::to_string(index + 2); }

void ExtraVesselTracker::LatLonToGrid(MultiVesselEntry& e, const ProjectionSnapshot& snapshot, GridProjection projection)
{
    if (!e.HasPosition) return;
    if (const auto g = snapshot.toGrid(e.Latitude, e.Longitude, e.Height, projection)) {
        e.Easting = g->easting;
        e.Northing = g->northing;
    }
}

namespace {

int findOrAddLayer(CanvasModel& canvas, const std::string& name)
{
    int id = canvas.FindLayer(name);
    if (id >= 0) return id;
    // Making a layer makes it current; the user's next drawing must not land on it.
    const int current = canvas.CurrentLayer();
    id = canvas.AddLayer(name);
    canvas.SetCurrentLayer(current);
    return id;
}

} // namespace

void EnsureExtraVesselLayers(CanvasModel& canvas, MultiVesselEntry& e, int index)
{
    if (e.SymbolLayerId < 0) e.SymbolLayerId = findOrAddLayer(canvas, ExtraVesselLayerName(index));
    if (e.TrackLayerId < 0) e.TrackLayerId = findOrAddLayer(canvas, ExtraVesselTrackLayerName(index));
}

void ExtraVesselTracker::DrawExtraVessels(std::vector<MultiVesselEntry>& vessels, CanvasModel& canvas,
                                          const ExtraVesselDrawInputs& in)
{
    if (!in.snapshot) return;
    for (size_t i = 0; i < vessels.size(); ++i) {
        MultiVesselEntry& e = vessels[i];
        if (!e.Enabled || !e.HasPosition) continue;
        LatLonToGrid(e, *in.snapshot, in.projection);
        if (e.Easting == 0 && e.Northing == 0) continue;
        EnsureExtraVesselLayers(canvas, e, int(i));

        if (in.tracklining && e.HasLastTrackPoint && e.TrackLayerId >= 0) {
            const double d = std::hypot(e.Easting - e.LastTrackEasting, e.Northing - e.LastTrackNorthing);
            if (d > kMinTrackStep && d < kMaxTrackStep) {
                canvas.SetLayerColor(e.TrackLayerId, e.Color);
                canvas.SetLayerWidth(e.TrackLayerId, 2);
                canvas.AddLine(e.LastTrackEasting, e.LastTrackNorthing, e.Easting, e.Northing, e.TrackLayerId);
            }
        }
        e.LastTrackEasting = e.Easting;
        e.LastTrackNorthing = e.Northing;
        e.HasLastTrackPoint = true;

        if (e.SymbolLayerId < 0) continue;
        canvas.DeleteLayerShapes(e.SymbolLayerId);
        canvas.SetLayerColor(e.SymbolLayerId, e.Color);
        canvas.SetLayerWidth(e.SymbolLayerId, in.vesselWidth);
        double heading = e.Heading;
        if (heading == 0) {
            const auto course = in.receiverCourse ? in.receiverCourse(i) : std::nullopt;
            heading = course.value_or(0);
        }
        const SymbolSizes sizes{e.Amount, e.Interval, e.Radious, e.BArrow, e.LArrow};
        DrawVesselSymbol(canvas, e.SymbolLayerId, {e.Easting, e.Northing}, in.gridConvergence + heading, sizes);
        canvas.AddText(e.SymbolLayerId, cp1254ToUtf8(e.Name), e.Easting + e.Radious, e.Northing + e.Radious, 0);
    }
}

} // namespace vsx
