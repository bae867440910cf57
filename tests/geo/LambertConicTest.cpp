// The Lambert conformal conic module against PROJ's lcc and GeographicLib's ConicProj, its
// defaults, set-up rules and status bits.
#include "GeoTestSupport.h"
#include "PeerTools.h"
#include "geo/LambertConic.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vsx;
using namespace vsx::test;

namespace {

constexpr double kRad = M_PI / 180.0;

struct Case {
    const char* name;
    bool twoParallels;
    Lcc1SPParameters one;  // in degrees where angles, for readability
    Lcc2SPParameters two;
};

// One parallel on WGS-84 and on Hayford's ellipsoid far east; two parallels north (central
// meridian beyond 90° west) and south (a cone opening north, n < 0); a tangent two-parallel set
// whose false origin lies off its standard parallel.
const Case kCases[] = {
    {"1SP defaults", false, {6378137.0, 0.0033528106647474805, 45.0, 0.0, 0.0, 0.0, 1.0}, {}},
    {"1SP Hayford 100E", false, {6378388.0, 1.0 / 297.0, 40.5, 100.0, 200000.0, 300000.0, 0.99987742}, {}},
    {"2SP north 96W", true, {}, {6378137.0, 0.0033528106647474805, 40.0, -96.0, 36.0, 42.0, 600000.0, 0.0}},
    {"2SP south Bessel", true, {}, {6377397.155, 1.0 / 299.1528128, -32.0, 135.0, -18.0, -36.0, 1000000.0, 2000000.0}},
    {"2SP tangent", true, {}, {6378137.0, 0.0033528106647474805, 45.0, 10.0, 40.0, 40.0, 500000.0, 100000.0}},
};

double originLat(const Case& c) { return c.twoParallels ? (c.two.phi1 + c.two.phi2) / 2 : c.one.phi0; }
double centralMeridian(const Case& c) { return c.twoParallels ? c.two.lambda0 : c.one.lambda0; }

// Sets the case up (angles to radians); returns the cone constant.
double setUp(LambertConic& m, const Case& c)
{
    LccSetup s;
    if (c.twoParallels) {
        Lcc2SPParameters p = c.two;
        p.phiF *= kRad;
        p.lambda0 *= kRad;
        p.phi1 *= kRad;
        p.phi2 *= kRad;
        s = m.init2SP(p);
    } else {
        Lcc1SPParameters p = c.one;
        p.phi0 *= kRad;
        p.lambda0 *= kRad;
        s = m.init1SP(p);
    }
    EXPECT_TRUE(s.accepted) << c.name;
    return s.coneConstant;
}

int forward(LambertConic& m, const Case& c, double lat, double lon, double& e, double& n)
{
    return c.twoParallels ? m.forward2SP(lat * kRad, lon * kRad, e, n) : m.forward1SP(lat * kRad, lon * kRad, e, n);
}

int inverse(LambertConic& m, const Case& c, double e, double n, double& lat, double& lon)
{
    const int s = c.twoParallels ? m.inverse2SP(e, n, lat, lon) : m.inverse1SP(e, n, lat, lon);
    lat /= kRad;
    lon /= kRad;
    return s;
}

std::vector<std::pair<double, double>> pointsOf(const Case& c)
{
    std::vector<std::pair<double, double>> pts;
    const double lat0 = originLat(c), lon0 = centralMeridian(c);
    for (double dLat : {-20.0, -5.0, 0.0, 0.3, 7.0, 20.0})
        for (double dLon : {0.0, -5.0, 5.0, 15.0, -30.0}) pts.push_back({lat0 + dLat, lon0 + dLon});
    // Near the pole inside the cone.
    pts.push_back({lat0 > 0 ? 89.9 : -89.9, lon0 + 40.0});
    return pts;
}

std::string projDefinition(const Case& c)
{
    if (c.twoParallels) {
        const auto& p = c.two;
        return "+proj=lcc +lat_1=" + num(p.phi1) + " +lat_2=" + num(p.phi2) + " +lat_0=" + num(p.phiF) + " +lon_0="
            + num(p.lambda0) + " +x_0=" + num(p.fe) + " +y_0=" + num(p.fn) + " +a=" + num(p.a) + " +f=" + num(p.f);
    }
    const auto& p = c.one;
    return "+proj=lcc +lat_1=" + num(p.phi0) + " +lat_0=" + num(p.phi0) + " +k_0=" + num(p.k0) + " +lon_0="
        + num(p.lambda0) + " +x_0=" + num(p.fe) + " +y_0=" + num(p.fn) + " +a=" + num(p.a) + " +f=" + num(p.f);
}

} // namespace

