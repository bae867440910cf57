#include "geo/GeodesyText.h"

#include "geo/GeoMath.h"
#include "platform/Numbers.h"

#include <cmath>
#include <limits>

namespace vsx {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// The first `count` numbers of a text; false when fewer are there or one of them is not a number.
bool readNumbers(std::string_view text, double* out, int count)
{
    size_t i = 0;
    for (int got = 0; got < count; ++got) {
        while (i < text.size() && isBlank(text[i])) ++i;
        if (i == text.size()) return false;
        const size_t start = i;
        while (i < text.size() && !isBlank(text[i])) ++i;
        const auto v = parseDouble(text.substr(start, i - start));
        if (!v) return false;
        out[got] = *v;
    }
    return true;
}

std::optional<DatumBlock> blockFrom(const double* n)
{
    const auto el = makeEllipsoid(n[0], n[1]);
    if (!el) return std::nullopt;
    return DatumBlock{*el, Helmert7{n[2], n[3], n[4], n[5], n[6], n[7], n[8]}};
}

std::string joinTabs(const std::string& a, const std::string& b, const std::string& c)
{
    return a + '\t' + b + '\t' + c;
}

std::string generalText(const Ecef& p)
{
    return joinTabs(formatGeneral(p.x), formatGeneral(p.y), formatGeneral(p.z));
}

std::string geodeticText(const Geodetic& g)
{
    return joinTabs(formatFixed(g.lat, 8), formatFixed(g.lon, 8), formatFixed(g.h, 2));
}

std::string gridText(const GridPoint& g) { return formatFixed(g.easting, 4) + ' ' + formatFixed(g.northing, 4); }

std::string latLonText(double lat, double lon) { return formatFixed(lat, 10) + ' ' + formatFixed(lon, 10); }

std::optional<TransverseMercator> projectionFrom(std::string_view projection, std::string_view ellipsoid, int pair)
{
    const auto p = parseProjectionText(projection);
    const auto el = parseEllipsoidText(ellipsoid, pair);
    if (!p || !el) return std::nullopt;
    return TransverseMercator::make(*el, *p);
}

} // namespace

std::optional<DatumTransformation> parseDatumText(std::string_view datum)
{
    double n[18];
    if (!readNumbers(datum, n, 18)) return std::nullopt;
    const auto source = blockFrom(n), target = blockFrom(n + 9);
    if (!source || !target) return std::nullopt;
    return DatumTransformation(*source, *target);
}

std::optional<TmParameters> parseProjectionText(std::string_view projection)
{
    double n[5];
    if (!readNumbers(projection, n, 5)) return std::nullopt;
    return TmParameters{n[0], n[1], n[2], n[3], n[4]};
}

std::optional<Ellipsoid> parseEllipsoidText(std::string_view ellipsoid, int pair)
{
    if (pair != 0 && pair != 1) return std::nullopt;
    double n[4];
    if (!readNumbers(ellipsoid, n, 2 * (pair + 1))) return std::nullopt;
    return makeEllipsoid(n[2 * pair], n[2 * pair + 1]);
}

std::string ConvertCoordinates(std::string_view mode, std::string_view point, std::string_view datum)
{
    double p[3];
    if (!readNumbers(point, p, 3)) return "0";
    const auto transformation = parseDatumText(datum);
    if (!transformation) return "0";
    const auto ecef = transformation->toTargetEcef({p[0], p[1], p[2]});
    if (!ecef) return "0";
    if (mode == "XYZ") return generalText(*ecef);
    const auto g = ecefToGeodetic(*ecef, transformation->target().ellipsoid);
    return g ? geodeticText(*g) : std::string();
}

std::string GeodeticToEcef(double lat, double lon, double h, double a, double f)
{
    const auto el = makeEllipsoid(a, f);
    if (!el) return "0";
    const auto r = geodeticToEcef({lat, lon, h}, *el);
    return r ? generalText(*r) : "0";
}

