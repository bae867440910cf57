#pragma once
// Small shared pieces of the geodesy tests: exact number text for peer command lines, distances
// between geodetic positions, and the datums and points the tables use.
#include "geo/Datum.h"

#include <charconv>
#include <cmath>
#include <string>

namespace vsx::test {

// Shortest text that reads back as the same double (locale-free).
inline std::string num(double v)
{
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    return std::string(buf, r.ptr);
}

// Horizontal distance in metres between two nearby positions (degrees), good to far better than
// the tolerances it checks.
inline double horizontalMetres(double lat1, double lon1, double lat2, double lon2)
{
    const double k = 6378137.0 * 3.141592653589793 / 180.0;
    double dlon = lon1 - lon2;
    if (dlon > 180) dlon -= 360;
    if (dlon < -180) dlon += 360;
    const double dy = (lat1 - lat2) * k;
    const double dx = dlon * k * std::cos(lat1 * 3.141592653589793 / 180.0);
    return std::hypot(dx, dy);
}

// A classical datum on the international ellipsoid and one on Bessel's, both with rotations and
// scale, so that a convention or sign slip shows as metres.
inline const DatumBlock kHayfordDatum{{6378388.0, 1.0 / 297.0}, {-1.2, 0.5, -0.3, 1.1, -84.1, -101.8, -129.7}};
inline const DatumBlock kBesselDatum{{6377397.155, 1.0 / 299.1528128}, {6.7, -1.5, 2.3, -0.9, 582.0, 105.0, 414.0}};

// PROJ pipeline text of a datum's transformation into WGS-84 (coordinate frame, exact matrix).
inline std::string projHelmert(const Helmert7& h)
{
    return "+proj=helmert +x=" + num(h.tx) + " +y=" + num(h.ty) + " +z=" + num(h.tz) + " +rx=" + num(h.rx)
        + " +ry=" + num(h.ry) + " +rz=" + num(h.rz) + " +s=" + num(h.ppm) + " +convention=coordinate_frame +exact";
}

inline std::string projEllipsoid(const Ellipsoid& e) { return "+a=" + num(e.a) + " +f=" + num(e.f); }

} // namespace vsx::test
