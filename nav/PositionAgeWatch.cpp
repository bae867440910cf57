#include "nav/PositionAgeWatch.h"

namespace vsx {

PositionAgeWatch::Change PositionAgeWatch::Update(std::optional<TimePoint> lastFix, TimePoint now,
                                                  std::optional<std::chrono::milliseconds> gap)
{
    const bool current = lastFix && now - *lastFix <= kPositionMaxAge;
    Change change;
    if (current && lost_ && lastSeen_) {
        change.kind = Change::Kind::Back;
        change.gap = gap ? *gap : std::chrono::duration_cast<std::chrono::milliseconds>(*lastFix - *lastSeen_);
        lost_ = false;
    } else if (!current && current_) {
        change.kind = Change::Kind::Lost;
        lost_ = true;
    }
    if (current) lastSeen_ = lastFix;
    current_ = current;
    return change;
}

void PositionAgeWatch::Reset()
{
    lastSeen_.reset();
    current_ = false;
    lost_ = false;
}

} // namespace vsx
