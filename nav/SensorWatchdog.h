#pragma once
// Watches the echosounder line stream: a silence of more than 5 s (since the last line, or since
// the start when no line came) is reported once; the next line re-arms the watch.
#include <cstdint>

namespace vsx {

class SensorWatchdog {
public:
    static constexpr std::uint32_t kTimeoutMs = 5000;

    // Tick counts are the unsigned millisecond tick; 0 means "not started".
    void start(std::uint32_t nowTick);
    void stop();
    void lineArrived(std::uint32_t nowTick);
    // True exactly once per silence.
    bool checkTimeout(std::uint32_t nowTick);

    std::uint32_t startTick() const { return startTick_; }
    std::uint32_t lineTick() const { return lineTick_; }
    bool timeoutShown() const { return timeoutShown_; }

private:
    std::uint32_t startTick_ = 0;
    std::uint32_t lineTick_ = 0;
    bool timeoutShown_ = false;
};

} // namespace vsx
