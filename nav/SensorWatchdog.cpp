#include "nav/SensorWatchdog.h"

namespace vsx {

void SensorWatchdog::start(std::uint32_t now)
{
    startTick_ = now ? now : 1;
    lineTick_ = 0;
    timeoutShown_ = false;
}

void SensorWatchdog::stop()
{
    startTick_ = 0;
    lineTick_ = 0;
    timeoutShown_ = false;
}

void SensorWatchdog::lineArrived(std::uint32_t now)
{
    lineTick_ = now ? now : 1;
    timeoutShown_ = false;
}

bool SensorWatchdog::checkTimeout(std::uint32_t now)
{
    if (timeoutShown_ || startTick_ == 0) return false;
    const std::uint32_t reference = lineTick_ ? lineTick_ : startTick_;
    if (std::uint32_t(now - reference) <= kTimeoutMs) return false;
    timeoutShown_ = true;
    return true;
}

} // namespace vsx
