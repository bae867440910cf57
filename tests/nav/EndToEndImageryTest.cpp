// The whole program offscreen with imagery on: a pseudo-terminal GNSS receiver gives the vessel's
// position, a tile server on the loopback address serves tiles made here, and a marked tile pixel
// must land within a screen pixel of where the map draws that pixel's latitude and longitude on
// the grid (PROJ), in transverse Mercator with a datum shift and in Lambert. A canvas turned by
// the map rotation places the tiles the same way.
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/ProgramStart.h"
#include "app/windows/WindowPointers.h"
#include "canvas/TileMath.h"
#include "canvas/VeldorCanvas.h"
#include "canvas/WorldImagery.h"
#include "input/windows/DeviceSettingsWindow.h"
#include "nav/ProjectionSnapshot.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

#include "NavTestSupport.h"
#include "support/HttpTileServer.h"
#include "support/MissingPeer.h"
#include "support/PtyPair.h"
#include "support/TempHome.h"

#include <QAction>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace vsx;
using namespace vsx::test;

namespace {

constexpr unsigned kMark = 0xFF00FF;
constexpr int kMarkX = 100, kMarkY = 150;  // the marked pixel inside the marked tile

// Latitude and longitude of the centre of pixel (px, py) of a tile.
void tilePixelLatLon(const TileKey& k, double px, double py, double& lat, double& lon)
{
    const double n = std::ldexp(1.0, k.z);
    lon = (k.x + px / 256.0) / n * 360.0 - 180.0;
    lat = std::atan(std::sinh(std::numbers::pi * (1 - 2 * (k.y + py / 256.0) / n))) * 180.0 / std::numbers::pi;
}

// Centroid of the pixels of exactly the marked colour; false when there are none.
bool findMark(const QImage& image, double& x, double& y)
{
    double sx = 0, sy = 0;
    int count = 0;
    for (int j = 0; j < image.height(); ++j)
        for (int i = 0; i < image.width(); ++i)
            if ((image.pixel(i, j) & 0xFFFFFF) == kMark) {
                sx += i;
                sy += j;
                ++count;
            }
    if (count == 0) return false;
    x = sx / count;
    y = sy / count;
    return true;
}

// Answers of a tile server whose tile `marked` carries the mark; every other tile is plain.
HttpTileServer::AnswerFor markedTile(const TileKey& marked)
{
    return [marked](const std::string& path) {
        const std::string mine = "/tile/17/" + std::to_string(marked.y) + "/" + std::to_string(marked.x);
        return HttpAnswer{200, "image/png", path == mine ? tilePng(0x707070, kMarkX, kMarkY) : tilePng(0x707070)};
    };
}

struct Projection {
    const char* name;
    std::vector<std::pair<const char*, const char*>> geodetic;
    std::string pipeline;  // PROJ: "lat lon" in degrees to the grid
};

Projection transverseMercator()
{
    return {"TM",
            {{"SemiMajorAxis", "6378388"}, {"InverseFlattening", "297"}, {"Scale_PPM", "-1.2"},
             {"X_Rotation", "0.5"}, {"Y_Rotation", "-0.3"}, {"Z_Rotation", "1.1"}, {"X_Shift", "-84.1"},
             {"Y_Shift", "-101.8"}, {"Z_Shift", "-129.7"}, {"Central_Meridian", "27"}, {"Reference_Latitude", "0"},
             {"Scale_Factor", "0.9996"}, {"False_Easting", "500000"}, {"False_Northing", "0"}},
            kLocalGridPipeline};
}

Projection lambert()
{
    return {"Lambert",
            {{"SemiMajorAxis", "6378137"}, {"InverseFlattening", "298.257223563"}, {"Scale_PPM", "0"},
             {"X_Rotation", "0"}, {"Y_Rotation", "0"}, {"Z_Rotation", "0"}, {"X_Shift", "0"}, {"Y_Shift", "0"},
             {"Z_Shift", "0"}, {"Central_Meridian", "27"}, {"Reference_Latitude", "0"}, {"Scale_Factor", "0.9996"},
             {"False_Easting", "500000"}, {"False_Northing", "0"}, {"cbUseLCCProjection", "1"}, {"cLambert1", "0"},
             {"eLCCSP1", "36"}, {"eLCCSP2", "42"}, {"eLCCSF", "1"}, {"eLCCCP", "39"}, {"eLCCM", "35"},
             {"eLCCFE", "500000"}, {"eLCCFN", "300000"}},
            "+proj=pipeline +step +proj=axisswap +order=2,1 +step +proj=unitconvert +xy_in=deg +xy_out=rad "
            "+step +proj=lcc +lat_1=36 +lat_2=42 +lat_0=39 +lon_0=35 +x_0=500000 +y_0=300000 +ellps=WGS84"};
}

void runProgramWithImagery(const Projection& projection)
{
    SCOPED_TRACE(projection.name);
    const double vesselLat = 41.01, vesselLon = 28.03;
    const TilePosition under = LatLonToTile(vesselLat, vesselLon, 17);
    const TileKey marked{17, under.column, under.row};
    HttpTileServer server(markedTile(marked));

    TempHome home;
    PtyPair gnss;
    gnss.mapTo(home.iniPath(), "COM5");
    {
        IniFile ini(home.iniPath());
        ini.writeString("GPS1 COMUNICATION SETTINGS", "Port No", "COM5");
        ini.writeString("GPS1 COMUNICATION SETTINGS", "Baud Rate", "9600");
        ini.writeBool("SENSOR COMUNICATION SETTINGS", "Sensor Enabled", false);
        for (const auto& [key, value] : projection.geodetic) ini.writeString("GEODETIC_PARAMETERS", key, value);
        ini.writeBool("SETTINGS", "SatelliteMapVisible", true);
        ini.writeString("IMAGERY", "Scheme", "http");
        ini.writeString("IMAGERY", "Host", "127.0.0.1");
        ini.writeInteger("IMAGERY", "Port", server.port());
        ini.writeString("IMAGERY", "PathTemplate", "/tile/{z}/{y}/{x}");
    }
    InitSharedValues();
    CreateAllWindows();
    ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 3000));
    EXPECT_EQ(FNav->StatusPanelText(6), "MAP: ON");

    FNav->bRealtime->click();
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    // A 300 m wide view around the vessel: zoom 17, a tile pixel about two screen pixels.
    auto feed = [&] {
        gnss.write(gga("101500.00", vesselLat, vesselLon, 4) + "\r\n");
        QTest::qWait(120);
    };
    for (int i = 0; i < 5; ++i) feed();
    QTest::mouseClick(FNav->findChild<QToolButton*>("Zoomin"), Qt::LeftButton);
    for (int k = 0; k < 12 && FNav->fcad->Model().WorldWidth() > 300; ++k)
        QTest::mouseClick(FNav->findChild<QToolButton*>("Zoomin"), Qt::LeftButton);

    double lat = 0, lon = 0;
    tilePixelLatLon(marked, kMarkX + 0.5, kMarkY + 0.5, lat, lon);
    const auto grid = runCct(projection.pipeline, num(lat) + " " + num(lon) + " 0 0\n");
    ASSERT_EQ(grid.size(), 1u);

    QImage frame;
    double mx = 0, my = 0;
    const bool found = QTest::qWaitFor(
        [&] {
            feed();
            FNav->fcad->RenderFrame(frame);
            return FNav->fcad->Imagery().LastZoom() == 17 && findMark(frame, mx, my);
        },
        15000);
    ASSERT_TRUE(found) << "the marked tile is drawn; requests: " << server.totalRequests();
    // Where the map puts that latitude and longitude: its grid point through the view.
    double sx = 0, sy = 0;
    {
        int px = 0, py = 0;
        FNav->fcad->WorldToScreen(grid[0][0], grid[0][1], px, py);
        sx = px;
        sy = py;
    }
    EXPECT_NEAR(mx, sx, 1.0);
    EXPECT_NEAR(my, sy, 1.0);

    FNav->bRealtime->click();
    DestroyAllWindows();
}

} // namespace

