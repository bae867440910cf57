#pragma once
// The map drawing as a KML 2.2 document for earth viewers: a placemark per line, point, text
// and polyline of the drawing (grid and vessel layers left out), lines styled by the track
// layer they lie on, then the depth labels as points and the vessel's position. UTF-8 with a
// byte-order mark, every line ended by CR LF.
//
// Lines and points are numbered together in drawing order ("Track_0", "Point_1", ...); texts
// become points named by their text. A polyline's coordinates are its vertices as they are: a
// closed polygon is not closed again. A vertex or point whose grid position cannot be converted is
// left out and counted (never written as "nan" or as another point's position); a line left
// with fewer than two vertices is left out.
#include "canvas/CanvasModel.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vsx {

// The vessel symbol's and the grid's layers, which the display loops draw anew: exports leave
// them out of the deliverable.
inline constexpr const char* kLoopDrawnLayers[] = {"~~Veldor Vessel", "Veldor Grid"};
inline bool IsLoopDrawnLayer(std::string_view name)
{
    for (const char* l : kLoopDrawnLayers)
        if (name == l) return true;
    return false;
}

struct KmlExportInput {
    // Grid easting and northing to WGS-84 latitude and longitude (degrees); false when the
    // position cannot be converted.
    std::function<bool(double easting, double northing, double& latitude, double& longitude)> toLatLon;
    std::string documentName;  // the file's name, shown by the viewer
    std::optional<std::pair<double, double>> vessel;  // easting, northing
    // Where the three placemark icons are served from ("http://host"); the icon paths follow it.
    std::string iconHost;
    // The line colours of the RTK fixed and the float, DGPS and PPS tracks (0x00BBGGRR): those
    // the map draws them in. Tracks without a differential fix are red, other lines magenta.
    ColorValue trackColorFixed = clLime;
    ColorValue trackColorFloat = clYellow;
};

struct KmlExportResult {
    std::string bytes;        // the whole file
    int tracks = 0;           // numbered placemarks written (lines, points, polylines)
    int depthPoints = 0;      // depth labels written
    int skippedPositions = 0; // vertices, points, texts and labels whose conversion failed
    int skippedShapes = 0;    // placemarks left out because of them
};

KmlExportResult BuildKmlDocument(const CanvasModel& model, const KmlExportInput& input);

// A depth as the placemark names it: fixed with 2 decimals after rounding to 5 significant
// digits (1234.567 -> "1234.60").
std::string KmlDepthText(double depth);

} // namespace vsx
