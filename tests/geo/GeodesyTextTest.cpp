// The coordinate text interface: its number forms, its failure answers, and the composite
// WGS-84 <-> grid conversions against a PROJ pipeline.
#include "GeoTestSupport.h"
#include "PeerTools.h"
#include "geo/GeodesyText.h"
#include "platform/Numbers.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vsx;
using namespace vsx::test;

namespace {

const std::string kWgs(kWgs84DatumBlockText);
const std::string kWgsToWgs = kWgs + "  " + kWgs;

std::string blockText(const DatumBlock& d)
{
    const Helmert7& h = d.toWgs84;
    return num(d.ellipsoid.a) + " " + num(d.ellipsoid.f) + " " + num(h.ppm) + " " + num(h.rx) + " " + num(h.ry) + " "
        + num(h.rz) + " " + num(h.tx) + " " + num(h.ty) + " " + num(h.tz);
}

std::vector<double> numbersOf(const std::string& text)
{
    std::vector<double> out;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        const size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        if (i > start) {
            const auto v = parseDouble(text.substr(start, i - start));
            if (!v) return {};
            out.push_back(*v);
        }
    }
    return out;
}

} // namespace

TEST(GeodesyText, DatumConversionForms)
{
    // WGS-84 to WGS-84 gives the point back, 8, 8 and 2 decimals, tab-separated.
    EXPECT_EQ(ConvertCoordinates("BLH", "41.0251234 28.9744321 55.123", kWgsToWgs), "41.02512340\t28.97443210\t55.12");
    EXPECT_EQ(ConvertCoordinates("XYZ", "0 0 0", kWgsToWgs), "6378137\t0\t0");
    // Only "XYZ" exactly selects earth-centred output.
    EXPECT_EQ(ConvertCoordinates("xyz", "0 0 0", kWgsToWgs), "0.00000000\t0.00000000\t0.00");
    // Longitudes beyond ±90° keep their quadrant.
    EXPECT_EQ(ConvertCoordinates("BLH", "-33.5 151.25 10", kWgsToWgs), "-33.50000000\t151.25000000\t10.00");
    EXPECT_EQ(ConvertCoordinates("BLH", "47.5\t-122.25\t0", kWgsToWgs), "47.50000000\t-122.25000000\t0.00");
    // The pole has no geodetic answer.
    EXPECT_EQ(ConvertCoordinates("BLH", "90 0 0", kWgsToWgs), "");
    EXPECT_EQ(EcefToGeodetic(0, 0, 6356752.314, 6378137.0, 0.0033528106647474), "");
    EXPECT_EQ(GeodeticToEcef(0, 0, 0, 6378137.0, 0.0033528106647474), "6378137\t0\t0");
    EXPECT_EQ(EcefToGeodetic(0, 6378137, 0, 6378137.0, 0.0033528106647474), "0.00000000\t90.00000000\t0.00");

    // A rotation of 1 arc-second there and back returns the coordinates.
    const std::string there = HelmertTransform("WGS", "4216320.5517 2337222.4883 4162635.2997 1.5 1 -1 0.5 10 -20 30");
    const auto t = numbersOf(there);
    ASSERT_EQ(t.size(), 3u);
    const std::string back = HelmertTransform("Local", there + " 1.5 1 -1 0.5 10 -20 30");
    const auto b = numbersOf(back);
    ASSERT_EQ(b.size(), 3u);
    EXPECT_NEAR(b[0], 4216320.5517, 1e-8);
    EXPECT_NEAR(b[1], 2337222.4883, 1e-8);
    EXPECT_NEAR(b[2], 4162635.2997, 1e-8);
    EXPECT_NE(t[0], b[0]);

    EXPECT_DOUBLE_EQ(ConvertAngleUnit(180.0, "R"), M_PI);
    EXPECT_DOUBLE_EQ(ConvertAngleUnit(180.0, "r"), M_PI);
    EXPECT_DOUBLE_EQ(ConvertAngleUnit(M_PI, "D"), 180.0);
    EXPECT_DOUBLE_EQ(ConvertAngleUnit(M_PI, "d"), 180.0);
    EXPECT_EQ(ConvertAngleUnit(1.0, "x"), 0.0);
    EXPECT_EQ(ConvertAngleUnit(1.0, "rad"), 0.0);
}

