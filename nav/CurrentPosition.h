#pragma once
// Where a sounding was made, from the receiver's published fix (input/ReceiverFix.h, whose
// CurrentPosition says whether its position is still current).
#include "input/ReceiverFix.h"
#include "nav/ProjectionSnapshot.h"

namespace vsx {

// Where a sounding was made, as its record states it. No value: no current position (latitude,
// longitude) or no grid conversion of it (easting, northing); the record then leaves the field
// empty, and the fix quality is 0.
struct SoundingPosition {
    std::optional<double> latitude, longitude;
    std::optional<double> easting, northing;
    int fixQuality = 0;
};

// The sounding position at `now`: the current fix, converted with the map's snapshot and
// projection (no grid without a snapshot or when the conversion fails).
SoundingPosition SoundingPositionAt(const CurrentPosition& position, CurrentPosition::TimePoint now,
                                    const ProjectionSnapshot* snapshot, GridProjection projection);

} // namespace vsx
