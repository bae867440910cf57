#pragma once
// Whether the main receiver's position is current by the rule the sounding records follow
// (kPositionMaxAge after the fix that gave it), as the screens must show it: says when positions
// stop within a run and when they come back, with the length of the gap between the last fix
// before it and the first one after.
#include "nav/CurrentPosition.h"

#include <chrono>
#include <optional>

namespace vsx {

class PositionAgeWatch {
public:
    using TimePoint = CurrentPosition::TimePoint;

    struct Change {
        enum class Kind { None, Lost, Back };
        Kind kind = Kind::None;
        std::chrono::milliseconds gap{0};  // Back: from the last fix before the gap to the first after it
    };

    // `lastFix`: when the position now held was given (nothing when none is held). `gap`: the
    // position's own measure of the gap before its fixes (CurrentPosition), which sees every
    // fix; without it the gap is timed from the fixes seen by the calls.
    Change Update(std::optional<TimePoint> lastFix, TimePoint now,
                  std::optional<std::chrono::milliseconds> gap = std::nullopt);
    // Positions stopped within this run and have not come back.
    bool Lost() const { return lost_; }
    // A new run: nothing seen yet, so its first fix is no return.
    void Reset();

private:
    std::optional<TimePoint> lastSeen_;  // the newest fix seen
    bool current_ = false;
    bool lost_ = false;
};

} // namespace vsx
