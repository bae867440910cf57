// Speed of the KML import and export. Targets: scanning KML at 100 MB/s or more; 1,000,000 KML
// coordinates read and projected into the grid in under 1 s; the KML export of 1,000,000
// vertices (conversion to latitude/longitude, document and file) in under 2 s.
#include "canvas/CanvasModel.h"
#include "canvas/FileNumbers.h"
#include "nav/KmlReader.h"
#include "nav/KmlWriter.h"
#include "nav/MapGeographic.h"
#include "platform/AtomicFile.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using namespace vsx;

// A local datum shifted and turned from WGS-84, transverse Mercator on 27° E.
const ProjectionSnapshot& snapshot()
{
    static const std::optional<ProjectionSnapshot> s = [] {
        GeodeticTexts t;
        t.localDatum = "6378388 297 -1.2 0.5 -0.3 1.1 -84.1 -101.8 -129.7";
        t.localEllipsoid = "6378388 297";
        t.projection = "27 0 0.9996 500000 0";
        return ProjectionSnapshot::take(t);
    }();
    return *s;
}

void appendCoordinate(std::string& out, double lon, double lat)
{
    filenum::appendFixed(out, lon, 8);
    out += ',';
    filenum::appendFixed(out, lat, 8);
    out += ",0 ";
}

// Placemarks as tools write them: a prefix-free document, names with entities, descriptions in
// CDATA, ten-point lines.
std::string manyPlacemarks(int count)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
                      "<Document>\n";
    for (int i = 0; i < count; ++i) {
        out += "<Placemark id=\"p" + std::to_string(i) + "\">\n  <name>Line &amp; " + std::to_string(i) +
               "</name>\n  <description><![CDATA[<b>survey</b> line]]></description>\n"
               "  <styleUrl>#trackFix</styleUrl>\n  <LineString>\n    <coordinates>\n      ";
        for (int k = 0; k < 10; ++k) appendCoordinate(out, 27.1 + i * 1e-5 + k * 1e-6, 41.0 + k * 1e-6);
        out += "\n    </coordinates>\n  </LineString>\n</Placemark>\n";
    }
    return out + "</Document>\n</kml>\n";
}

std::string oneLongLine(int coordinates)
{
    std::string out = "<kml><Placemark><name>long</name><LineString><coordinates>";
    for (int k = 0; k < coordinates; ++k) appendCoordinate(out, 26.5 + k * 1e-6, 40.5 + k * 7e-7);
    return out + "</coordinates></LineString></Placemark></kml>";
}

// Target: >= 100 MB/s (bytes_per_second).
void BM_KmlScan(benchmark::State& state)
{
    const std::string doc = manyPlacemarks(int(state.range(0)));
    for (auto _ : state) {
        KmlReader r;
        if (!r.Parse(doc)) state.SkipWithError("nothing read");
        benchmark::DoNotOptimize(r.Placemarks.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(doc.size()));
}
BENCHMARK(BM_KmlScan)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Target: < 1 s for 1,000,000 coordinates, read and projected.
void BM_KmlReadAndProject1MCoordinates(benchmark::State& state)
{
    const std::string doc = oneLongLine(1000000);
    const MapGeographic geographic(snapshot(), GridProjection::TransverseMercator);
    for (auto _ : state) {
        KmlReader r;
        r.ProjectionCallback = [&](double lat, double lon, double& x, double& y) { return geographic.toGrid(lat, lon, x, y); };
        if (!r.LoadFromBytes(doc, false) || r.FailedProjections() != 0) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(r.Placemarks.data());
    }
}
BENCHMARK(BM_KmlReadAndProject1MCoordinates)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Target: < 2 s for 1,000,000 vertices, written to a file.
void BM_KmlExport1MVertices(benchmark::State& state)
{
    CanvasModel m;
    const int layer = m.AddLayer("track_fix");
    WorldPoints pts(1000);
    for (int p = 0; p < 1000; ++p) {
        for (int k = 0; k < 1000; ++k) pts[std::size_t(k)] = {452000.0 + p * 10.0 + k * 0.37, 4512000.0 + k * 1.13};
        m.AddPolyline(pts, layer, 0);
    }
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("vsx-bench-" + std::to_string(::getpid()) + "-export.kml")).string();
    for (auto _ : state) {
        MapGeographic geographic(snapshot(), GridProjection::TransverseMercator);
        KmlExportInput in;
        in.toLatLon = [&](double e, double n, double& lat, double& lon) { return geographic.toLatLon(e, n, lat, lon); };
        in.documentName = "export.kml";
        const KmlExportResult r = BuildKmlDocument(m, in);
        if (r.skippedPositions != 0 || !writeFileAtomically(path, r.bytes)) state.SkipWithError("export failed");
        state.counters["bytes"] = double(r.bytes.size());
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_KmlExport1MVertices)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
