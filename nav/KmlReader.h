#pragma once
// Reading the placemarks of a KML document, or of the KML inside a KMZ archive, with their
// point, line and polygon coordinates, each projected into the map's grid by the caller's
// projection.
//
// It is a lenient scanner, not a validating XML parser: one pass over the text finds the
// Placemark, name, description, Point, LineString, Polygon and coordinates elements, with or
// without a namespace prefix and attributes, and goes on after malformed markup (a bare '&' in
// a hand-made file). Comments and CDATA are understood; the five predefined entities and numeric
// character references are decoded in names and descriptions. A DTD and its entity declarations
// are skipped unread. Everything is linear in the size of the document.
//
// Within a placemark the geometries come in the order Points, LineStrings, Polygons; a Polygon
// keeps only its outer boundary, its inner rings are counted as left out. A coordinate tuple is
// "lon,lat[,alt]": a tuple whose longitude or latitude is missing, not a number or out of range
// is skipped, as is (0, 0); an altitude that is not a number reads as 0.
//
// A load that gives nothing says why: a file that is no XML text, or a document without a
// placemark holding a point, line or polygon, naming the tracks (gx:Track), overlays and network
// links it held instead, which are not imported.
#include "nav/KmzArchive.h"

#include <QString>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vsx {

struct KmlCoordinate {
    double Latitude = 0, Longitude = 0, Altitude = 0;
    double X = 0, Y = 0;  // grid easting and northing; (0, 0) when not projected
};

enum KmlGeometryKind : int { KmlPoint = 0, KmlLineString = 1, KmlPolygon = 2 };

struct KmlGeometry {
    int Kind = KmlPoint;
    std::vector<KmlCoordinate> Coordinates;
};

struct KmlPlacemark {
    std::string Name;         // UTF-8, trimmed, entities decoded
    std::string Description;
    std::vector<KmlGeometry> Geometries;
};

// What a document holds that the import does not take: tracks (gx:Track, each track of a
// gx:MultiTrack too), the inner rings (holes) of polygons, overlays (ground, screen and photo
// overlays) and network links (other than those to documents of the same archive, which are read).
struct KmlSkippedContent {
    int tracks = 0, innerRings = 0, overlays = 0, networkLinks = 0;
    bool any() const { return tracks + innerRings + overlays + networkLinks > 0; }
};

struct GridXY {
    double X = 0, Y = 0;
};

class KmlReader {
public:
    // Latitude and longitude (WGS-84 degrees) to grid x and y; false when it cannot convert
    // (the coordinate then keeps (0, 0) and is left out of the projected results).
    using Projection = std::function<bool(double latitude, double longitude, double& x, double& y)>;

    std::string LastError;
    Projection ProjectionCallback;
    std::vector<KmlPlacemark> Placemarks;
    // The href of every NetworkLink of the last document parsed, as written.
    std::vector<std::string> NetworkLinks;
    // What the documents of the last load held that is not imported.
    KmlSkippedContent Skipped;

    // A ".kmz" file (by its extension, any case) is read as an archive, anything else as a KML
    // document. In an archive, the documents that the main one links to by relative name are read
    // as well (tools that write one document per layer link them so). True when at least one placemark with geometry was read; each coordinate is
    // then projected once when a callback is set.
    bool LoadFromFile(const std::string& path);
    // The same from bytes already in memory.
    bool LoadFromBytes(std::string_view bytes, bool kmz);
    // The document text as bytes (any supported encoding); no projection.
    bool Parse(std::string_view bytes);

    std::vector<KmlCoordinate> GetPoints() const;
    // Coordinate lists of LineStrings and Polygons with two coordinates or more.
    std::vector<std::vector<KmlCoordinate>> GetLines() const;
    std::vector<GridXY> GetProjectedPoints() const;
    std::vector<std::vector<GridXY>> GetProjectedLines() const;
    // Projects every coordinate with the callback (nothing without one).
    void Reproject();
    // Coordinates the callback could not convert in the last Reproject.
    int FailedProjections() const { return failedProjections_; }
    // LastError in the language the interface shows.
    QString ShownError() const;

private:
    void clear();
    bool parseUtf8(std::string_view text);
    bool isXmlText(std::string_view text);
    bool loadArchive(KmzArchive archive);
    bool finish();
    int failedProjections_ = 0;
    bool nothingToImport_ = false;
};

// Why a document that holds no placemark with geometry gives nothing to import, naming what it
// held instead: "The file holds no placemark with a point, line or polygon (skipped: 2 tracks,
// 1 network link)".
std::string KmlNothingToImportReason(const KmlSkippedContent& skipped);
// What an import left out, for its message and its events-log line: "2 tracks, 3 inner polygon
// rings, 1 overlay, 1 network link"; empty when nothing was. In English, or in the language the
// interface shows.
std::string KmlLeftOutList(const KmlSkippedContent& skipped);
QString KmlShownLeftOutList(const KmlSkippedContent& skipped);
inline constexpr const char* kKmlNotXml = "The file is not a KML document: it is not XML text";

// The coordinate tuples of a coordinates element's text, appended to `out`.
void ParseKmlCoordinates(std::string_view text, std::vector<KmlCoordinate>& out);

} // namespace vsx
