#pragma once
// Transverse Mercator on the ellipsoid by the classical power series in the longitude difference
// (the USGS formulas), not by Krüger's series:
//   forward  easting to A^5 and northing to A^6: J. P. Snyder, "Map Projections: A Working
//            Manual", USGS Professional Paper 1395 (1987), pp. 60-64, eqs. (8-9) and (8-10),
//            with the meridian arc to e^6, eq. (3-21);
//   inverse  eqs. (8-17) and (8-18) from the foot-point latitude of eq. (3-26), then one Newton
//            step on the forward series, so that inverse() is the inverse of forward() itself;
//   point scale factor and grid convergence  Redfearn's series (J. C. B. Redfearn, "Transverse
//            Mercator formulae", Empire Survey Review 9 (1948) 318-322), in the form of the
//            Geocentric Datum of Australia Technical Manual (ICSM), with ψ = ν/ρ.
//
// Accuracy, measured against the exact projection (PROJ's tmerc and GeographicLib's
// TransverseMercatorProj -t; WGS-84, k0 0.9996), largest over all latitudes:
//     distance from the central meridian   up to 4°   4.5°     5°       6°       9°
//     position error                        0.96 mm    1.6 mm   3.3 mm   11.5 mm  19 cm
//     point scale factor                    4e-10      8e-10    1.5e-9   5e-9     6e-8
//     grid convergence                      1.2e-6"    3e-6"    6e-6"    2.2e-5"  4e-4"
// Up to 4° the position error is that of the meridian-arc series, which depends on the latitudes
// only (with the origin on the equator: none there, 0.14 mm at 40°, 0.96 mm near 70°); beyond,
// the longitude series adds an error largest at the equator that grows with about the seventh
// power of the distance. The inverse carries the forward's error.
// Domain: every latitude; the longitude difference is taken within ±180°, but the figures above
// hold only near the central meridian: within kTmAccurateLongitudeSpan (a 3° zone and a UTM
// zone lie within it) a point is converted to 2 mm. Points beyond are converted all the same;
// the imports and exports count them and say so.
//
// Grid convergence convention (the same for the Lambert projection, see LambertConic.h): the
// convergence γ is the grid bearing of true north, so
//     grid bearing = true bearing + γ
// and γ is negative east of the central meridian in the northern hemisphere (positive west of
// it, and the other way round in the southern hemisphere). The map turns the vessel symbol by
// true heading + γ.
#include "geo/Ellipsoid.h"

#include <optional>

namespace vsx {

// Angles in degrees, lengths in metres.
struct TmParameters {
    double centralMeridian = 0;
    double latitudeOfOrigin = 0;
    double scaleFactor = 1.0;  // k0 on the central meridian
    double falseEasting = 0;
    double falseNorthing = 0;
};

struct GridPoint {
    double easting = 0, northing = 0;
};

// Latitude and longitude in decimal degrees.
struct LatLon {
    double lat = 0, lon = 0;
};

// How far from the central meridian (degrees of longitude) the series holds to a few millimetres.
inline constexpr double kTmAccurateLongitudeSpan = 4.5;

class TransverseMercator {
public:
    // No value when the ellipsoid is unusable, k0 is not positive, the latitude of origin lies
    // outside ±90° or a number is not finite.
    static std::optional<TransverseMercator> make(const Ellipsoid& ellipsoid, const TmParameters& p);

    const Ellipsoid& ellipsoid() const { return ellipsoid_; }
    const TmParameters& parameters() const { return p_; }

    // No value for a latitude outside ±90° or a non-finite number. The longitude difference to
    // the central meridian is taken within ±180°.
    std::optional<GridPoint> forward(double lat, double lon) const;
    // The inverse series, refined so that it is the exact inverse of forward(): a point taken to
    // the grid and back returns to within 1e-9°. No value for non-finite input or a result off
    // the ellipsoid. Longitudes come back within ±180°.
    std::optional<LatLon> inverse(double easting, double northing) const;

    // Whether the longitude lies within kTmAccurateLongitudeSpan of the central meridian.
    bool accurateAt(double lon) const;

    double pointScaleFactor(double lat, double lon) const;
    // Degrees; see the convention above.
    double gridConvergence(double lat, double lon) const;

private:
    TransverseMercator() = default;
    struct Forward {
        double easting, northing, s, c, nu;  // and sin, cos and prime-vertical radius of the latitude
    };
    Forward project(double phi, double dLambda) const;
    double meridianArc(double phi, double sin2, double sin4, double sin6) const;

    Ellipsoid ellipsoid_;
    TmParameters p_;
    double e2_ = 0, ep2_ = 0;
    double m0_ = 0, m2_ = 0, m4_ = 0, m6_ = 0;  // meridian-arc coefficients (times a)
    double j2_ = 0, j4_ = 0, j6_ = 0, j8_ = 0;  // foot-point latitude coefficients
    double arcAtOrigin_ = 0;
};

} // namespace vsx
