#include "nav/SensorOffset.h"

#include <cmath>
#include <numbers>

namespace vsx {

GridOffsetPoint SensorGridPosition(double easting, double northing, double gridHeadingDeg, double offsetX,
                                   double offsetY)
{
    const double h = gridHeadingDeg * std::numbers::pi / 180.0;
    const double s = std::sin(h), c = std::cos(h);
    return {easting + offsetY * s + offsetX * c, northing + offsetY * c - offsetX * s};
}

} // namespace vsx
