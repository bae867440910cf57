// The KML/KMZ export: the exact document for a small drawing, what independent readers (xmllint,
// GDAL, unzip, PROJ) make of it, and the way back through our own reader; then documents GDAL
// writes, read by our reader.
#include "nav/KmlReader.h"
#include "nav/KmlWriter.h"
#include "nav/KmzArchive.h"
#include "nav/MapGeographic.h"
#include "nav/ProjectionSnapshot.h"
#include "platform/AtomicFile.h"

#include "NavTestSupport.h"
#include "support/MissingPeer.h"
#include "support/PeerPrograms.h"
#include "support/TempHome.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

using namespace vsx;
using namespace vsx::test;

namespace {

// Grid to degrees by a plain scale, so the expected text is easy to read.
bool scaled(double e, double n, double& lat, double& lon)
{
    lat = n / 100000.0;
    lon = e / 100000.0;
    return true;
}

// A local datum shifted from WGS-84 (no rotation, no scale) with transverse Mercator on 27° E.
GeodeticTexts shiftedTm()
{
    GeodeticTexts t;
    t.localDatum = "6378388 297 0 0 0 0 -84.1 -101.8 -129.7";
    t.localEllipsoid = "6378388 297";
    t.projection = "27 0 0.9996 500000 0";
    return t;
}

const char* kShiftedTmPipeline =
    "+proj=pipeline +step +proj=axisswap +order=2,1 +step +proj=unitconvert +xy_in=deg +xy_out=rad "
    "+step +proj=cart +ellps=WGS84 +step +inv +proj=helmert +x=-84.1 +y=-101.8 +z=-129.7 "
    "+step +inv +proj=cart +a=6378388 +rf=297 "
    "+step +proj=tmerc +lon_0=27 +lat_0=0 +k=0.9996 +x_0=500000 +y_0=0 +a=6378388 +rf=297";

std::string header(const std::string& name)
{
    const std::string host = "http://icons.example";
    return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
           "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\r\n<Document>\r\n<name>" + name + "</name>\r\n"
           "<Style id=\"trackFix\"><LineStyle><color>ff00ff00</color><width>2</width></LineStyle></Style>\r\n"
           "<Style id=\"trackFloat\"><LineStyle><color>ff00ffff</color><width>2</width></LineStyle></Style>\r\n"
           "<Style id=\"trackNofix\"><LineStyle><color>ff0000ff</color><width>2</width></LineStyle></Style>\r\n"
           "<Style id=\"trackOther\"><LineStyle><color>ffff00ff</color><width>2</width></LineStyle></Style>\r\n"
           "<Style id=\"depthStyle\"><IconStyle><scale>0.5</scale><Icon><href>" + host +
           "/mapfiles/kml/shapes/shaded_dot.png</href></Icon></IconStyle></Style>\r\n"
           "<Style id=\"pointStyle\"><IconStyle><scale>0.6</scale><Icon><href>" + host +
           "/mapfiles/kml/shapes/placemark_circle.png</href></Icon></IconStyle></Style>\r\n";
}

// The drawing of the golden document: two track lines, a point, a text between them, a closed
// user polygon (written as its three vertices, not closed again), a grid line and a vessel shape
// that stay out, two depth labels.
void smallDrawing(CanvasModel& m)
{
    const int flt = m.AddLayer("track_float"), nofix = m.AddLayer("track_nofix"), user = m.AddLayer("veldor_usershape");
    const int grid = m.AddLayer("Veldor Grid"), vessel = m.AddLayer("~~Veldor Vessel");
    m.AddLine(2900000, 4100000, 2900100, 4100050, flt);
    m.AddText(user, "A&B <x>\x01", 2900200, 4100200, 0);
    m.AddLine(2900000, 4100000, 2800000, 4000000, nofix);
    m.AddLine(1, 1, 2, 2, grid);
    m.AddPoint(3000000, 4200000, user);
    m.AddPolyline({{1000000, 2000000}, {1000100, 2000000}, {1000100, 2000100}}, user, 1);
    m.AddPoint(5, 5, vessel);
    m.AddSounding(2900000, 4100000, 12.345);
    m.AddSounding(2950000, 4150000, 1234.567);
}

std::string writeTemp(const TempHome& home, const std::string& name, const std::string& bytes)
{
    const std::string path = home.path(name);
    EXPECT_TRUE(writeFileAtomically(path, bytes));
    return path;
}

} // namespace