TEST(LambertConic, ForwardAgreesWithProjAndRoundTrips)
{
    REQUIRE_TOOL("cs2cs", "proj-bin");
    for (const Case& c : kCases) {
        LambertConic m;
        setUp(m, c);
        const auto pts = pointsOf(c);
        std::string in;
        for (const auto& [lat, lon] : pts) in += num(lon) + " " + num(lat) + "\n";
        const std::string ell = c.twoParallels ? " +a=" + num(c.two.a) + " +f=" + num(c.two.f)
                                               : " +a=" + num(c.one.a) + " +f=" + num(c.one.f);
        const auto out = runTool("cs2cs -f %.8f +proj=longlat" + ell + " +to " + projDefinition(c), in);
        ASSERT_EQ(out.size(), pts.size()) << c.name;
        for (size_t i = 0; i < pts.size(); ++i) {
            const auto [lat, lon] = pts[i];
            double e = 0, n = 0;
            ASSERT_EQ(forward(m, c, lat, lon, e, n), 0) << c.name << " " << lat << " " << lon;
            ASSERT_GE(out[i].size(), 2u);
            EXPECT_NEAR(e, out[i][0], 1e-5) << c.name << " " << lat << " " << lon;
            EXPECT_NEAR(n, out[i][1], 1e-5) << c.name << " " << lat << " " << lon;
            double backLat = 0, backLon = 0;
            ASSERT_EQ(inverse(m, c, e, n, backLat, backLon), 0);
            EXPECT_NEAR(backLat, lat, 1e-9) << c.name << " " << lat << " " << lon;
            EXPECT_NEAR(std::remainder(backLon - lon, 360.0), 0.0, 1e-9) << c.name << " " << lat << " " << lon;
        }
    }
}

// ConicProj has no false origin: its northing at the latitude of false origin comes first. Its
// gamma is the bearing of grid north from true north, the opposite of our convergence.
TEST(LambertConic, TwoParallelsAndConvergenceAgreeWithConicProj)
{
    REQUIRE_TOOL("ConicProj", "geographiclib-tools");
    for (const Case& c : kCases) {
        if (!c.twoParallels) continue;
        LambertConic m;
        const double n0 = setUp(m, c);
        const auto pts = pointsOf(c);
        std::string in = num(c.two.phiF) + " " + num(c.two.lambda0) + "\n";
        for (const auto& [lat, lon] : pts) in += num(lat) + " " + num(lon) + "\n";
        const auto out = runTool("ConicProj -c " + num(c.two.phi1) + " " + num(c.two.phi2) + " -l " + num(c.two.lambda0)
                                     + " -e " + num(c.two.a) + " " + num(c.two.f) + " -p 9",
                                 in);
        ASSERT_EQ(out.size(), pts.size() + 1) << c.name;
        const double y0 = out[0][1];
        for (size_t i = 0; i < pts.size(); ++i) {
            const auto [lat, lon] = pts[i];
            double e = 0, n = 0;
            ASSERT_EQ(forward(m, c, lat, lon, e, n), 0);
            ASSERT_EQ(out[i + 1].size(), 4u);
            EXPECT_NEAR(e, c.two.fe + out[i + 1][0], 1e-5) << c.name << " " << lat << " " << lon;
            EXPECT_NEAR(n, c.two.fn + out[i + 1][1] - y0, 1e-5) << c.name << " " << lat << " " << lon;
            EXPECT_NEAR(lambertGridConvergence(n0, lon, c.two.lambda0), -out[i + 1][2], 1e-9) << c.name;
        }
    }
}