TEST(EndToEndImagery, MarkedTilePixelLandsOnItsGridPositionInTransverseMercator)
{
    if (!haveCct()) VSX_SKIP_MISSING() << "'cct' is not installed (Debian package proj-bin); the PROJ comparison is skipped";
    runProgramWithImagery(transverseMercator());
}

TEST(EndToEndImagery, MarkedTilePixelLandsOnItsGridPositionInLambert)
{
    if (!haveCct()) VSX_SKIP_MISSING() << "'cct' is not installed (Debian package proj-bin); the PROJ comparison is skipped";
    runProgramWithImagery(lambert());
}

namespace {

class SnapshotGeoreference : public ImageryGeoreference {
public:
    explicit SnapshotGeoreference(const ProjectionSnapshot& s) : s_(s) {}
    bool Ready() const override { return true; }
    bool ToGrid(double lat, double lon, double& e, double& n) const override
    {
        const auto g = s_.toGrid(lat, lon, 0, GridProjection::TransverseMercator);
        if (g) e = g->easting, n = g->northing;
        return bool(g);
    }
    bool ToWgs84(double e, double n, double& lat, double& lon) const override
    {
        const auto p = s_.toWgs84(e, n, 0, GridProjection::TransverseMercator);
        if (p) lat = p->lat, lon = p->lon;
        return bool(p);
    }
    int Generation() const override { return 1; }

private:
    const ProjectionSnapshot& s_;
};

} // namespace

