#pragma once
// Transverse Mercator on the ellipsoid: forward and inverse by the closed series (easting to A^5,
// northing to A^6, meridian arc to e^6; inverse through the foot-point latitude), and the point
// scale factor and grid convergence by Redfearn's series.
//
// Accuracy against the exact projection (WGS-84, k0 0.9996, worst at the equator): 0.1 mm at 3°
// of longitude from the central meridian, 1.6 mm at 4.5°, 3.3 mm at 5°, 11.5 mm at 6° and 19 cm
// at 9°; it grows quickly from there. Points beyond kTmAccurateLongitudeSpan are converted all the
// same; the imports and exports count them and say so.
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
