// Transverse Mercator against GeographicLib's exact projection (TransverseMercatorProj -t) and
// PROJ's tmerc, and the sign convention of the grid convergence.
//
// Measured error of the closed series against the exact projection, horizontal, mm (WGS-84,
// origin on the equator; the inverse, being the exact inverse of the forward series, has the
// same error as the forward):
//     |Δλ| from the central meridian    1°      2°      3°      4.5°    6°
//     latitude  0°                      0.00    0.01    0.10    1.57    11.5
//     latitude 20°                      0.00    0.00    0.00    0.06    0.56
//     latitude 40°                      0.14    0.14    0.15    0.73    5.3
//     latitude 60°                      0.76    0.76    0.76    0.77    0.86
//     latitude 80°                      0.76    0.76    0.76    0.76    0.76
//     latitude 89.9°                    0.22    0.22    0.22    0.22    0.22
// The constant part is the meridian-arc series (to e^6); it reaches 0.97 mm over the table's
// longest arc (an origin at 40°N used at 33.9°S). Largest over the whole table: 0.97 mm up to 3°,
// 1.6 mm at 4.5°, 11.5 mm at 6°. It is a 3°-zone and UTM projection.
#include "GeoTestSupport.h"
#include "PeerTools.h"
#include "geo/TransverseMercator.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vsx;
using namespace vsx::test;

namespace {

struct Zone {
    const char* name;
    Ellipsoid ellipsoid;
    TmParameters p;
};

const Zone kZones[] = {
    {"UTM 35N", kWgs84Ellipsoid, {27.0, 0.0, 0.9996, 500000.0, 0.0}},
    {"UTM 56S", kWgs84Ellipsoid, {153.0, 0.0, 0.9996, 500000.0, 10000000.0}},
    {"UTM 10N", kWgs84Ellipsoid, {-123.0, 0.0, 0.9996, 500000.0, 0.0}},
    {"3-degree zone on Hayford", {6378388.0, 1.0 / 297.0}, {30.0, 0.0, 1.0, 500000.0, 0.0}},
    {"origin 40N on Bessel", {6377397.155, 1.0 / 299.1528128}, {-96.0, 40.0, 0.9999, 300000.0, 200000.0}},
    {"antimeridian", kWgs84Ellipsoid, {179.0, -30.0, 0.9996, 500000.0, 10000000.0}},
};
const double kLatitudes[] = {-89.9, -70.0, -33.9, -0.5, 0.0, 12.0, 41.0, 60.0, 80.0, 89.9};
const double kOffsets[] = {0.0, 0.5, -1.5, 2.0, 3.0, -3.0, 4.5, -4.5, 6.0, -6.0};

// The largest error allowed at a distance from the central meridian, metres.
double allowedForward(double offset)
{
    const double d = std::fabs(offset);
    return d <= 3.0 ? 0.001 : d <= 4.5 ? 0.002 : 0.015;
}

struct Row {
    const Zone* zone;
    double lat, lon, offset;
};

std::vector<Row> rowsOf(const Zone& z)
{
    std::vector<Row> rows;
    for (double lat : kLatitudes) {
        // A zone serves latitudes near its origin; over more than 90° of latitude the meridian
        // arc series alone drifts past a millimetre.
        if (std::fabs(lat - z.p.latitudeOfOrigin) > 90.0) continue;
        for (double d : kOffsets) {
            double lon = z.p.centralMeridian + d;
            if (lon > 180) lon -= 360;
            rows.push_back({&z, lat, lon, d});
        }
    }
    return rows;
}

std::string geographicCommand(const Zone& z, bool reverse)
{
    return std::string("TransverseMercatorProj -t") + (reverse ? " -r" : "") + " -l " + num(z.p.centralMeridian)
        + " -k " + num(z.p.scaleFactor) + " -e " + num(z.ellipsoid.a) + " " + num(z.ellipsoid.f) + " -p 9";
}

} // namespace