// The flattening field may hold f or 1/f: both spell the same ellipsoid everywhere.
TEST(GeodesyText, InverseFlatteningMeansTheSameEllipsoid)
{
    const std::string local = "6378388 0.0033670033670034 -1.2 0.5 -0.3 1.1 -84.1 -101.8 -129.7";
    const std::string localInverse = "6378388 297 -1.2 0.5 -0.3 1.1 -84.1 -101.8 -129.7";
    EXPECT_EQ(ConvertCoordinates("BLH", "41 29 0", kWgs + " " + local),
              ConvertCoordinates("BLH", "41 29 0", kWgs + " " + localInverse));
    const char* projection = "27 0 0.9996 500000 0";
    EXPECT_EQ(ProjectGeodeticToGrid("41 29", projection, "6378137 0.0033528106647474 6378388 297"),
              ProjectGeodeticToGrid("41 29", projection, "6378137 0.0033528106647474 6378388 0.0033670033670034"));
    EXPECT_DOUBLE_EQ(ProjectionScaleAndConvergence("GrdConv", 6378137, 298.257223563, 41, 29, 27, 0, 0.9996, 0, 0),
                     ProjectionScaleAndConvergence("GrdConv", 6378137, 1 / 298.257223563, 41, 29, 27, 0, 0.9996, 0, 0));
    // Values that are neither give a failure, not NaN.
    EXPECT_EQ(ProjectGeodeticToGrid("41 29", projection, "6378137 0.0033528106647474 6378388 -297"), "0");
    EXPECT_EQ(ProjectGeodeticToGrid("41 29", projection, "6378137 0.0033528106647474 6378388 50"), "0");
    EXPECT_TRUE(std::isnan(ProjectionScaleAndConvergence("PtScFac", 6378137, -1, 41, 29, 27, 0, 0.9996, 0, 0)));
}

TEST(GeodesyText, ProjectionForms)
{
    const char* projection = "27 0 0.9996 500000 0";
    const char* ellipsoid = "6378137.0 0.0033528106647474 6378137.0 0.0033528106647474";
    EXPECT_EQ(ProjectGeodeticToGrid("0 27", projection, ellipsoid), "500000.0000 0.0000");
    EXPECT_EQ(ProjectGeodeticToGrid("40 -96", "-96 40 0.9999 300000 200000", ellipsoid), "300000.0000 200000.0000");
    const std::string grid = ProjectGeodeticToGrid("41.0251234567 28.9744321", projection, ellipsoid);
    // Back to within the grid text's 0.1 mm.
    const auto back = numbersOf(TmGridToGeographic(grid, projection, ellipsoid));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_NEAR(back[0], 41.0251234567, 1e-8);
    EXPECT_NEAR(back[1], 28.9744321, 1e-8);

    // The forward reads the second pair, the inverse the first.
    const char* mixed = "6378137.0 0.0033528106647474 6378388 0.0033670033670034";
    const auto hayford = TransverseMercator::make({6378388, 1 / 297.0}, {27, 0, 0.9996, 500000, 0});
    const auto wgs = TransverseMercator::make(kWgs84Ellipsoid, {27, 0, 0.9996, 500000, 0});
    const auto g = hayford->forward(41, 29);
    EXPECT_EQ(ProjectGeodeticToGrid("41 29", projection, mixed),
              formatFixed(g->easting, 4) + " " + formatFixed(g->northing, 4));
    const auto l = wgs->inverse(600000, 4500000);
    EXPECT_EQ(TmGridToGeographic("600000 4500000", projection, mixed),
              formatFixed(l->lat, 10) + " " + formatFixed(l->lon, 10));

    // Scale and convergence: k0 and 0 on the central meridian, other commands 0.
    EXPECT_EQ(ProjectionScaleAndConvergence("GrdConv", 6378137, 0.0033528106647474, 41, 27, 27, 0, 0.9996, 5e5, 0), 0.0);
    EXPECT_DOUBLE_EQ(ProjectionScaleAndConvergence("PtScFac", 6378137, 0.0033528106647474, 41, 27, 27, 0, 0.9996, 5e5, 0),
                     0.9996);
    EXPECT_LT(ProjectionScaleAndConvergence("GrdConv", 6378137, 0.0033528106647474, 41, 29, 27, 0, 0.9996, 5e5, 0), 0.0);
    EXPECT_EQ(ProjectionScaleAndConvergence("grdconv", 6378137, 0.0033528106647474, 41, 29, 27, 0, 0.9996, 5e5, 0), 0.0);
    // The convergence does not need k0.
    EXPECT_LT(ProjectionScaleAndConvergence("GrdConv", 6378137, 0.0033528106647474, 41, 29, 27, 0, 0, 0, 0), 0.0);
}