// Same convention as the transverse Mercator: the grid bearing of a step due north.
TEST(LambertConic, ConvergenceIsTheGridBearingOfTrueNorth)
{
    for (const Case& c : kCases) {
        LambertConic m;
        const double n0 = setUp(m, c);
        for (const auto& [lat, lon] : pointsOf(c)) {
            if (std::fabs(lat) > 89.0) continue;
            double e1, n1, e2, n2;
            ASSERT_EQ(forward(m, c, lat, lon, e1, n1), 0);
            ASSERT_EQ(forward(m, c, lat + 1e-6, lon, e2, n2), 0);
            const double bearing = std::atan2(e2 - e1, n2 - n1) / kRad;
            EXPECT_NEAR(lambertGridConvergence(n0, lon, centralMeridian(c)), bearing, 1e-5) << c.name << " " << lat;
        }
    }
    EXPECT_LT(lambertGridConvergence(0.63, 5.0, 0.0), 0.0);  // east of the meridian, northern cone
    EXPECT_NEAR(lambertGridConvergence(0.5, -179.0, 179.0), -1.0, 1e-12);  // across the antimeridian
}

TEST(LambertConic, DefaultsAndDerivedConstants)
{
    LambertConic m;
    const auto p1 = m.params1SP();
    EXPECT_EQ(p1.a, 6378137.0);
    EXPECT_DOUBLE_EQ(p1.phi0, M_PI / 4);
    EXPECT_NEAR(m.coneConstant1SP(), 0.70710678118655, 1e-14);
    double e = 1, n = 1;
    ASSERT_EQ(m.forward1SP(M_PI / 4, 0.0, e, n), 0);
    EXPECT_NEAR(e, 0.0, 1e-6);
    EXPECT_NEAR(n, 0.0, 1e-6);
    // At the pole of a northern cone rho is 0: the northing is rho0 = r0 = 6388838.2901212.
    ASSERT_EQ(m.forward1SP(M_PI / 2, 0.3, e, n), 0);
    EXPECT_NEAR(e, 0.0, 1e-9);
    EXPECT_NEAR(n, 6388838.2901212, 1e-6);
    double lat, lon;
    ASSERT_EQ(m.inverse1SP(0.0, n, lat, lon), 0);  // exactly (FE, FN + rho0)
    EXPECT_NEAR(lat, M_PI / 2, 1e-9);
    EXPECT_EQ(lon, 0.0);

    // The two-parallel defaults (40° and 50°, false origin 45°) come with their equivalent
    // one-parallel projection: origin 0.78669154042193, k0 0.99620424745181, FN 8204.2214438468.
    const double n2 = m.coneConstant2SP();
    EXPECT_NEAR(std::asin(n2), 0.78669154042193, 1e-13);
    ASSERT_EQ(m.forward2SP(M_PI / 4, 0.0, e, n), 0);
    EXPECT_NEAR(n, 0.0, 1e-6);  // the false origin
    const auto eq = m.params1SP();  // the one-parallel block now holds the equivalent
    EXPECT_NEAR(eq.phi0, 0.78669154042193, 1e-13);
    EXPECT_NEAR(eq.k0, 0.99620424745181, 1e-13);
    EXPECT_NEAR(eq.fn, 8204.2214438468, 1e-6);
}

