// World imagery: the tile arithmetic against PROJ's spherical Mercator, the zoom and tile-count
// rules, the tile cache and fetcher against a tile server on the loopback address, and the tiles
// of a turned map placed where the map draws the grid.
#include "canvas/TileMath.h"
#include "canvas/VeldorCanvas.h"
#include "canvas/WorldImagery.h"
#include "geo/TransverseMercator.h"
#include "platform/Clock.h"
#include "platform/Paths.h"

#include "support/HttpTileServer.h"
#include "support/MissingPeer.h"
#include "support/TempHome.h"

#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <sstream>

using namespace vsx;
using namespace vsx::test;

namespace {

bool haveProj() { return std::system("command -v proj >/dev/null 2>&1") == 0; }

// PROJ's spherical Mercator metres for each "lat lon".
std::vector<std::pair<double, double>> projMercator(const std::vector<std::pair<double, double>>& latLon)
{
    std::string in;
    for (auto [lat, lon] : latLon) in += std::to_string(lon) + " " + std::to_string(lat) + "\n";
    // The input file lives in a temporary home of this call's own: parallel tests write their own.
    const TempHome folder;
    const std::string file = folder.path("merc-input.txt");
    folder.writeFile("merc-input.txt", in);
    std::vector<std::pair<double, double>> out;
    FILE* p = ::popen(("proj -f %.6f +proj=merc +a=6378137 +b=6378137 < '" + file + "'").c_str(), "r");
    char line[256];
    while (p && std::fgets(line, sizeof line, p)) {
        double x = 0, y = 0;
        std::istringstream(line) >> x >> y;
        out.emplace_back(x, y);
    }
    if (p) ::pclose(p);
    return out;
}

} // namespace

TEST(ImageryTiles, TileOfAPointMatchesProjSphericalMercator)
{
    if (!haveProj()) VSX_SKIP_MISSING() << "'proj' is not installed (Debian package proj-bin); the comparison is skipped";
    // Inside the Web-Mercator range, exactly the lat/lon given to PROJ (6 decimals).
    const std::vector<std::pair<double, double>> points = {
        {41.010000, 28.030000}, {-33.856784, 151.215297}, {0.000001, -0.000001}, {64.150000, -21.950000},
        {-54.800000, -68.300000}, {85.000000, 179.999000}, {-85.000000, -179.999000}, {50.8503, 4.3517}};
    const auto merc = projMercator(points);
    ASSERT_EQ(merc.size(), points.size());
    const double half = std::numbers::pi * 6378137.0;
    for (int z : {0, 5, 10, 15, 17}) {
        for (std::size_t i = 0; i < points.size(); ++i) {
            const double n = std::ldexp(1.0, z);
            const double xt = (merc[i].first + half) / (2 * half) * n;
            const double yt = (half - merc[i].second) / (2 * half) * n;
            const TilePosition t = LatLonToTile(points[i].first, points[i].second, z);
            SCOPED_TRACE("point " + std::to_string(i) + " zoom " + std::to_string(z));
            EXPECT_EQ(t.column, int(std::floor(xt)));
            EXPECT_EQ(t.row, int(std::floor(yt)));
            // PROJ prints millimetres: a 256th of a tile at zoom 17 is about a metre.
            EXPECT_NEAR(t.pixelX, (xt - std::floor(xt)) * 256, 1e-3);
            EXPECT_NEAR(t.pixelY, (yt - std::floor(yt)) * 256, 1e-3);
        }
    }
}

TEST(ImageryTiles, EdgesOfTheWorldAreClampedToRealTiles)
{
    struct Case {
        double lat, lon;
        int z, column, row;
    } cases[] = {
        {0, 0, 1, 1, 1},           // the centre lies in the south-east tile
        {89.9, 0, 4, 8, 0},        // north of the square world: the top row
        {90, 0, 4, 8, 0},          // the pole itself (infinite in Mercator)
        {-90, 0, 4, 8, 15},        // and the south pole: the bottom row
        {0, 180, 4, 15, 8},        // the antimeridian: the last column
        {0, -180, 4, 0, 8},
        {0, 200, 4, 15, 8},        // out of range longitudes stay on the map
        {std::nan(""), 0, 4, 8, 0},
    };
    for (const Case& c : cases) {
        const TilePosition t = LatLonToTile(c.lat, c.lon, c.z);
        EXPECT_EQ(t.column, c.column) << c.lat << " " << c.lon;
        EXPECT_EQ(t.row, c.row) << c.lat << " " << c.lon;
    }
    double lat = 0, lon = 0;
    TileToLatLon(0, 0, 0, lat, lon);
    EXPECT_NEAR(lat, 85.0511, 1e-4);
    EXPECT_EQ(lon, -180);
}

