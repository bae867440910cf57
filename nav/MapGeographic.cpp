#include "nav/MapGeographic.h"

#include <cmath>

namespace vsx {

bool MapGeographic::toGrid(double latitude, double longitude, double& easting, double& northing) const
{
    const std::optional<GridFix> g = snapshot_.toGrid(latitude, longitude, 0, projection_);
    if (!g) return false;
    if (snapshot_.beyondAccurateZone(longitude, projection_)) ++beyondAccurateZone_;
    easting = g->easting;
    northing = g->northing;
    return true;
}

bool MapGeographic::toLatLon(double easting, double northing, double& latitude, double& longitude)
{
    constexpr double kRefreshDistance = 5000;
    if (!haveHeight_ || std::hypot(easting - heightE_, northing - heightN_) > kRefreshDistance) {
        const std::optional<LatLon> first = snapshot_.toWgs84(easting, northing, 0, projection_);
        if (!first) return false;
        const std::optional<GridFix> back = snapshot_.toGrid(first->lat, first->lon, 0, projection_);
        if (!back || !std::isfinite(back->localHeight)) return false;
        haveHeight_ = true;
        heightE_ = easting;
        heightN_ = northing;
        localHeight_ = back->localHeight;
    }
    const std::optional<LatLon> p = snapshot_.toWgs84(easting, northing, localHeight_, projection_);
    if (!p) return false;
    if (snapshot_.beyondAccurateZone(p->lon, projection_)) ++beyondAccurateZone_;
    latitude = p->lat;
    longitude = p->lon;
    return true;
}

} // namespace vsx