TEST(KmlWriter, WritesTheExactDocument)
{
    CanvasModel m;
    smallDrawing(m);
    KmlExportInput in{scaled, "Survey & <day>.kml", std::make_pair(2900000.0, 4100000.0), "http://icons.example"};
    const KmlExportResult r = BuildKmlDocument(m, in);
    const std::string expected =
        header("Survey &amp; &lt;day&gt;.kml") +
        "<Placemark>\r\n<name>Track_0</name>\r\n<styleUrl>#trackFloat</styleUrl>\r\n<LineString>\r\n"
        "<coordinates>29.00000000,41.00000000,0 29.00100000,41.00050000,0</coordinates>\r\n</LineString>\r\n"
        "</Placemark>\r\n"
        "<Placemark>\r\n<name>A&amp;B &lt;x&gt;</name>\r\n<styleUrl>#pointStyle</styleUrl>\r\n<Point>\r\n"
        "<coordinates>29.00200000,41.00200000,0</coordinates>\r\n</Point>\r\n</Placemark>\r\n"
        "<Placemark>\r\n<name>Track_1</name>\r\n<styleUrl>#trackNofix</styleUrl>\r\n<LineString>\r\n"
        "<coordinates>29.00000000,41.00000000,0 28.00000000,40.00000000,0</coordinates>\r\n</LineString>\r\n"
        "</Placemark>\r\n"
        "<Placemark>\r\n<name>Point_2</name>\r\n<styleUrl>#pointStyle</styleUrl>\r\n<Point>\r\n"
        "<coordinates>30.00000000,42.00000000,0</coordinates>\r\n</Point>\r\n</Placemark>\r\n"
        "<Placemark>\r\n<name>Track_3</name>\r\n<styleUrl>#trackOther</styleUrl>\r\n<LineString>\r\n<coordinates>\r\n"
        "10.00000000,20.00000000,0 10.00100000,20.00000000,0 10.00100000,20.00100000,0\r\n"
        "</coordinates>\r\n</LineString>\r\n</Placemark>\r\n"
        "<Placemark>\r\n<name>12.35m</name>\r\n<styleUrl>#depthStyle</styleUrl>\r\n<Point>\r\n"
        "<coordinates>29.00000000,41.00000000,0</coordinates>\r\n</Point>\r\n</Placemark>\r\n"
        "<Placemark>\r\n<name>1234.60m</name>\r\n<styleUrl>#depthStyle</styleUrl>\r\n<Point>\r\n"
        "<coordinates>29.50000000,41.50000000,0</coordinates>\r\n</Point>\r\n</Placemark>\r\n"
        "<Placemark>\r\n<name>Vessel</name>\r\n"
        "<Style><IconStyle><Icon><href>http://icons.example/mapfiles/kml/shapes/sailing.png</href></Icon></IconStyle>"
        "</Style>\r\n<Point>\r\n<coordinates>29.00000000,41.00000000,0</coordinates>\r\n</Point>\r\n</Placemark>\r\n"
        "</Document>\r\n</kml>\r\n";
    EXPECT_EQ(r.bytes, expected);
    EXPECT_EQ(r.tracks, 4);
    EXPECT_EQ(r.depthPoints, 2);
    EXPECT_EQ(r.skippedPositions, 0);

    CanvasModel empty;
    const KmlExportResult e = BuildKmlDocument(empty, {scaled, "e.kml", std::make_pair(0.0, 0.0), "http://icons.example"});
    EXPECT_EQ(e.bytes, header("e.kml") + "</Document>\r\n</kml>\r\n");
    EXPECT_EQ(e.tracks + e.depthPoints, 0);
}

TEST(KmlWriter, FailedConversionsAreLeftOutAndCounted)
{
    CanvasModel m;
    smallDrawing(m);
    // Only eastings below 2 950 000 convert: one polyline vertex, the 3 000 000 point, a depth
    // label and nothing else fail.
    KmlExportInput in;
    in.toLatLon = [](double e, double n, double& lat, double& lon) {
        if (e >= 2950000) {
            lat = lon = std::nan("");
            return e < 2960000;  // a "success" that gives NaN is caught as well
        }
        return scaled(e, n, lat, lon);
    };
    in.documentName = "x.kml";
    const KmlExportResult r = BuildKmlDocument(m, in);
    EXPECT_EQ(r.bytes.find("nan"), std::string::npos);
    EXPECT_EQ(r.skippedPositions, 2);
    EXPECT_EQ(r.depthPoints, 1);
    EXPECT_EQ(r.tracks, 3) << "Track_0, Track_1, the polygon; the failed point takes no number";
    EXPECT_NE(r.bytes.find("<name>Track_2</name>"), std::string::npos);
}