TEST(ImageryTiles, ZoomFollowsTheViewWidthAndDropsUntilAHundredTilesDo)
{
    const std::pair<double, int> zooms[] = {{600, 17}, {800, 17}, {801, 16}, {5000, 15}, {6001, 14}, {12001, 13},
                                            {25001, 12}, {50001, 11}, {150'000, 10}, {200'000, 10}, {250'000, 0}};
    for (auto [w, z] : zooms) EXPECT_EQ(ImageryZoomForWidth(w), z) << w;
    EXPECT_EQ(ImageryZoomForWidth(std::nan("")), 0);

    // A box 12 x 10 tiles wide at zoom 17 needs 120 tiles: drawn at zoom 16 with 6 x 5 or 7 x 6.
    double north = 0, west = 0, south = 0, east = 0;
    TileToLatLon(70000, 48000, 17, north, west);
    TileToLatLon(70012, 48010, 17, south, east);
    const double eps = 1e-9;
    const TileRange at17 = ImageryTileRange(south + eps, west + eps, north - eps, east - eps, 17, 1000);
    EXPECT_EQ(at17.Count(), 120);
    const TileRange r = ImageryTileRange(south + eps, west + eps, north - eps, east - eps, 17);
    EXPECT_EQ(r.z, 16);
    EXPECT_LE(r.Count(), 100);
    // The whole world at zoom 3 is 64 tiles; a hundred-tile cap never empties a view that small.
    EXPECT_EQ(ImageryTileRange(-85, -180, 85, 180, 3).Count(), 64);
    EXPECT_EQ(ImageryTileRange(-85, -180, 85, 180, 4, 10).Count(), 0) << "nothing below zoom 3";
}

namespace {

// A flat conversion around a point near Istanbul, good enough to place tiles in a canvas test.
class FlatGeoreference : public ImageryGeoreference {
public:
    static constexpr double kLat0 = 41.01, kLon0 = 28.03;
    bool ready = true;
    bool Ready() const override { return ready; }
    bool ToGrid(double lat, double lon, double& e, double& n) const override
    {
        e = 500000 + (lon - kLon0) * 111320 * std::cos(kLat0 * std::numbers::pi / 180);
        n = 4500000 + (lat - kLat0) * 110540;
        return true;
    }
    bool ToWgs84(double e, double n, double& lat, double& lon) const override
    {
        lon = kLon0 + (e - 500000) / (111320 * std::cos(kLat0 * std::numbers::pi / 180));
        lat = kLat0 + (n - 4500000) / 110540;
        return true;
    }
    int Generation() const override { return 1; }
};

// A canvas 200 x 150 pixels showing 100 m around the reference point: one or a few zoom-17 tiles.
struct ImageryCanvas {
    explicit ImageryCanvas(int port, const std::string& folder)
    {
        canvas.resize(200, 150);
        canvas.Model().Resize(200, 150);
        canvas.Model().SetWorldWindow(499950, 4500037.5, 500050, 4499962.5);
        TileServer server;
        server.scheme = "http";
        server.host = "127.0.0.1";
        server.port = port;
        server.pathTemplate = "/tile/{z}/{y}/{x}";
        canvas.Imagery().SetServer(server);
        canvas.Imagery().SetGeoreference(&georeference);
        canvas.SetTileCacheFolder(folder);
        canvas.SetShowImagery(true);
    }
    int frame()
    {
        QImage image;
        canvas.RenderFrame(image);
        return canvas.Imagery().LastTilesDrawn();
    }
    // Tiles in view: those drawn plus those still missing.
    std::vector<TileKey> tilesInView() const
    {
        double s = 0, w = 0, n = 0, e = 0;
        georeference.ToWgs84(499950, 4499962.5, s, w);
        georeference.ToWgs84(500050, 4500037.5, n, e);
        const TileRange r = ImageryTileRange(s, w, n, e, 17);
        std::vector<TileKey> keys;
        for (int y = r.y1; y <= r.y2; ++y)
            for (int x = r.x1; x <= r.x2; ++x) keys.push_back({17, x, y});
        return keys;
    }
    static std::string path(const TileKey& k)
    {
        return "/tile/" + std::to_string(k.z) + "/" + std::to_string(k.y) + "/" + std::to_string(k.x);
    }
    FlatGeoreference georeference;
    TVeldorCanvas canvas;
};

} // namespace

TEST(ImageryCache, TilesAreFetchedOnceKeptOnDiskAndNeverAskedForAgain)
{
    TempHome home;
    HttpTileServer server([](const std::string&) { return HttpAnswer{200, "image/png", tilePng(0x336699)}; });
    const std::string folder = imageryCacheFolder();
    std::vector<TileKey> keys;
    {
        ImageryCanvas view(server.port(), folder);
        keys = view.tilesInView();
        ASSERT_FALSE(keys.empty());
        EXPECT_EQ(view.frame(), 0) << "nothing at hand yet: the first frame draws the background";
        ASSERT_TRUE(QTest::qWaitFor([&] { return view.frame() == int(keys.size()); }, 10000));
        for (const TileKey& k : keys) EXPECT_EQ(server.requests(ImageryCanvas::path(k)), 1);
        // After clearing the memory the tiles come from the disk.
        view.canvas.ClearTileCache();
        EXPECT_EQ(view.frame(), int(keys.size()));
    }
    for (const TileKey& k : keys)
        EXPECT_TRUE(std::filesystem::exists(folder + "17/" + std::to_string(k.x) + "_" + std::to_string(k.y) + ".jpg"));
    // A new start: everything from the disk at once, nothing asked of the server.
    ImageryCanvas again(server.port(), folder);
    EXPECT_EQ(again.frame(), int(keys.size()));
    QTest::qWait(100);
    EXPECT_EQ(server.totalRequests(), int(keys.size()));
}

TEST(ImageryCache, ErrorPagesAndNonImagesAreNeverCachedAndRetriedOnlyAfterABackOff)
{
    TempHome home;
    FakeClock fake({2026, 12, 10, 12, 0, 0, 0});
    setClock(&fake);
    std::atomic<int> mode{0};
    HttpTileServer server([&](const std::string&) {
        switch (mode.load()) {
        case 0: return HttpAnswer{404, "text/html", "<html><body>Not found</body></html>"};
        case 1: return HttpAnswer{500, "text/html", "<html><body>Server error</body></html>"};
        case 2: return HttpAnswer{200, "text/html", "<html>maintenance</html>"};
        default: return HttpAnswer{200, "image/png", tilePng(0x00AA00)};
        }
    });
    const std::string folder = imageryCacheFolder();
    {
        ImageryCanvas view(server.port(), folder);
        const auto keys = view.tilesInView();
        for (int m = 0; m < 3; ++m) {
            mode = m;
            const int before = server.totalRequests();
            view.canvas.Redraw();  // the next map tick
            view.frame();
            ASSERT_TRUE(QTest::qWaitFor([&] { return view.canvas.Imagery().Fetcher().InFlight() == 0 &&
                                                     server.totalRequests() == before + int(keys.size()); },
                                        10000));
            for (int i = 0; i < 5; ++i) EXPECT_EQ(view.frame(), 0);
            QTest::qWait(50);
            EXPECT_EQ(server.totalRequests(), before + int(keys.size())) << "no retry before the back-off, mode " << m;
            EXPECT_FALSE(std::filesystem::exists(folder + "17")) << "a failed answer is never written, mode " << m;
            fake.advance(TileFetcher::MaxBackoff);
        }
        mode = 3;
        view.canvas.Redraw();
        view.frame();
        ASSERT_TRUE(QTest::qWaitFor([&] { return view.frame() == int(keys.size()); }, 10000));
    }
    setClock(nullptr);
}

TEST(ImageryCache, AFileThatDoesNotDecodeIsFetchedAgainAndReplaced)
{
    TempHome home;
    HttpTileServer server([](const std::string&) { return HttpAnswer{200, "image/png", tilePng(0x123456)}; });
    const std::string folder = imageryCacheFolder();
    ImageryCanvas view(server.port(), folder);
    const auto keys = view.tilesInView();
    // A torn file left by an older program.
    for (const TileKey& k : keys)
        home.writeFile("home/.cache/Veldor/VSX/MapCache/17/" + std::to_string(k.x) + "_" + std::to_string(k.y) + ".jpg",
                       tilePng(0x123456).substr(0, 40));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.frame() == int(keys.size()); }, 10000));
    EXPECT_EQ(server.totalRequests(), int(keys.size()));
    ImageryCanvas again(server.port(), folder);
    EXPECT_EQ(again.frame(), int(keys.size())) << "the good tile replaced the torn one on disk";
}

