// The whole program offscreen with imagery on: a pseudo-terminal GNSS receiver gives the vessel's
// position, a tile server on the loopback address serves tiles made here, and a marked tile pixel
// must land within a screen pixel of where the map draws that pixel's latitude and longitude on
// the grid (PROJ), in transverse Mercator with a datum shift and in Lambert.
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/WindowPointers.h"
#include "canvas/TileMath.h"
#include "canvas/VeldorCanvas.h"
#include "canvas/WorldImagery.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "program/ProgramStart.h"

#include "NavTestSupport.h"
#include "support/ControlInput.h"
#include "support/HttpTileServer.h"
#include "support/MissingPeer.h"
#include "support/PtyPair.h"
#include "support/TempHome.h"

#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cmath>

using namespace vsx;
using namespace vsx::test;

namespace {

constexpr int kMarkX = 100, kMarkY = 150;  // the marked pixel inside the marked tile

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

    click(FNav->bRealtime);
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
    tilePixelLatLon(marked.x, marked.y, marked.z, kMarkX + 0.5, kMarkY + 0.5, lat, lon);
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

    click(FNav->bRealtime);
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
