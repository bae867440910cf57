#include "nav/ProjectionSnapshot.h"

#include "app/SharedValues.h"

#include "NavTestSupport.h"
#include "support/MissingPeer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace vsx;
using namespace vsx::test;

namespace {

// A local datum on the international ellipsoid with all seven parameters, so a convention or
// sign slip shows as metres.
GeodeticTexts localTm()
{
    GeodeticTexts t;
    t.localDatum = "6378388 297 -1.2 0.5 -0.3 1.1 -84.1 -101.8 -129.7";
    t.localEllipsoid = "6378388 297";
    t.projection = "27 0 0.9996 500000 0";
    t.lccParallel1 = 36;
    t.lccParallel2 = 42;
    t.lccScaleFactor = 0.9999;
    t.lccOriginLatitude = 39;
    t.lccCentralMeridian = 35;
    t.lccFalseEasting = 500000;
    t.lccFalseNorthing = 300000;
    return t;
}

// The grid bearing of true north by projecting a point and one a little north of it.
double numericConvergence(const ProjectionSnapshot& s, double lat, double lon, GridProjection p)
{
    const auto a = s.toGrid(lat, lon, 0, p), b = s.toGrid(lat + 1e-5, lon, 0, p);
    return std::atan2(b->easting - a->easting, b->northing - a->northing) * 180 / std::numbers::pi;
}

} // namespace

TEST(ProjectionSnapshot, TextsOfTheSnapshot)
{
    const auto s = ProjectionSnapshot::take(localTm());
    ASSERT_TRUE(s);
    EXPECT_EQ(s->datumText(), "6378137.0  0.0033528106647474  0.0  0.0  0.0  0.0  0.0  0.0  0.0 "
                              "6378388 297 -1.2 0.5 -0.3 1.1 -84.1 -101.8 -129.7");
    EXPECT_EQ(s->ellipsoidText(), "6378137.0 0.0033528106647474 6378388 297");
    EXPECT_EQ(s->projectionText(), "27 0 0.9996 500000 0");
    GeodeticTexts bad = localTm();
    bad.localDatum = "0 0 0";
    std::string problem;
    EXPECT_FALSE(ProjectionSnapshot::take(bad, &problem));
    EXPECT_FALSE(problem.empty());
}

TEST(ProjectionSnapshot, LocalGridMatchesProjAndComesBackExactly)
{
    if (!haveCct()) VSX_SKIP_MISSING() << "'cct' is not installed (Debian package proj-bin); the PROJ comparison is skipped";
    const auto s = ProjectionSnapshot::take(localTm());
    ASSERT_TRUE(s);
    const double points[][2] = {{36.8, 27.0}, {38.42, 27.13}, {40.99, 29.02}, {37.5, 25.1}};
    std::string input;
    for (const auto& p : points) input += num(p[0]) + " " + num(p[1]) + " 0 0\n";
    const auto proj = runCct(kLocalGridPipeline, input);
    ASSERT_EQ(proj.size(), std::size(points));
    for (size_t i = 0; i < std::size(points); ++i) {
        const auto g = s->toGrid(points[i][0], points[i][1], 0, GridProjection::TransverseMercator);
        ASSERT_TRUE(g);
        EXPECT_NEAR(g->easting, proj[i][0], 0.01) << i;
        EXPECT_NEAR(g->northing, proj[i][1], 0.01) << i;
        const auto back = s->toWgs84(g->easting, g->northing, g->localHeight, GridProjection::TransverseMercator);
        ASSERT_TRUE(back);
        EXPECT_NEAR(back->lat, points[i][0], 1e-9) << "the way back includes the datum shift";
        EXPECT_NEAR(back->lon, points[i][1], 1e-9);
    }
}

TEST(ProjectionSnapshot, ConvergenceIsTheGridBearingOfTrueNorthForEveryProjection)
{
    const auto s = ProjectionSnapshot::take(localTm());
    ASSERT_TRUE(s);
    for (GridProjection p : {GridProjection::TransverseMercator, GridProjection::Lambert1SP, GridProjection::Lambert2SP}) {
        const bool tm = p == GridProjection::TransverseMercator;
        for (double lon : tm ? std::vector<double>{25.0, 27.0, 29.5} : std::vector<double>{31.0, 35.0, 38.5}) {
            const auto g = s->toGrid(40.0, lon, 10, p);
            ASSERT_TRUE(g) << int(p);
            // Within the local datum's rotation about the vertical (1.1" = 3e-4°); a wrong sign
            // would miss by twice the convergence.
            EXPECT_NEAR(g->convergence, numericConvergence(*s, 40.0, lon, p), 5e-4) << int(p) << " at " << lon;
            const auto back = s->toWgs84(g->easting, g->northing, g->localHeight, p);
            ASSERT_TRUE(back);
            EXPECT_NEAR(back->lat, 40.0, 1e-8);
            EXPECT_NEAR(back->lon, lon, 1e-8);
        }
    }
    // East of the Lambert central meridian in the north the grid bearing of north is negative.
    EXPECT_LT(s->toGrid(40.0, 38.5, 0, GridProjection::Lambert1SP)->convergence, -1.0);
    EXPECT_NEAR(s->toGrid(40.0, 35.0, 0, GridProjection::Lambert2SP)->convergence, 0, 0.01)
        << "on the central meridian (of the local datum, so nearly 0)";
}

TEST(ProjectionSnapshot, KeeperTakesOnceAndPublishesTheTexts)
{
    int reads = 0;
    GeodeticTexts texts = localTm();
    ProjectionSnapshotKeeper keeper([&] {
        ++reads;
        return texts;
    });
    ASSERT_NE(keeper.Get(), nullptr);
    texts.projection = "30 0 1 0 0";
    keeper.Get();
    EXPECT_EQ(reads, 1) << "later edits wait for the next run";
    EXPECT_EQ(ProjectionParameters, "27 0 0.9996 500000 0");
    keeper.Retake();
    EXPECT_EQ(keeper.Get()->projectionText(), "30 0 1 0 0");
    EXPECT_EQ(ProjectionParameters, "30 0 1 0 0");
    texts.localDatum = "x";
    keeper.Retake();
    EXPECT_EQ(keeper.Get(), nullptr);
    EXPECT_FALSE(keeper.Problem().empty());
}

// Positions beyond 4.5° of longitude from the transverse Mercator central meridian (27° E here)
// lie where its series is no longer accurate, on either side and across the antimeridian; the
// Lambert projections have no such limit.
TEST(ProjectionSnapshot, TellsWhereTheTransverseMercatorSeriesIsNoLongerAccurate)
{
    const auto s = ProjectionSnapshot::take(localTm());
    ASSERT_TRUE(s);
    const struct {
        double lon;
        bool beyond;
    } cases[] = {{27, false}, {31.5, false}, {22.5, false}, {31.6, true}, {22.4, true}, {72, true}, {-153, true}};
    for (const auto& c : cases) {
        EXPECT_EQ(s->beyondAccurateZone(c.lon, GridProjection::TransverseMercator), c.beyond) << c.lon;
        EXPECT_FALSE(s->beyondAccurateZone(c.lon, GridProjection::Lambert2SP)) << c.lon;
    }
}
