#pragma once
// Bringing outside data onto the map: the layer an import fills, point files (XYZ, TXT, CSV)
// and the placemarks of a KML document. Files are read completely first; the layer is only
// touched once the read succeeded, so a failed import leaves the map as it was.
#include "canvas/CanvasModel.h"
#include "nav/KmlReader.h"

#include <string>
#include <string_view>
#include <vector>

namespace vsx {

// The layer an import of a file with this name (without folder and extension) fills. A name
// that is one of the program's own layers (standard layers, tracks, "~~" layers, routes and run
// lines, the selection polygon, DXF imports; ASCII case ignored) gets "import_" in front, so an
// import never empties them.
std::string ImportLayerName(std::string_view fileStem);

// Finds or adds the layer, empties it, sets its option value 15 and leaves the current layer as
// it was. Returns its id.
int PrepareImportLayer(CanvasModel& model, const std::string& name);

struct XyzPoint {
    double E = 0, N = 0, Z = 0;
};

// The points of a point file's text, one per line: a line whose first character is a digit, '+'
// or '-' holds three numbers (easting, northing, elevation) or four and more (an identifier
// first, then the three), separated by blanks, tabs or commas. Other lines, lines with a value
// that is not a finite number among the ones used, and points at (0, 0) are skipped. Numbers
// are read with '.' whatever the locale; lines of any length are read whole.
std::vector<XyzPoint> ParseXyzText(std::string_view text);

// Adds each point (size 1, width 1) with its elevation as a centred label (two decimals).
void AddXyzPoints(CanvasModel& model, int layerId, const std::vector<XyzPoint>& points);

struct KmlImportCounts {
    int points = 0, lines = 0, names = 0;
};

// The reader's projected points, lines (polygons as open lines through their ring) and each
// placemark's name at the first coordinate of each of its geometries.
KmlImportCounts AddKmlPlacemarks(CanvasModel& model, int layerId, const KmlReader& reader);

} // namespace vsx
