#pragma once
// Where a point fixed on the vessel lies on the grid: a sensor `offsetX` metres to starboard and
// `offsetY` metres towards the bow of the antenna at (easting, northing), for a grid heading in
// degrees clockwise from grid north.
namespace vsx {

struct GridOffsetPoint {
    double easting = 0, northing = 0;
};

GridOffsetPoint SensorGridPosition(double easting, double northing, double gridHeadingDeg, double offsetX,
                                   double offsetY);

} // namespace vsx