TEST(TransverseMercator, ForwardAndInverseAgreeWithTheExactProjection)
{
    REQUIRE_TOOL("TransverseMercatorProj", "geographiclib-tools");
    for (const Zone& z : kZones) {
        const auto tm = TransverseMercator::make(z.ellipsoid, z.p);
        ASSERT_TRUE(tm) << z.name;
        const auto rows = rowsOf(z);
        // The peer has no false origin: its northing at the latitude of origin comes first.
        std::string in = num(z.p.latitudeOfOrigin) + " " + num(z.p.centralMeridian) + "\n";
        for (const auto& r : rows) in += num(r.lat) + " " + num(r.lon) + "\n";
        const auto out = runTool(geographicCommand(z, false), in);
        ASSERT_EQ(out.size(), rows.size() + 1) << z.name;
        const double y0 = out[0][1];
        for (size_t i = 0; i < rows.size(); ++i) {
            const Row& r = rows[i];
            const double e = z.p.falseEasting + out[i + 1][0];
            const double n = z.p.falseNorthing + out[i + 1][1] - y0;
            const auto g = tm->forward(r.lat, r.lon);
            ASSERT_TRUE(g);
            const double forwardError = std::hypot(g->easting - e, g->northing - n);
            EXPECT_LT(forwardError, allowedForward(r.offset)) << z.name << " " << r.lat << " " << r.lon;
            const auto back = tm->inverse(e, n);
            ASSERT_TRUE(back);
            const double inverseError = horizontalMetres(back->lat, back->lon, r.lat, r.lon);
            EXPECT_LT(inverseError, allowedForward(r.offset)) << z.name << " " << r.lat << " " << r.lon;
        }
    }
}

// PROJ applies the latitude of origin and the false origin itself, so this checks those apart
// from the series (PROJ's tmerc agrees with the exact projection to far below a millimetre).
TEST(TransverseMercator, FalseOriginAgreesWithProj)
{
    REQUIRE_TOOL("cs2cs", "proj-bin");
    for (const Zone& z : kZones) {
        const auto tm = TransverseMercator::make(z.ellipsoid, z.p);
        ASSERT_TRUE(tm);
        std::vector<Row> rows;
        for (const Row& r : rowsOf(z))
            if (std::fabs(r.offset) <= 3.0) rows.push_back(r);
        std::string in;
        for (const auto& r : rows) in += num(r.lon) + " " + num(r.lat) + "\n";
        const std::string el = projEllipsoid(z.ellipsoid);
        const auto out = runTool("cs2cs -f %.6f +proj=longlat " + el + " +to +proj=tmerc +lat_0="
                                     + num(z.p.latitudeOfOrigin) + " +lon_0=" + num(z.p.centralMeridian) + " +k_0="
                                     + num(z.p.scaleFactor) + " +x_0=" + num(z.p.falseEasting) + " +y_0="
                                     + num(z.p.falseNorthing) + " " + el,
                                 in);
        ASSERT_EQ(out.size(), rows.size()) << z.name;
        for (size_t i = 0; i < rows.size(); ++i) {
            const auto g = tm->forward(rows[i].lat, rows[i].lon);
            ASSERT_TRUE(g);
            ASSERT_GE(out[i].size(), 2u);
            EXPECT_LT(std::hypot(g->easting - out[i][0], g->northing - out[i][1]), 0.001)
                << z.name << " " << rows[i].lat << " " << rows[i].lon;
        }
    }
}

TEST(TransverseMercator, ScaleFactorAndConvergenceAgreeWithTheExactProjection)
{
    REQUIRE_TOOL("TransverseMercatorProj", "geographiclib-tools");
    for (const Zone& z : kZones) {
        const auto tm = TransverseMercator::make(z.ellipsoid, z.p);
        ASSERT_TRUE(tm);
        const auto rows = rowsOf(z);
        std::string in;
        for (const auto& r : rows) in += num(r.lat) + " " + num(r.lon) + "\n";
        const auto out = runTool(geographicCommand(z, false), in);
        ASSERT_EQ(out.size(), rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            ASSERT_EQ(out[i].size(), 4u);
            // The peer's gamma is the bearing of grid north from true north: the opposite sign.
            EXPECT_NEAR(tm->gridConvergence(rows[i].lat, rows[i].lon), -out[i][2], 0.001 / 3600.0)
                << z.name << " " << rows[i].lat << " " << rows[i].lon;
            EXPECT_NEAR(tm->pointScaleFactor(rows[i].lat, rows[i].lon), out[i][3], 1e-8)
                << z.name << " " << rows[i].lat << " " << rows[i].lon;
        }
    }
}

