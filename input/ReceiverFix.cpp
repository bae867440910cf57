#include "input/ReceiverFix.h"

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

void ReceiverFix::Forget()
{
    time.forget();
    position.forget();
    fixQuality.forget();
    satellites.forget();
    hdop.forget();
    altitude.forget();
    geoidSeparation.forget();
    age.forget();
    speed.forget();
    course.forget();
    heading.forget();
    current.Forget();
}

} // namespace vsx
