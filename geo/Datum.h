#pragma once
// Geodetic <-> earth-centred coordinates and the seven-parameter datum transformation.
//
// A datum is an ellipsoid plus the similarity transformation that carries its earth-centred
// coordinates into the common WGS-84 frame, in the coordinate-frame rotation convention with the
// exact rotation matrix R3(rz)·R2(ry)·R1(rx) (no small-angle form):
//     X_wgs = T + (1 + ppm·1e-6)·R·X_datum
// A conversion from a source datum to a target datum applies the source's transformation
// forwards and the target's backwards.
#include "geo/Ellipsoid.h"

#include <optional>

namespace vsx {

// Latitude and longitude in decimal degrees (north and east positive), height in metres above
// the ellipsoid.
struct Geodetic {
    double lat = 0, lon = 0, h = 0;
};

// Earth-centred, earth-fixed coordinates, metres.
struct Ecef {
    double x = 0, y = 0, z = 0;
};

// Geodetic to earth-centred. No value when the latitude lies outside ±90°, a value is not
// finite, or the ellipsoid is unusable.
std::optional<Ecef> geodeticToEcef(const Geodetic& p, const Ellipsoid& e);

// Earth-centred to geodetic: full-quadrant longitude (atan2), latitude by the fixed-point
// iteration to 1e-12 rad. No value on the polar axis (the latitude comes out as exactly ±90°),
// for non-finite input, or when the iteration does not settle.
std::optional<Geodetic> ecefToGeodetic(const Ecef& p, const Ellipsoid& e);

// The seven parameters of one datum's transformation into WGS-84.
struct Helmert7 {
    double ppm = 0;               // scale difference, parts per million
    double rx = 0, ry = 0, rz = 0;  // rotations, arc-seconds, coordinate-frame convention
    double tx = 0, ty = 0, tz = 0;  // shifts, metres
};

// One Helmert7 with its matrix worked out once.
class Helmert {
public:
    explicit Helmert(const Helmert7& p);
    Ecef toCommon(const Ecef& p) const;    // datum frame -> WGS-84 frame
    Ecef fromCommon(const Ecef& p) const;  // WGS-84 frame -> datum frame (the exact inverse)

private:
    friend class DatumTransformation;
    double r_[3][3];
    double s_, tx_, ty_, tz_;
};

struct DatumBlock {
    Ellipsoid ellipsoid;
    Helmert7 toWgs84;
};

inline constexpr DatumBlock kWgs84Datum{kWgs84Ellipsoid, {}};

// Source datum -> target datum, both carried by their blocks; the two Helmert steps are folded
// into one affine map when made.
class DatumTransformation {
public:
    DatumTransformation(const DatumBlock& source, const DatumBlock& target);

    const DatumBlock& source() const { return source_; }
    const DatumBlock& target() const { return target_; }

    // Earth-centred coordinates of the point in the target frame.
    std::optional<Ecef> toTargetEcef(const Geodetic& p) const;
    // Geodetic coordinates on the target ellipsoid.
    std::optional<Geodetic> convert(const Geodetic& p) const;

private:
    DatumBlock source_, target_;
    double m_[3][3];
    double b_[3];
};

} // namespace vsx
