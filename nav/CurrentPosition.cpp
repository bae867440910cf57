#include "nav/CurrentPosition.h"

namespace vsx {

void CurrentPosition::Take(const GnssFix& fix, TimePoint t)
{
    if (!taken_ || t - *taken_ > kPositionMaxAge) {
        beforeFlow_ = last_;
        flowStart_ = t;
    }
    fix_ = fix;
    taken_ = last_ = t;
}

void CurrentPosition::Forget()
{
    heard_.reset();
    taken_.reset();
    last_.reset();
    flowStart_.reset();
    beforeFlow_.reset();
    fix_ = {};
}

std::optional<std::chrono::milliseconds> CurrentPosition::GapBeforeCurrentFixes() const
{
    if (!flowStart_ || !beforeFlow_) return std::nullopt;
    return std::chrono::duration_cast<std::chrono::milliseconds>(*flowStart_ - *beforeFlow_);
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
