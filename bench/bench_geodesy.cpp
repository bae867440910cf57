// Per-point cost of the geodesy core. Targets on this machine: transverse Mercator forward and
// inverse at most 300 ns each, Lambert at most 300 ns, the datum transformation (geodetic ->
// geodetic between two datums) at most 200 ns.
#include "geo/Datum.h"
#include "geo/GeodesyText.h"
#include "geo/LambertConic.h"
#include "geo/TransverseMercator.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace vsx;

namespace {

constexpr size_t kCount = 1024;

// Positions spread over a 3° zone, so branch prediction and caches see real variety.
std::vector<LatLon> zonePoints()
{
    std::vector<LatLon> pts;
    for (size_t i = 0; i < kCount; ++i)
        pts.push_back({36.0 + 6.0 * double(i % 97) / 97.0, 27.0 - 3.0 + 6.0 * double(i % 89) / 89.0});
    return pts;
}

const TransverseMercator& zone()
{
    static const auto tm = TransverseMercator::make({6378388.0, 1.0 / 297.0}, {27.0, 0.0, 0.9996, 500000.0, 0.0});
    return *tm;
}

void TmForward_target300ns(benchmark::State& state)
{
    const auto pts = zonePoints();
    size_t i = 0;
    for (auto _ : state) {
        const LatLon& p = pts[i++ % kCount];
        benchmark::DoNotOptimize(zone().forward(p.lat, p.lon));
    }
}
BENCHMARK(TmForward_target300ns);

void TmInverse_target300ns(benchmark::State& state)
{
    std::vector<GridPoint> grid;
    for (const auto& p : zonePoints()) grid.push_back(*zone().forward(p.lat, p.lon));
    size_t i = 0;
    for (auto _ : state) {
        const GridPoint& g = grid[i++ % kCount];
        benchmark::DoNotOptimize(zone().inverse(g.easting, g.northing));
    }
}
BENCHMARK(TmInverse_target300ns);

void TmConvergence(benchmark::State& state)
{
    const auto pts = zonePoints();
    size_t i = 0;
    for (auto _ : state) {
        const LatLon& p = pts[i++ % kCount];
        benchmark::DoNotOptimize(zone().gridConvergence(p.lat, p.lon));
    }
}
BENCHMARK(TmConvergence);

LambertConic lambertSetUp()
{
    LambertConic m;
    m.init2SP({6378137.0, 1.0 / 298.257223563, 39.0 * 0.017453292519943295, 30.0 * 0.017453292519943295,
               36.0 * 0.017453292519943295, 42.0 * 0.017453292519943295, 500000.0, 0.0});
    return m;
}

void LambertForward2SP_target300ns(benchmark::State& state)
{
    auto m = lambertSetUp();
    const auto pts = zonePoints();
    size_t i = 0;
    double e, n;
    for (auto _ : state) {
        const LatLon& p = pts[i++ % kCount];
        benchmark::DoNotOptimize(m.forward2SP(p.lat * 0.017453292519943295, p.lon * 0.017453292519943295, e, n));
        benchmark::DoNotOptimize(e);
    }
}
BENCHMARK(LambertForward2SP_target300ns);

void LambertInverse2SP_target300ns(benchmark::State& state)
{
    auto m = lambertSetUp();
    std::vector<GridPoint> grid;
    for (const auto& p : zonePoints()) {
        GridPoint g;
        m.forward2SP(p.lat * 0.017453292519943295, p.lon * 0.017453292519943295, g.easting, g.northing);
        grid.push_back(g);
    }
    size_t i = 0;
    double phi, lambda;
    for (auto _ : state) {
        const GridPoint& g = grid[i++ % kCount];
        benchmark::DoNotOptimize(m.inverse2SP(g.easting, g.northing, phi, lambda));
        benchmark::DoNotOptimize(phi);
    }
}
BENCHMARK(LambertInverse2SP_target300ns);

void DatumTransformation_target200ns(benchmark::State& state)
{
    const DatumTransformation t(kWgs84Datum, {{6378388.0, 1.0 / 297.0}, {-1.2, 0.5, -0.3, 1.1, -84.1, -101.8, -129.7}});
    const auto pts = zonePoints();
    size_t i = 0;
    for (auto _ : state) {
        const LatLon& p = pts[i++ % kCount];
        benchmark::DoNotOptimize(t.convert({p.lat, p.lon, 35.0}));
    }
}
BENCHMARK(DatumTransformation_target200ns);

// The text composite the map loop and imports call (parsing and formatting included).
void ConvertLatLonToGridText(benchmark::State& state)
{
    const std::string datum = std::string(kWgs84DatumBlockText)
        + "  6378388 297 -1.2 0.5 -0.3 1.1 -84.1 -101.8 -129.7";
    for (auto _ : state)
        benchmark::DoNotOptimize(ConvertLatLonToGrid("41.0251234567 28.9744321", datum, "27 0 0.9996 500000 0",
                                                     "6378137.0 0.0033528106647474 6378388 297"));
}
BENCHMARK(ConvertLatLonToGridText);

} // namespace