std::string HelmertTransform(std::string_view direction, std::string_view values)
{
    double n[10];
    if (!readNumbers(values, n, 10)) return "0";
    const Helmert h(Helmert7{n[3], n[4], n[5], n[6], n[7], n[8], n[9]});
    const Ecef p{n[0], n[1], n[2]};
    const Ecef r = direction == "WGS" ? h.toCommon(p) : h.fromCommon(p);
    if (!std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.z)) return "0";
    return generalText(r);
}

std::string EcefToGeodetic(double x, double y, double z, double a, double f)
{
    const auto el = makeEllipsoid(a, f);
    if (!el) return {};
    const auto g = ecefToGeodetic({x, y, z}, *el);
    return g ? geodeticText(*g) : std::string();
}

double ConvertAngleUnit(double angle, std::string_view unit)
{
    if (unit == "r" || unit == "R") return angle * kPi / 180.0;
    if (unit == "d" || unit == "D") return angle * 180.0 / kPi;
    return 0.0;
}

std::string ProjectGeodeticToGrid(std::string_view geographic, std::string_view projection,
                                  std::string_view ellipsoid)
{
    double g[2];
    if (!readNumbers(geographic, g, 2)) return "0";
    const auto tm = projectionFrom(projection, ellipsoid, 1);
    if (!tm) return "0";
    const auto r = tm->forward(g[0], g[1]);
    return r ? gridText(*r) : "0";
}

std::string TmGridToGeographic(std::string_view grid, std::string_view projection, std::string_view ellipsoid)
{
    double g[2];
    if (!readNumbers(grid, g, 2)) return "0";
    const auto tm = projectionFrom(projection, ellipsoid, 0);
    if (!tm) return "0";
    const auto r = tm->inverse(g[0], g[1]);
    return r ? latLonText(r->lat, r->lon) : "0";
}

std::string ConvertLatLonToGrid(std::string_view geographic, std::string_view datum, std::string_view projection,
                                std::string_view ellipsoid)
{
    double g[2];
    if (!readNumbers(geographic, g, 2)) return "0";
    const auto transformation = parseDatumText(datum);
    const auto tm = projectionFrom(projection, ellipsoid, 1);
    if (!transformation || !tm) return "0";
    const auto local = transformation->convert({g[0], g[1], 0.0});
    if (!local) return "0";
    const auto r = tm->forward(local->lat, local->lon);
    return r ? gridText(*r) : "0";
}

std::string FormatBLH(std::string_view grid, std::string_view datum, std::string_view projection,
                      std::string_view ellipsoid)
{
    double g[2];
    if (!readNumbers(grid, g, 2)) return "0";
    const auto transformation = parseDatumText(datum);
    const auto tm = projectionFrom(projection, ellipsoid, 0);
    if (!transformation || !tm) return "0";
    const auto local = tm->inverse(g[0], g[1]);
    if (!local) return "0";
    const auto r = transformation->convert({local->lat, local->lon, 0.0});
    return r ? latLonText(r->lat, r->lon) : "0";
}

double ProjectionScaleAndConvergence(std::string_view command, double a, double f, double lat, double lon,
                                     double centralMeridian, double latitudeOfOrigin, double k0,
                                     double falseEasting, double falseNorthing)
{
    // Only a, f, the position, the central meridian and (for the scale) k0 matter here.
    (void)latitudeOfOrigin;
    (void)falseEasting;
    (void)falseNorthing;
    const bool scale = command == "PtScFac";
    if (!scale && command != "GrdConv") return 0.0;
    const auto el = makeEllipsoid(a, f);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    if (!el || !std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > 90.0) return nan;
    const auto tm = TransverseMercator::make(*el, {centralMeridian, 0.0, scale ? k0 : 1.0, 0.0, 0.0});
    if (!tm) return nan;
    return scale ? tm->pointScaleFactor(lat, lon) : tm->gridConvergence(lat, lon);
}

} // namespace vsx