// The map turns the vessel by true heading + convergence, so the convergence must be the grid
// bearing of true north: a short step due north, projected, has that bearing on the grid.
TEST(TransverseMercator, ConvergenceIsTheGridBearingOfTrueNorth)
{
    const auto tm = TransverseMercator::make(kWgs84Ellipsoid, {27.0, 0.0, 0.9996, 500000.0, 0.0});
    ASSERT_TRUE(tm);
    for (double lat : {-60.0, -20.0, 20.0, 40.0, 60.0})
        for (double d : {-3.0, -1.0, 1.0, 3.0}) {
            const auto a = tm->forward(lat, 27.0 + d), b = tm->forward(lat + 1e-6, 27.0 + d);
            const double bearing = std::atan2(b->easting - a->easting, b->northing - a->northing) * 180.0 / M_PI;
            EXPECT_NEAR(tm->gridConvergence(lat, 27.0 + d), bearing, 1e-5) << lat << " " << d;
            // East of the central meridian in the north it is negative.
            if (lat > 0 && d > 0) {
                EXPECT_LT(tm->gridConvergence(lat, 27.0 + d), 0.0);
            }
        }
    EXPECT_EQ(tm->gridConvergence(41.0, 27.0), 0.0);
    EXPECT_DOUBLE_EQ(tm->pointScaleFactor(41.0, 27.0), 0.9996);
}

TEST(TransverseMercator, RoundTripsReturnTheStartingPoint)
{
    for (const Zone& z : kZones) {
        const auto tm = TransverseMercator::make(z.ellipsoid, z.p);
        ASSERT_TRUE(tm);
        for (const Row& r : rowsOf(z)) {
            const auto g = tm->forward(r.lat, r.lon);
            ASSERT_TRUE(g);
            const auto back = tm->inverse(g->easting, g->northing);
            ASSERT_TRUE(back);
            EXPECT_NEAR(back->lat, r.lat, 1e-9) << z.name << " " << r.lat << " " << r.lon;
            EXPECT_NEAR(std::remainder(back->lon - r.lon, 360.0), 0.0, 1e-9) << z.name << " " << r.lat << " " << r.lon;
        }
    }
    // The origin itself lands on the false origin.
    const auto tm = TransverseMercator::make(kBesselDatum.ellipsoid, kZones[4].p);
    const auto origin = tm->forward(40.0, -96.0);
    EXPECT_NEAR(origin->easting, 300000.0, 1e-9);
    EXPECT_NEAR(origin->northing, 200000.0, 1e-9);
}

TEST(TransverseMercator, UnusableParametersAreRefused)
{
    EXPECT_FALSE(TransverseMercator::make(kWgs84Ellipsoid, {27.0, 0.0, 0.0, 500000.0, 0.0}));   // k0 0
    EXPECT_FALSE(TransverseMercator::make(kWgs84Ellipsoid, {27.0, 95.0, 1.0, 0.0, 0.0}));       // origin past the pole
    EXPECT_FALSE(TransverseMercator::make({-1.0, 0.003}, {27.0, 0.0, 1.0, 0.0, 0.0}));
    EXPECT_FALSE(TransverseMercator::make(kWgs84Ellipsoid, {NAN, 0.0, 1.0, 0.0, 0.0}));
    // An inverse flattening is taken as such, giving the same projection as the flattening.
    const auto byInverse = TransverseMercator::make({6378137.0, 298.257223563}, {27.0, 0.0, 0.9996, 500000.0, 0.0});
    const auto byFlattening = TransverseMercator::make(kWgs84Ellipsoid, {27.0, 0.0, 0.9996, 500000.0, 0.0});
    ASSERT_TRUE(byInverse && byFlattening);
    EXPECT_NEAR(byInverse->forward(41.0, 29.0)->northing, byFlattening->forward(41.0, 29.0)->northing, 1e-6);
    const auto tm = byFlattening;
    EXPECT_FALSE(tm->forward(90.5, 27.0));
    EXPECT_FALSE(tm->forward(NAN, 27.0));
    EXPECT_FALSE(tm->inverse(INFINITY, 0.0));
    EXPECT_FALSE(tm->inverse(500000.0, 1e12));  // far off the ellipsoid
}