// Bad text never crashes and never yields NaN: each answer is the operation's failure text or
// numbers that read back.
TEST(GeodesyText, BadInputGivesTheFailureAnswer)
{
    const char* points[] = {"", " ", "\t\t", "41", "41 29", "nan 29 0", "41 nan 0", "inf 0 0", "41 29 -inf",
                            "1e400 0 0", "91 0 0", "-90.0001 0 0", "1e300 1e300 1e300", "41,5 29,1 0", "41.5abc 29 0",
                            "0x10 5 0", "- + .", "e5 1 1", "41 29 1e308", "\x01\x02\x03", "41\n29\n0"};
    const std::string datums[] = {
        kWgsToWgs,
        "",
        kWgs,  // nine numbers
        kWgs + " 6378388 0.003367 1 2 3 4 5 6",  // seventeen
        kWgs + " 6378388 nan 1 2 3 4 5 6 7",
        kWgs + " 6378388 -0.003 1 2 3 4 5 6 7",
        kWgs + " 0 0.003 1 2 3 4 5 6 7",
        kWgs + " 6378388 0.003 1e300 1e300 1e300 1e300 1e300 1e300 1e300",
    };
    auto wellFormed = [](const std::string& r, size_t count) {
        if (r == "0" || r.empty()) return true;
        const auto n = numbersOf(r);
        return n.size() == count;
    };
    for (const char* p : points)
        for (const auto& d : datums) {
            for (const char* mode : {"XYZ", "BLH"}) {
                const std::string r = ConvertCoordinates(mode, p, d);
                EXPECT_TRUE(wellFormed(r, 3)) << mode << " [" << p << "] [" << d << "] -> " << r;
            }
            const std::string grid = ConvertLatLonToGrid(p, d, "27 0 0.9996 500000 0", "6378137 298.257223563 6378137 298.257223563");
            EXPECT_TRUE(wellFormed(grid, 2)) << p << " -> " << grid;
            const std::string geo = FormatBLH(p, d, "27 0 0.9996 500000 0", "6378137 298.257223563 6378137 298.257223563");
            EXPECT_TRUE(wellFormed(geo, 2)) << p << " -> " << geo;
        }
    // The failure answers themselves.
    EXPECT_EQ(ConvertCoordinates("BLH", "41 29", kWgsToWgs), "0");
    EXPECT_EQ(ConvertCoordinates("BLH", "41 29 nan", kWgsToWgs), "0");
    EXPECT_EQ(ConvertCoordinates("BLH", "41 29 0", kWgs + " 6378388 0.003367 1 2 3 4 5 6"), "0");
    EXPECT_EQ(ConvertCoordinates("BLH", "", kWgsToWgs), "0");
    EXPECT_EQ(HelmertTransform("WGS", "1 2 3 4 5 6 7 8 9"), "0");
    EXPECT_EQ(HelmertTransform("WGS", "1 2 3 4 5 6 7 8 9 nan"), "0");
    EXPECT_EQ(HelmertTransform("WGS", "1e308 1e308 1e308 1e6 0 0 0 0 0 0"), "0");
    EXPECT_EQ(GeodeticToEcef(NAN, 0, 0, 6378137, 0.003), "0");
    EXPECT_EQ(EcefToGeodetic(NAN, 0, 0, 6378137, 0.003), "");
    const char* projection = "27 0 0.9996 500000 0";
    const char* ellipsoid = "6378137 0.0033528106647474 6378137 0.0033528106647474";
    EXPECT_EQ(ProjectGeodeticToGrid("41", projection, ellipsoid), "0");
    EXPECT_EQ(ProjectGeodeticToGrid("41 29", "27 0 0,9996 500000 0", ellipsoid), "0");  // decimal comma
    EXPECT_EQ(ProjectGeodeticToGrid("41 29", "27 0 0.9996 500000", ellipsoid), "0");
    EXPECT_EQ(ProjectGeodeticToGrid("41 29", "27 0 0 500000 0", ellipsoid), "0");      // k0 0
    EXPECT_EQ(ProjectGeodeticToGrid("41 29", projection, "6378137 0.0033528106647474"), "0");
    EXPECT_EQ(ProjectGeodeticToGrid("95 29", projection, ellipsoid), "0");
    EXPECT_EQ(TmGridToGeographic("500000", projection, ellipsoid), "0");
    EXPECT_EQ(TmGridToGeographic("1e300 1e300", projection, ellipsoid), "0");
    EXPECT_EQ(TmGridToGeographic("500000 4500000", "", ellipsoid), "0");
    EXPECT_EQ(ConvertLatLonToGrid("41 29", "", projection, ellipsoid), "0");
    EXPECT_EQ(FormatBLH("500000 4500000", kWgs, projection, ellipsoid), "0");
    // A datum conversion that ends on the pole makes the composite fail too.
    EXPECT_EQ(ConvertLatLonToGrid("90 0", kWgsToWgs, projection, ellipsoid), "0");
}