TEST(ImageryCache, AStalledServerNeverHoldsUpPainting)
{
    TempHome home;
    HttpTileServer server([](const std::string&) { return HttpAnswer{200, "image/png", tilePng(0x884422)}; });
    server.setStalled(true);
    ImageryCanvas view(server.port(), imageryCacheFolder());
    const auto keys = view.tilesInView();
    view.frame();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.waiting() > 0; }, 5000)) << "a request reached the server";
    // Frames go on while the server holds its answer.
    for (int i = 0; i < 50; ++i) EXPECT_EQ(view.frame(), 0);
    server.setStalled(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.frame() == int(keys.size()); }, 10000))
        << "the tiles appear once the server answers";
    const int rebuilds = view.canvas.RebuildCount();
    EXPECT_GT(rebuilds, 0);
}

TEST(ImageryCache, MemoryKeepsOnlyTheMostRecentTiles)
{
    TileStore store(3);
    const QByteArray png = QByteArray::fromStdString(tilePng(0x111111));
    for (int x = 0; x < 5; ++x) ASSERT_TRUE(store.Store({10, x, 0}, png));
    EXPECT_EQ(store.MemoryCount(), 3u);
    EXPECT_EQ(store.Get({10, 0, 0}), nullptr) << "the oldest went first (no disk folder here)";
    EXPECT_NE(store.Get({10, 4, 0}), nullptr);
    EXPECT_FALSE(store.Store({10, 9, 0}, QByteArray("<html>")));
    EXPECT_FALSE(store.Store({10, 9, 0}, QByteArray()));
}

