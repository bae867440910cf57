#include "canvas/TileMath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vsx {

std::string TileKey::Text() const { return std::to_string(z) + "_" + std::to_string(x) + "_" + std::to_string(y); }

TilePosition LatLonToTile(double latitude, double longitude, int z)
{
    const double n = std::ldexp(1.0, z);
    const double lat = std::clamp(latitude, -kWebMercatorMaxLatitude, kWebMercatorMaxLatitude);
    const double lon = std::clamp(longitude, -180.0, 180.0);
    const double phi = lat * std::numbers::pi / 180.0;
    const double xt = (lon + 180.0) / 360.0 * n;
    const double yt = (1.0 - std::log(std::tan(phi) + 1.0 / std::cos(phi)) / std::numbers::pi) / 2.0 * n;
    const int last = int(n) - 1;
    TilePosition p;
    p.column = std::clamp(int(std::floor(xt)), 0, last);
    p.row = std::clamp(int(std::floor(yt)), 0, last);
    p.pixelX = (xt - p.column) * kTilePixels;
    p.pixelY = (yt - p.row) * kTilePixels;
    return p;
}

void TileToLatLon(int column, int row, int z, double& latitude, double& longitude)
{
    const double n = std::ldexp(1.0, z);
    longitude = column / n * 360.0 - 180.0;
    latitude = std::atan(std::sinh(std::numbers::pi * (1.0 - 2.0 * row / n))) * 180.0 / std::numbers::pi;
}

int ImageryZoomForWidth(double w)
{
    if (!(w <= 200'000)) return 0;
    if (w > 100'000) return 10;
    if (w > 50'000) return 11;
    if (w > 25'000) return 12;
    if (w > 12'000) return 13;
    if (w > 6000) return 14;
    if (w > 3000) return 15;
    if (w > 800) return 16;
    return 17;
}

TileRange ImageryTileRange(double south, double west, double north, double east, int z, int maxTiles)
{
    for (; z >= 3; --z) {
        const TilePosition nw = LatLonToTile(north, west, z);
        const TilePosition se = LatLonToTile(south, east, z);
        TileRange r{z, nw.column, nw.row, se.column, se.row};
        if (r.Count() <= maxTiles) return r;
    }
    return {};
}

} // namespace vsx
