// Earth-centred conversion and the seven-parameter datum transformation against GeographicLib's
// CartConvert and PROJ's cct.
#include "GeoTestSupport.h"
#include "PeerTools.h"
#include "geo/Datum.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vsx;
using namespace vsx::test;

namespace {

// Both hemispheres, the equator, near the poles, far beyond ±90° of longitude, deep and high.
const std::vector<Geodetic> kPoints = {
    {41.0251, 28.9744, 50.0},  {-33.8688, 151.2093, 20.0}, {47.6062, -122.3321, 0.0}, {-54.8019, -68.303, 1000.0},
    {0.0, 0.0, 0.0},           {0.0001, 179.9, 0.0},       {89.9, 45.0, 10.0},         {-89.9, -135.0, 0.0},
    {60.0, 95.0, -100.0},      {10.0, -95.0, 10000.0},     {35.0, 135.0, 0.0},         {-12.5, -170.25, 3.5},
};

std::string pointLines()
{
    std::string in;
    for (const auto& p : kPoints) in += num(p.lat) + " " + num(p.lon) + " " + num(p.h) + "\n";
    return in;
}

const char* kLatLonIn = "+proj=pipeline +step +proj=axisswap +order=2,1 +step +proj=unitconvert +xy_in=deg +xy_out=rad";
const char* kLatLonOut = " +step +proj=unitconvert +xy_in=rad +xy_out=deg +step +proj=axisswap +order=2,1";

} // namespace

TEST(Datum, EarthCentredAgreesWithCartConvertBothWays)
{
    REQUIRE_TOOL("CartConvert", "geographiclib-tools");
    for (const Ellipsoid& el : {kWgs84Ellipsoid, kHayfordDatum.ellipsoid}) {
        const std::string e = " -e " + num(el.a) + " " + num(el.f) + " -p 9";
        const auto xyz = runTool("CartConvert" + e, pointLines());
        ASSERT_EQ(xyz.size(), kPoints.size());
        std::string back;
        for (size_t i = 0; i < kPoints.size(); ++i) {
            ASSERT_EQ(xyz[i].size(), 3u) << i;
            const auto ours = geodeticToEcef(kPoints[i], el);
            ASSERT_TRUE(ours);
            EXPECT_NEAR(ours->x, xyz[i][0], 1e-6) << i;
            EXPECT_NEAR(ours->y, xyz[i][1], 1e-6) << i;
            EXPECT_NEAR(ours->z, xyz[i][2], 1e-6) << i;
            back += num(xyz[i][0]) + " " + num(xyz[i][1]) + " " + num(xyz[i][2]) + "\n";
        }
        // Reverse: the peer's cartesian coordinates back to geodetic, ours beside its own.
        const auto geo = runTool("CartConvert -r" + e, back);
        ASSERT_EQ(geo.size(), kPoints.size());
        for (size_t i = 0; i < kPoints.size(); ++i) {
            const auto ours = ecefToGeodetic({xyz[i][0], xyz[i][1], xyz[i][2]}, el);
            ASSERT_TRUE(ours) << i;
            EXPECT_LT(horizontalMetres(ours->lat, ours->lon, geo[i][0], geo[i][1]), 1e-6) << i;
            EXPECT_NEAR(ours->h, geo[i][2], 1e-6) << i;
            // Longitudes beyond ±90° come back in their own quadrant (an arctangent of Y/X would
            // put 95°W at 85°E).
            EXPECT_LT(horizontalMetres(ours->lat, ours->lon, kPoints[i].lat, kPoints[i].lon), 1e-6) << i;
        }
    }
}