// Our KML and KMZ as xmllint, GDAL's KML driver and unzip read them.
TEST(KmlWriter, PeersReadTheExport)
{
    for (const char* tool : {"xmllint", "ogrinfo", "unzip"})
        if (!haveProgram(tool)) VSX_SKIP_MISSING() << tool << " is not installed";
    TempHome home;
    CanvasModel m;
    smallDrawing(m);
    const KmlExportResult r = BuildKmlDocument(m, {scaled, "golden.kml", std::make_pair(2900000.0, 4100000.0), "http://icons.example"});
    const std::string kmlPath = writeTemp(home, "golden.kml", r.bytes);
    const std::string kmzPath = home.path("golden.kmz");
    ASSERT_TRUE(WriteKmz(kmzPath, r.bytes));

    EXPECT_EQ(runProgram("xmllint", {"--noout", "--nonet", kmlPath}).exitCode, 0);
    const PeerResult list = runProgram("unzip", {"-Z1", kmzPath});
    EXPECT_EQ(list.out, "doc.kml\n");
    const PeerResult inner = runProgram("unzip", {"-p", kmzPath, "doc.kml"});
    EXPECT_EQ(inner.out, r.bytes) << "the archive holds exactly the .kml bytes";
    const std::string extracted = writeTemp(home, "inner.kml", inner.out);
    EXPECT_EQ(runProgram("xmllint", {"--noout", "--nonet", extracted}).exitCode, 0);

    for (const std::string& source : {kmlPath, "/vsizip/" + kmzPath + "/doc.kml"}) {
        const PeerResult info = runProgram("ogrinfo", {"-ro", "-al", "-q", source});
        ASSERT_EQ(info.exitCode, 0) << info.err;
        auto count = [&](const std::string& what) {
            std::size_t n = 0;
            for (std::size_t at = info.out.find(what); at != std::string::npos; at = info.out.find(what, at + 1)) ++n;
            return n;
        };
        EXPECT_EQ(count("LINESTRING Z ("), 3u) << source;
        EXPECT_EQ(count("POINT Z ("), 5u) << source << ": the point, the text, two depths, the vessel";
        EXPECT_NE(info.out.find("Name (String) = A&B <x>"), std::string::npos) << info.out;
        EXPECT_NE(info.out.find("LINESTRING Z (29 41 0,29.001 41.0005 0)"), std::string::npos) << info.out;
    }
}