TEST(LambertConic, RefusedSetUpsChangeNothingAndSaySo)
{
    LambertConic m;
    const Lcc1SPParameters good{6378137.0, 0.0033528106647474805, 0.7, 0.5, 1000.0, 2000.0, 0.9996};
    const double n0 = m.init1SP(good).coneConstant;
    struct Bad {
        const char* why;
        Lcc1SPParameters p;
    };
    Lcc1SPParameters p = good;
    std::vector<Bad> bad;
    p = good; p.phi0 = 0; bad.push_back({"origin on the equator", p});
    p = good; p.phi0 = 1.5707963; bad.push_back({"origin at the pole", p});
    p = good; p.k0 = 0.2; bad.push_back({"k0 0.2", p});
    p = good; p.k0 = NAN; bad.push_back({"k0 NaN", p});
    p = good; p.lambda0 = 7.0; bad.push_back({"central meridian past 2 pi", p});
    p = good; p.a = 0; bad.push_back({"a 0", p});
    p = good; p.f = 0.005; bad.push_back({"1/f 200", p});
    p = good; p.f = 0; bad.push_back({"sphere", p});
    p = good; p.f = 400.0; bad.push_back({"1/f 400 typed as inverse", p});
    for (const auto& b : bad) {
        const LccSetup s = m.init1SP(b.p);
        EXPECT_FALSE(s.accepted) << b.why;
        EXPECT_EQ(s.coneConstant, n0) << b.why;
        EXPECT_EQ(m.params1SP().phi0, 0.7) << b.why;
        EXPECT_EQ(m.params1SP().k0, 0.9996) << b.why;
    }
    // The flattening field typed as an inverse flattening is that ellipsoid, not a refusal.
    p = good;
    p.f = 298.257223563;
    const LccSetup s = m.init1SP(p);
    EXPECT_TRUE(s.accepted);
    EXPECT_NEAR(m.params1SP().f, 0.0033528106647474805, 1e-18);

    const Lcc2SPParameters g2{6378137.0, 0.0033528106647474805, 0.7, 0.0, 0.6, 0.8, 0.0, 0.0};
    ASSERT_TRUE(m.init2SP(g2).accepted);
    Lcc2SPParameters b2 = g2;
    b2.phi1 = 10 * kRad;
    b2.phi2 = -10 * kRad;
    EXPECT_FALSE(m.init2SP(b2).accepted);
    b2 = g2;
    b2.phi1 = b2.phi2 = 0;
    EXPECT_FALSE(m.init2SP(b2).accepted);
    b2 = g2;
    b2.phiF = -M_PI / 2;  // the pole at the open end of a northern cone
    EXPECT_FALSE(m.init2SP(b2).accepted);
    b2.phiF = M_PI / 2 + 1e-9;
    const LccSetup beyond = m.init2SP(b2);
    EXPECT_FALSE(beyond.accepted);
    ASSERT_NE(beyond.problem, nullptr);
    EXPECT_STREQ(beyond.problem, "the latitude of false origin is beyond a pole");
    EXPECT_EQ(m.params2SP().phi1, 0.6);

    // The flat interface passes the answer on.
    lambertConic() = LambertConic();
    bool accepted = true;
    const double n = LccInit1SP(6378137.0, 0.0033528106647474805, 0.0, 0.0, 0.0, 0.0, 1.0, &accepted);
    EXPECT_FALSE(accepted);
    EXPECT_NEAR(n, std::sin(M_PI / 4), 1e-15);
    EXPECT_NEAR(LccInit2SP(6378137.0, 0.0033528106647474805, 0.7, 0.0, 40 * kRad, 40 * kRad, 0.0, 0.0, &accepted),
                std::sin(40 * kRad), 1e-15);
    EXPECT_TRUE(accepted);
    double a, f, phi0, lambda0, fe, fn, k0;
    LccParams1SP(a, f, phi0, lambda0, fe, fn, k0);
    EXPECT_NEAR(phi0, 40 * kRad, 1e-15);  // tangent: the standard parallel is the origin
    EXPECT_EQ(k0, 1.0);
}

// Belgian Lambert 72 (EPSG:31370) has its false origin at the north pole, the apex of its cone.
TEST(LambertConic, FalseOriginAtThePoleAgreesWithBelgianLambert72)
{
    REQUIRE_TOOL("cs2cs", "proj-bin");
    const double lat1 = 51.1666672333333, lat2 = 49.8333339, lon0 = 4.36748666666667;
    LambertConic m;
    const LccSetup s =
        m.init2SP({6378388.0, 1.0 / 297.0, 90 * kRad, lon0 * kRad, lat1 * kRad, lat2 * kRad, 150000.013, 5400088.438});
    ASSERT_TRUE(s.accepted) << (s.problem ? s.problem : "");
    // Points on Belgium 1972 (EPSG:4313), latitude first as EPSG orders them.
    const std::vector<std::pair<double, double>> pts = {
        {50.8, 4.35}, {51.35, 3.2}, {49.5, 5.8}, {50.0, 6.4}, {51.5, 4.4}, {90 - 1e-7, 10.0}};
    std::string in;
    for (const auto& [lat, lon] : pts) in += num(lat) + " " + num(lon) + "\n";
    const auto out = runTool("cs2cs -f %.6f EPSG:4313 EPSG:31370", in);
    ASSERT_EQ(out.size(), pts.size());
    for (size_t i = 0; i < pts.size(); ++i) {
        const auto [lat, lon] = pts[i];
        double e = 0, n = 0;
        ASSERT_EQ(m.forward2SP(lat * kRad, lon * kRad, e, n), 0) << lat << " " << lon;
        ASSERT_GE(out[i].size(), 2u);
        EXPECT_NEAR(e, out[i][0], 1e-3) << lat << " " << lon;
        EXPECT_NEAR(n, out[i][1], 1e-3) << lat << " " << lon;
        double backLat = 0, backLon = 0;
        ASSERT_EQ(m.inverse2SP(e, n, backLat, backLon), 0);
        EXPECT_NEAR(backLat / kRad, lat, 1e-9);
        EXPECT_NEAR(backLon / kRad, lon, 1e-7);
    }
    // The pole itself is the grid's false origin.
    double e = 0, n = 0;
    ASSERT_EQ(m.forward2SP(M_PI / 2, 0.3, e, n), 0);
    EXPECT_NEAR(e, 150000.013, 1e-6);
    EXPECT_NEAR(n, 5400088.438, 1e-6);
}