// The composites against a PROJ pipeline: WGS-84 -> local datum -> transverse Mercator, and back.
TEST(GeodesyText, CompositesAgreeWithProjPipeline)
{
    REQUIRE_TOOL("cct", "proj-bin");
    struct Setup {
        DatumBlock local;
        TmParameters tm;
    };
    const Setup setups[] = {
        {kHayfordDatum, {30.0, 0.0, 1.0, 500000.0, 0.0}},
        {kBesselDatum, {-123.0, 0.0, 0.9996, 500000.0, 0.0}},
        {kHayfordDatum, {153.0, -10.0, 0.9996, 500000.0, 10000000.0}},
    };
    for (const auto& s : setups) {
        const std::string projection = num(s.tm.centralMeridian) + " " + num(s.tm.latitudeOfOrigin) + " "
            + num(s.tm.scaleFactor) + " " + num(s.tm.falseEasting) + " " + num(s.tm.falseNorthing);
        const std::string localPair = num(s.local.ellipsoid.a) + " " + num(s.local.ellipsoid.f);
        const std::string toGridEllipsoid = std::string(kWgs84EllipsoidText) + " " + localPair;
        const std::string toGeoEllipsoid = localPair + " " + std::string(kWgs84EllipsoidText);
        const std::string wgsFirst = kWgs + "  " + blockText(s.local), localFirst = blockText(s.local) + "  " + kWgs;
        std::vector<std::pair<double, double>> pts;
        for (double lat : {-60.0, -20.0, 0.5, 38.0, 65.0})
            for (double d : {-3.0, -1.0, 0.0, 2.0, 3.0}) pts.push_back({lat, s.tm.centralMeridian + d});
        std::string in;
        for (const auto& [lat, lon] : pts) in += num(lat) + " " + num(lon) + " 0\n";
        const std::string tmerc = "+proj=tmerc +lat_0=" + num(s.tm.latitudeOfOrigin) + " +lon_0="
            + num(s.tm.centralMeridian) + " +k_0=" + num(s.tm.scaleFactor) + " +x_0=" + num(s.tm.falseEasting)
            + " +y_0=" + num(s.tm.falseNorthing) + " " + projEllipsoid(s.local.ellipsoid);
        const std::string cart = "+step +proj=cart " + projEllipsoid(s.local.ellipsoid);
        const auto out = runTool("cct -d 6 +proj=pipeline +step +proj=axisswap +order=2,1 +step +proj=unitconvert "
                                 "+xy_in=deg +xy_out=rad +step +proj=cart +ellps=WGS84 +step +inv "
                                     + projHelmert(s.local.toWgs84) + " +step +inv +proj=cart "
                                     + projEllipsoid(s.local.ellipsoid) + " +step " + tmerc,
                                 in);
        // Grid to WGS-84 takes the local height as 0, as the conversion does: from PROJ's grid
        // values, with 0 as the third coordinate.
        std::string gridIn;
        for (const auto& row : out)
            if (row.size() >= 2) gridIn += num(row[0]) + " " + num(row[1]) + " 0\n";
        const auto wgs = runTool("cct -d 12 +proj=pipeline +step +inv " + tmerc + " " + cart + " +step "
                                     + projHelmert(s.local.toWgs84) + " +step +inv +proj=cart +ellps=WGS84 +step "
                                     "+proj=unitconvert +xy_in=rad +xy_out=deg +step +proj=axisswap +order=2,1",
                                 gridIn);
        ASSERT_EQ(wgs.size(), pts.size());
        ASSERT_EQ(out.size(), pts.size());
        for (size_t i = 0; i < pts.size(); ++i) {
            const std::string geographic = num(pts[i].first) + " " + num(pts[i].second);
            const std::string grid = ConvertLatLonToGrid(geographic, wgsFirst, projection, toGridEllipsoid);
            const auto g = numbersOf(grid);
            ASSERT_EQ(g.size(), 2u) << grid;
            EXPECT_LT(std::hypot(g[0] - out[i][0], g[1] - out[i][1]), 0.001) << geographic << " -> " << grid;
            // And back from PROJ's grid values to WGS-84.
            const std::string back = FormatBLH(num(out[i][0]) + " " + num(out[i][1]), localFirst, projection, toGeoEllipsoid);
            const auto b = numbersOf(back);
            ASSERT_EQ(b.size(), 2u) << back;
            EXPECT_LT(horizontalMetres(b[0], b[1], wgs[i][0], wgs[i][1]), 0.001) << geographic << " <- " << back;
        }
    }
}
