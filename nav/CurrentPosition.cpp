#include "nav/CurrentPosition.h"

namespace vsx {

SoundingPosition SoundingPositionAt(const CurrentPosition& position, CurrentPosition::TimePoint now,
                                    const ProjectionSnapshot* snapshot, GridProjection projection)
{
    SoundingPosition p;
    const auto fix = position.At(now);
    if (!fix) return p;
    p.latitude = fix->latitude;
    p.longitude = fix->longitude;
    p.fixQuality = fix->fixQuality;
    if (snapshot) {
        if (const auto grid = snapshot->toGrid(fix->latitude, fix->longitude, fix->altitude, projection)) {
            p.easting = grid->easting;
            p.northing = grid->northing;
        }
    }
    return p;
}

} // namespace vsx
