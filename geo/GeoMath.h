#pragma once
// Angle constants and helpers shared by the geodesy code.
#include <cmath>

namespace vsx {

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kHalfPi = 1.5707963267948966;
inline constexpr double kDegToRad = kPi / 180.0;
inline constexpr double kRadToDeg = 180.0 / kPi;

// A longitude difference in degrees brought into [-180, 180], so a point across the
// antimeridian from the central meridian is projected on the near side.
inline double wrapDegrees180(double d)
{
    if (d > 180.0 || d < -180.0) d = std::remainder(d, 360.0);
    return d;
}

} // namespace vsx