// Each block of the datum text carries that datum into WGS-84: WGS-84 -> local applies the local
// block backwards, local -> WGS-84 forwards. Compared in both directions, as earth-centred
// coordinates and as geodetic ones, with PROJ's exact coordinate-frame Helmert.
TEST(Datum, TransformationAgreesWithProjCoordinateFrameHelmert)
{
    REQUIRE_TOOL("cct", "proj-bin");
    for (const DatumBlock& local : {kHayfordDatum, kBesselDatum}) {
        const std::string wgsCart = " +step +proj=cart +ellps=WGS84";
        const std::string localCart = " +step +proj=cart " + projEllipsoid(local.ellipsoid);
        const std::string helmert = " +step " + projHelmert(local.toWgs84);
        const std::string invHelmert = " +step +inv " + projHelmert(local.toWgs84);
        struct Direction {
            DatumBlock from, to;
            std::string xyzPipeline, geoPipeline;
        };
        const Direction directions[] = {
            {kWgs84Datum, local, kLatLonIn + wgsCart + invHelmert,
             kLatLonIn + wgsCart + invHelmert + " +step +inv +proj=cart " + projEllipsoid(local.ellipsoid) + kLatLonOut},
            {local, kWgs84Datum, kLatLonIn + localCart + helmert,
             kLatLonIn + localCart + helmert + " +step +inv +proj=cart +ellps=WGS84" + kLatLonOut},
        };
        for (const auto& d : directions) {
            const DatumTransformation t(d.from, d.to);
            const auto xyz = runTool("cct -d 8 " + d.xyzPipeline, pointLines());
            const auto geo = runTool("cct -d 12 " + d.geoPipeline, pointLines());
            ASSERT_EQ(xyz.size(), kPoints.size());
            ASSERT_EQ(geo.size(), kPoints.size());
            for (size_t i = 0; i < kPoints.size(); ++i) {
                const auto ours = t.toTargetEcef(kPoints[i]);
                ASSERT_TRUE(ours);
                ASSERT_GE(xyz[i].size(), 3u);
                EXPECT_NEAR(ours->x, xyz[i][0], 1e-4) << i;
                EXPECT_NEAR(ours->y, xyz[i][1], 1e-4) << i;
                EXPECT_NEAR(ours->z, xyz[i][2], 1e-4) << i;
                const auto g = t.convert(kPoints[i]);
                ASSERT_TRUE(g);
                ASSERT_GE(geo[i].size(), 3u);
                EXPECT_LT(horizontalMetres(g->lat, g->lon, geo[i][0], geo[i][1]), 1e-4) << i;
                EXPECT_NEAR(g->h, geo[i][2], 1e-4) << i;
            }
        }
    }
}

TEST(Datum, RoundTripReturnsTheStartingPoint)
{
    for (const DatumBlock& local : {kHayfordDatum, kBesselDatum}) {
        const DatumTransformation there(kWgs84Datum, local), back(local, kWgs84Datum);
        for (const auto& p : kPoints) {
            const auto q = there.convert(p);
            ASSERT_TRUE(q);
            const auto r = back.convert(*q);
            ASSERT_TRUE(r);
            EXPECT_NEAR(r->lat, p.lat, 1e-9);
            EXPECT_NEAR(std::remainder(r->lon - p.lon, 360.0), 0.0, 1e-9);
            EXPECT_NEAR(r->h, p.h, 1e-6);
        }
    }
}

TEST(Datum, PolarAxisAndUnusableInputGiveNoValue)
{
    // Exactly on the axis there is no longitude; one micrometre off it works.
    EXPECT_FALSE(ecefToGeodetic({0, 0, 6356752.3}, kWgs84Ellipsoid));
    EXPECT_FALSE(ecefToGeodetic({0, 0, -6356752.3}, kWgs84Ellipsoid));
    const auto nearPole = ecefToGeodetic({1e-6, 0, 6356752.3}, kWgs84Ellipsoid);
    ASSERT_TRUE(nearPole);
    EXPECT_NEAR(nearPole->lat, 90.0, 1e-9);
    EXPECT_FALSE(ecefToGeodetic({0, 0, 0}, kWgs84Ellipsoid));
    EXPECT_FALSE(ecefToGeodetic({NAN, 1, 1}, kWgs84Ellipsoid));
    EXPECT_FALSE(geodeticToEcef({90.5, 0, 0}, kWgs84Ellipsoid));
    EXPECT_FALSE(geodeticToEcef({10, INFINITY, 0}, kWgs84Ellipsoid));
    // An inverse flattening in the flattening's place is refused, never turned into NaN.
    EXPECT_FALSE(geodeticToEcef({10, 10, 0}, {6378137.0, 298.257223563}));
}