// Grid to WGS-84 through a shifted datum agrees with PROJ to 1e-7°, and the export read back
// through our reader returns every position within 1 mm and every name.
TEST(KmlWriter, ExportMatchesProjAndComesBack)
{
    if (!haveCct()) VSX_SKIP_MISSING() << "PROJ's cct is not installed";
    const auto snap = ProjectionSnapshot::take(shiftedTm());
    ASSERT_TRUE(snap);
    const std::vector<WorldPoint> grid = {{450123.456, 4521987.654}, {520000.0, 4100000.0}, {380500.25, 4650000.75}};
    CanvasModel m;
    const int layer = m.AddLayer("veldor_usershape");
    m.AddPolyline(grid, layer, 0);
    m.AddText(layer, "Kıyı & <iskele>", grid[0].X, grid[0].Y, 0);
    MapGeographic geographic(*snap, GridProjection::TransverseMercator);
    KmlExportInput in;
    in.toLatLon = [&](double e, double n, double& lat, double& lon) { return geographic.toLatLon(e, n, lat, lon); };
    in.documentName = "proj.kml";
    const KmlExportResult r = BuildKmlDocument(m, in);

    KmlReader reader;
    reader.ProjectionCallback = [&](double lat, double lon, double& x, double& y) {
        return geographic.toGrid(lat, lon, x, y);
    };
    ASSERT_TRUE(reader.LoadFromBytes(r.bytes, false)) << reader.LastError;
    ASSERT_EQ(reader.Placemarks.size(), 2u);
    EXPECT_EQ(reader.Placemarks[1].Name, "Kıyı & <iskele>");
    const auto& coords = reader.Placemarks[0].Geometries.at(0).Coordinates;
    ASSERT_EQ(coords.size(), grid.size());

    TempHome home;
    std::string input;
    for (const WorldPoint& p : grid) input += std::to_string(p.X) + " " + std::to_string(p.Y) + " 0\n";
    std::vector<std::string> args{"-d", "10", "-I"};
    for (const QString& word : QString(kShiftedTmPipeline).split(' ')) args.push_back(word.toStdString());
    args.push_back(writeTemp(home, "grid.txt", input));
    const PeerResult cct = runProgram("cct", args);
    ASSERT_EQ(cct.exitCode, 0) << cct.err;
    std::vector<std::vector<double>> proj;
    for (const QString& line : QString::fromStdString(cct.out).split('\n', Qt::SkipEmptyParts)) {
        proj.emplace_back();
        for (const QString& v : line.split(' ', Qt::SkipEmptyParts)) proj.back().push_back(v.toDouble());
    }
    ASSERT_EQ(proj.size(), grid.size());
    for (std::size_t i = 0; i < grid.size(); ++i) {
        EXPECT_NEAR(coords[i].Latitude, proj[i][0], 1e-7) << i;
        EXPECT_NEAR(coords[i].Longitude, proj[i][1], 1e-7) << i;
        EXPECT_NEAR(coords[i].X, grid[i].X, 0.001) << i;
        EXPECT_NEAR(coords[i].Y, grid[i].Y, 0.001) << i;
    }
}

// KML and KMZ written by GDAL from GeoJSON: attributes on the placemarks, MultiGeometry,
// polygons with holes; our reader finds every feature.
TEST(KmlWriter, ReaderTakesWhatGdalWrites)
{
    if (!haveProgram("ogr2ogr")) VSX_SKIP_MISSING() << "GDAL's ogr2ogr is not installed";
    TempHome home;
    const std::string geojson = writeTemp(home, "in.geojson", R"({"type":"FeatureCollection","features":[
{"type":"Feature","properties":{"name":"Şamandıra & 1"},"geometry":{"type":"Point","coordinates":[29.01,41.02]}},
{"type":"Feature","properties":{"name":"Hat"},"geometry":{"type":"LineString","coordinates":[[29,41],[29.1,41.1],[29.2,41.15]]}},
{"type":"Feature","properties":{"name":"Alan"},"geometry":{"type":"Polygon","coordinates":[[[29,41],[29.1,41],[29.1,41.1],[29,41]],[[29.05,41.01],[29.08,41.01],[29.08,41.04],[29.05,41.01]]]}},
{"type":"Feature","properties":{"name":"Çoklu"},"geometry":{"type":"MultiPoint","coordinates":[[29.3,41.3],[29.4,41.4]]}}]})");
    struct Case {
        const char* driver;
        const char* file;
    } cases[] = {{"KML", "gdal.kml"}, {"LIBKML", "gdal.kmz"}, {"LIBKML", "libkml.kml"}};
    for (const Case& c : cases) {
        const std::string out = home.path(c.file);
        const PeerResult w = runProgram("ogr2ogr", {"-f", c.driver, out, geojson});
        if (w.exitCode != 0 && std::string(c.driver) == "LIBKML") continue;  // driver not built in
        ASSERT_EQ(w.exitCode, 0) << c.driver << ": " << w.err;
        KmlReader r;
        ASSERT_TRUE(r.LoadFromFile(out)) << c.file << ": " << r.LastError;
        std::vector<std::string> names;
        for (const KmlPlacemark& p : r.Placemarks) names.push_back(p.Name);
        EXPECT_EQ(names, (std::vector<std::string>{"Şamandıra & 1", "Hat", "Alan", "Çoklu"})) << c.file;
        EXPECT_EQ(r.GetPoints().size(), 3u) << c.file;
        ASSERT_EQ(r.GetLines().size(), 2u) << c.file;
        EXPECT_EQ(r.GetLines()[0].size(), 3u) << c.file;
        EXPECT_EQ(r.GetLines()[1].size(), 4u) << c.file << ": the outer ring only";
    }
}
