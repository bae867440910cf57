#include "nav/CurrentPosition.h"

namespace vsx {

void CurrentPosition::Take(const GnssFix& fix, TimePoint t)
{
    fix_ = fix;
    taken_ = t;
}

void CurrentPosition::Forget()
{
    heard_.reset();
    taken_.reset();
    fix_ = {};
}

std::optional<GnssFix> CurrentPosition::At(TimePoint now) const
{
    if (!taken_ || now - *taken_ > kPositionMaxAge) return std::nullopt;
    return fix_;
}

bool CurrentPosition::SilentAt(TimePoint now, std::chrono::milliseconds silence) const
{
    return !heard_ || now - *heard_ > silence;
}

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
