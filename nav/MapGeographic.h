#pragma once
// The map grid and WGS-84 latitude/longitude for the KML import and export, through the datum
// and projection the map converts the vessel with. Positions are taken on the WGS-84 ellipsoid
// (height 0), both ways, so an exported position imports back to the same grid point: the
// export first finds the local-datum height of that surface under the point (it changes by
// centimetres over kilometres, so it is found again only every 5 km).
#include "nav/ProjectionSnapshot.h"

namespace vsx {

class MapGeographic {
public:
    MapGeographic(const ProjectionSnapshot& snapshot, GridProjection projection)
        : snapshot_(snapshot), projection_(projection)
    {
    }

    // False when the position cannot be converted.
    bool toGrid(double latitude, double longitude, double& easting, double& northing) const;
    bool toLatLon(double easting, double northing, double& latitude, double& longitude);
    // Positions converted so far that lie where the projection is no longer accurate (see
    // ProjectionSnapshot::beyondAccurateZone); they are converted all the same.
    int BeyondAccurateZone() const { return beyondAccurateZone_; }

private:
    const ProjectionSnapshot& snapshot_;
    GridProjection projection_;
    bool haveHeight_ = false;
    double heightE_ = 0, heightN_ = 0, localHeight_ = 0;
    mutable int beyondAccurateZone_ = 0;
};

} // namespace vsx