TEST(ImageryCache, WaitingTextUntilTheMapHasAProjection)
{
    TempHome home;
    HttpTileServer server([](const std::string&) { return HttpAnswer{200, "image/png", tilePng(0x123456)}; });
    ImageryCanvas view(server.port(), imageryCacheFolder());
    view.georeference.ready = false;
    view.canvas.Model().SetBackgroundColor(0xFFFFFF);
    QImage image;
    view.canvas.RenderFrame(image);
    int red = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (QColor(image.pixel(x, y)) == QColor(Qt::red)) ++red;
    EXPECT_GT(red, 10) << "\"MAP: Waiting for GPS position...\" in red at the top left";
    QTest::qWait(50);
    EXPECT_EQ(server.totalRequests(), 0);
}

namespace {

// Transverse Mercator on the international ellipsoid (central meridian 27°E), the kind of grid a
// survey works in: away from the central meridian the tiles stand turned against the grid.
class TransverseMercatorGeoreference : public ImageryGeoreference {
public:
    TransverseMercatorGeoreference()
        : tm_(*TransverseMercator::make(*makeEllipsoid(6378388, 297), {27, 0, 0.9996, 500000, 0}))
    {
    }
    bool Ready() const override { return true; }
    bool ToGrid(double lat, double lon, double& e, double& n) const override
    {
        const auto g = tm_.forward(lat, lon);
        if (g) e = g->easting, n = g->northing;
        return bool(g);
    }
    bool ToWgs84(double e, double n, double& lat, double& lon) const override
    {
        const auto p = tm_.inverse(e, n);
        if (p) lat = p->lat, lon = p->lon;
        return bool(p);
    }
    int Generation() const override { return 1; }

private:
    TransverseMercator tm_;
};

} // namespace

TEST(ImageryTiles, TurnedMapPlacesTheTilesWhereItDrawsTheGrid)
{
    // The zoom-17 tile under a point near Istanbul carries one marked pixel.
    const TilePosition under = LatLonToTile(41.01, 28.03, 17);
    const int markX = 100, markY = 150;
    const std::string marked = "/tile/17/" + std::to_string(under.row) + "/" + std::to_string(under.column);
    HttpTileServer server([&](const std::string& path) {
        return HttpAnswer{200, "image/png", path == marked ? tilePng(0x707070, markX, markY) : tilePng(0x707070)};
    });
    TempHome home;
    TransverseMercatorGeoreference georeference;
    double lat = 0, lon = 0, e = 0, n = 0;
    tilePixelLatLon(under.column, under.row, 17, markX + 0.5, markY + 0.5, lat, lon);
    ASSERT_TRUE(georeference.ToGrid(lat, lon, e, n));

    // A 300 m wide view around the marked pixel's grid point: zoom 17, about two screen pixels a
    // tile pixel.
    TVeldorCanvas canvas;
    canvas.resize(600, 400);
    canvas.Model().Resize(600, 400);
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
