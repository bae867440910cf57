#pragma once
// The coordinate text interface: numbers separated by blanks or tabs in and out, over the typed
// core of Datum.h and TransverseMercator.h. Numbers are read strictly ('.' decimal point, sign and
// exponent allowed, no NaN or infinity, any white space between them; numbers beyond those an
// operation needs are ignored) and written locale-free.
//
// Texts:
//   point text       "lat lon h" (degrees, degrees, metres)
//   geographic text  "lat lon"
//   grid text        "easting northing"
//   datum text       eighteen numbers, two blocks of a, f, ppm, rx, ry, rz (arc-seconds),
//                    tx, ty, tz: the source datum's transformation into WGS-84, then the target's
//   projection text  "cm lat0 k0 fe fn"
//   ellipsoid text   "a1 f1 a2 f2": the forward projection reads the second pair, the inverse
//                    the first
// Every f may be a flattening or an inverse flattening (see Ellipsoid.h).
//
// Failure: "0" for text that does not hold the numbers an operation needs or values it cannot
// use; "" from the geodetic conversions for a point on the polar axis.
#include "geo/Datum.h"
#include "geo/TransverseMercator.h"

#include <optional>
#include <string>
#include <string_view>

namespace vsx {

// The WGS-84 datum block as callers write it.
inline constexpr std::string_view kWgs84DatumBlockText =
    "6378137.0  0.0033528106647474  0.0  0.0  0.0  0.0  0.0  0.0  0.0";
inline constexpr std::string_view kWgs84EllipsoidText = "6378137.0 0.0033528106647474";

// Typed readers of the texts, for callers that parse once and convert many points.
std::optional<DatumTransformation> parseDatumText(std::string_view datum);
std::optional<TmParameters> parseProjectionText(std::string_view projection);
// pair 0 is the first (a, f) pair, pair 1 the second.
std::optional<Ellipsoid> parseEllipsoidText(std::string_view ellipsoid, int pair);

// Mode "XYZ" (exactly) gives the earth-centred coordinates on the target datum, tab-separated in
// the general number form; any other mode gives "lat\tlon\th" on the target ellipsoid with 8, 8
// and 2 decimals.
std::string ConvertCoordinates(std::string_view mode, std::string_view point, std::string_view datum);
// "X\tY\tZ", general form.
std::string GeodeticToEcef(double lat, double lon, double h, double a, double f);
// values: "X Y Z ppm rx ry rz tx ty tz". Direction "WGS" applies the transformation (datum frame
// to WGS-84), any other its inverse. "X'\tY'\tZ'", general form.
std::string HelmertTransform(std::string_view direction, std::string_view values);
// "lat\tlon\th" with 8, 8 and 2 decimals; "" on the polar axis.
std::string EcefToGeodetic(double x, double y, double z, double a, double f);
// "r"/"R": degrees to radians; "d"/"D": radians to degrees; any other unit 0.0.
double ConvertAngleUnit(double angle, std::string_view unit);

// Transverse Mercator on the ellipsoid's second pair: "E N" with 4 decimals.
std::string ProjectGeodeticToGrid(std::string_view geographic, std::string_view projection,
                                  std::string_view ellipsoid);
// Transverse Mercator inverse on the ellipsoid's first pair: "lat lon" with 10 decimals.
std::string TmGridToGeographic(std::string_view grid, std::string_view projection, std::string_view ellipsoid);
// WGS-84 latitude/longitude (height 0) through the datum text (WGS-84 block first) to the local
// grid: "E N" with 4 decimals.
std::string ConvertLatLonToGrid(std::string_view geographic, std::string_view datum, std::string_view projection,
                                std::string_view ellipsoid);
// Local grid to latitude/longitude on the datum text's target (local block first, WGS-84
// second): "lat lon" with 10 decimals.
std::string FormatBLH(std::string_view grid, std::string_view datum, std::string_view projection,
                      std::string_view ellipsoid);
// "PtScFac": point scale factor; "GrdConv": grid convergence in degrees (convention in
// TransverseMercator.h); any other command 0.0. NaN when the ellipsoid, k0 or the position cannot
// be used.
double ProjectionScaleAndConvergence(std::string_view command, double a, double f, double lat, double lon,
                                     double centralMeridian, double latitudeOfOrigin, double k0,
                                     double falseEasting, double falseNorthing);

} // namespace vsx
