#pragma once
// Web-Mercator tile arithmetic for the imagery under the map: 256-pixel tiles, zoom z, column x
// from the antimeridian eastwards, row y from the north. Latitudes beyond the projection's
// limit and longitudes at +-180 are clamped, so every tile named is one the server has.
#include <string>

namespace vsx {

constexpr int kTilePixels = 256;
// The latitude where Web Mercator's square world ends.
constexpr double kWebMercatorMaxLatitude = 85.05112877980659;

struct TileKey {
    int z = 0, x = 0, y = 0;
    bool operator==(const TileKey&) const = default;
    // "z_x_y"
    std::string Text() const;
};

struct TilePosition {
    int column = 0, row = 0;
    double pixelX = 0, pixelY = 0;  // inside the tile, 0..256
};

// Tile and pixel offset of a point; latitude clamped to the Web-Mercator range, column and row to
// 0..2^z-1 (a point on the east or south edge of the world lies in the last tile).
TilePosition LatLonToTile(double latitude, double longitude, int z);
// Latitude and longitude of a tile corner's north-west point (column and row may be 2^z for the
// far corners).
void TileToLatLon(int column, int row, int z, double& latitude, double& longitude);

// The zoom that suits a view `worldWidth` metres wide; 0 when the view is too wide for imagery.
int ImageryZoomForWidth(double worldWidth);

// The tiles covering a latitude/longitude box.
struct TileRange {
    int z = 0, x1 = 0, y1 = 0, x2 = -1, y2 = -1;
    long long Count() const { return (long long)(x2 - x1 + 1) * (y2 - y1 + 1); }
};
// The range at zoom z, lowered while it needs more than maxTiles; no value (z 0, empty) when even
// zoom 3 needs more.
TileRange ImageryTileRange(double south, double west, double north, double east, int z, int maxTiles = 100);

} // namespace vsx