TEST(LambertConic, StatusBits)
{
    LambertConic m;
    double e = 123, n = 456, lat = 7, lon = 8;
    struct Row {
        double phi, lambda;
        int status;
    };
    const Row forwardRows[] = {
        {0.7, 7.0, LccBadLongitude},      {1.6, 7.0, LccBadLatitude | LccBadLongitude},
        {-M_PI / 2, 0.0, LccBadLatitude}, {0.7, -3.2, LccBadLongitude},
        {NAN, 0.0, LccBadLatitude},       {0.7, INFINITY, LccBadLongitude},
    };
    for (const auto& r : forwardRows) {
        EXPECT_EQ(m.forward1SP(r.phi, r.lambda, e, n), r.status) << r.phi << " " << r.lambda;
        EXPECT_EQ(m.forward2SP(r.phi, r.lambda, e, n), r.status) << r.phi << " " << r.lambda;
    }
    EXPECT_EQ(e, 123);  // nothing written on failure
    EXPECT_EQ(n, 456);
    EXPECT_EQ(m.inverse1SP(5e7, 0.0, lat, lon), LccBadEasting);
    EXPECT_EQ(m.inverse1SP(0.0, -5e7, lat, lon), LccBadNorthing);
    EXPECT_EQ(m.inverse1SP(5e7, 5e7, lat, lon), LccBadEasting | LccBadNorthing);
    EXPECT_EQ(m.inverse2SP(NAN, 0.0, lat, lon), LccBadEasting);
    EXPECT_EQ(lat, 7);
    EXPECT_EQ(lon, 8);
    // A longitude up to 2π is the same meridian less 2π.
    double e1, n1, e2, n2;
    ASSERT_EQ(m.forward1SP(0.7, 2 * M_PI - 0.1, e1, n1), 0);
    ASSERT_EQ(m.forward1SP(0.7, -0.1, e2, n2), 0);
    EXPECT_NEAR(e1, e2, 1e-6);
    EXPECT_NEAR(n1, n2, 1e-6);
}

// Points a few decimetres from the equator, from Greenwich and from the antimeridian come back
// where they were (no snapping onto those lines).
TEST(LambertConic, InverseKeepsPointsNearTheSpecialLines)
{
    LambertConic m;
    ASSERT_TRUE(m.init1SP({6378137.0, 0.0033528106647474805, 30 * kRad, 0.0, 0.0, 0.0, 1.0}).accepted);
    const double small = 1e-7;  // about 0.6 m
    const std::pair<double, double> pts[] = {{small, 0.3}, {0.5, small}, {0.5, -small}, {0.5, M_PI - small}, {0.5, -M_PI + small}};
    for (const auto& [phi, lambda] : pts) {
        double e, n, p, l;
        ASSERT_EQ(m.forward1SP(phi, lambda, e, n), 0);
        ASSERT_EQ(m.inverse1SP(e, n, p, l), 0);
        // The latitude iteration stops at 4.85e-10 rad between steps, leaving about 2e-12 rad.
        EXPECT_NEAR(p, phi, 1e-11) << phi << " " << lambda;
        EXPECT_NEAR(l, lambda, 1e-11) << phi << " " << lambda;
    }
}
