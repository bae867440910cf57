#pragma once
// The further vessels on the main map: each enabled vessel with a position gets its grid position
// from the map's projection snapshot, its symbol (arrow, circles, name) on the layer
// "~~Vessel" + n and, while tracklining of the other vessels is on, its track on
// "track_vessel" + n, n being the vessel number (list index + 2).
#include "app/SharedValues.h"
#include "canvas/CanvasModel.h"
#include "nav/ProjectionSnapshot.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vsx {

std::string ExtraVesselLayerName(int index);       // "~~Vessel" + (index + 2)
std::string ExtraVesselTrackLayerName(int index);  // "track_vessel" + (index + 2)

// Looks up (or adds) the vessel's two layers while their stored ids are below 0 and stores them;
// the canvas's current layer stays as it was.
void EnsureExtraVesselLayers(CanvasModel& canvas, MultiVesselEntry& entry, int index);

struct ExtraVesselDrawInputs {
    const ProjectionSnapshot* snapshot = nullptr;  // nothing is converted without one
    GridProjection projection = GridProjection::TransverseMercator;
    double gridConvergence = 0;  // the own vessel's, added to each vessel's heading
    bool tracklining = false;
    int vesselWidth = 2;
    // Course over ground of the receiver at an index, when that receiver exists.
    std::function<std::optional<double>(size_t index)> receiverCourse;
};

class ExtraVesselTracker {
public:
    static constexpr double kMinTrackStep = 0.01;  // metres, excluded
    static constexpr double kMaxTrackStep = 500;   // metres, excluded

    // The entry's grid position from its latitude, longitude and height; unchanged when it has no
    // position or the conversion fails.
    static void LatLonToGrid(MultiVesselEntry& entry, const ProjectionSnapshot& snapshot, GridProjection projection);

    // One map tick for every entry.
    static void DrawExtraVessels(std::vector<MultiVesselEntry>& vessels, CanvasModel& canvas,
                                 const ExtraVesselDrawInputs& in);
};

} // namespace vsx