TEST(EndToEndImagery, TurnedMapPlacesTheTilesWhereItDrawsTheGrid)
{
    if (!haveCct()) VSX_SKIP_MISSING() << "'cct' is not installed (Debian package proj-bin); the PROJ comparison is skipped";
    const double vesselLat = 41.01, vesselLon = 28.03;
    const TilePosition under = LatLonToTile(vesselLat, vesselLon, 17);
    const TileKey marked{17, under.column, under.row};
    HttpTileServer server(markedTile(marked));
    TempHome home;
    GeodeticTexts texts;
    texts.localDatum = "6378388 297 -1.2 0.5 -0.3 1.1 -84.1 -101.8 -129.7";
    texts.localEllipsoid = "6378388 297";
    texts.projection = "27 0 0.9996 500000 0";
    const auto snapshot = ProjectionSnapshot::take(texts);
    ASSERT_TRUE(snapshot);
    SnapshotGeoreference georeference(*snapshot);

    double lat = 0, lon = 0;
    tilePixelLatLon(marked, kMarkX + 0.5, kMarkY + 0.5, lat, lon);
    const auto grid = runCct(kLocalGridPipeline, num(lat) + " " + num(lon) + " 0 0\n");
    ASSERT_EQ(grid.size(), 1u);

    TVeldorCanvas canvas;
    canvas.resize(600, 400);
    canvas.Model().Resize(600, 400);
    const double e = grid[0][0], n = grid[0][1];
    canvas.Model().SetWorldWindow(e - 150, n + 100, e + 150, n - 100);
    TileServer ts;
    ts.scheme = "http";
    ts.host = "127.0.0.1";
    ts.port = server.port();
    ts.pathTemplate = "/tile/{z}/{y}/{x}";
    canvas.Imagery().SetServer(ts);
    canvas.Imagery().SetGeoreference(&georeference);
    canvas.SetTileCacheFolder(imageryCacheFolder());
    canvas.SetShowImagery(true);
    for (double angle : {0.0, 30.0, -75.0, 180.0}) {
        SCOPED_TRACE(angle);
        // Turned about a point away from the middle, as a head-up view following the vessel is.
        canvas.Model().SetRotationCenter(e + 40, n - 25);
        canvas.Model().SetRotation(angle);
        QImage frame;
        double mx = 0, my = 0;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                canvas.RenderFrame(frame);
                return findMark(frame, mx, my);
            },
            10000));
        int px = 0, py = 0;
        canvas.WorldToScreen(e, n, px, py);
        EXPECT_NEAR(mx, px, 1.0);
        EXPECT_NEAR(my, py, 1.0);
    }
}
