#pragma once
// One injectable source of "now": the wall clock for dates, file names and time stamps, and a
// monotonic clock for every "N seconds since". Tests install a fake clock to cross midnight or
// skip a time-out without waiting.
#include <chrono>
#include <cstdint>
#include <string>

namespace vsx {

struct LocalDateTime {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::chrono::system_clock::time_point now() const;
    virtual std::chrono::steady_clock::time_point monotonic() const;
};

// The process-wide clock; setClock(nullptr) restores the real one. The caller keeps ownership.
Clock& clock();
void setClock(Clock* clock);

LocalDateTime toLocal(std::chrono::system_clock::time_point t);
std::chrono::system_clock::time_point fromLocal(const LocalDateTime& t);
LocalDateTime localNow();
// UTC fields of a time point.
LocalDateTime toUtc(std::chrono::system_clock::time_point t);
// Milliseconds of the monotonic clock, like a tick count.
std::int64_t tickCountMs();

// "YYYY-MM-DD" and "hhnnsszzz".
std::string formatDate(const LocalDateTime& t);
std::string formatTimeCompact(const LocalDateTime& t);

// A clock whose wall time and monotonic time only move when told.
class FakeClock : public Clock {
public:
    explicit FakeClock(const LocalDateTime& start);
    std::chrono::system_clock::time_point now() const override { return wall_; }
    std::chrono::steady_clock::time_point monotonic() const override { return mono_; }
    void setLocal(const LocalDateTime& t);
    void advance(std::chrono::milliseconds d)
    {
        wall_ += d;
        mono_ += d;
    }

private:
    std::chrono::system_clock::time_point wall_;
    std::chrono::steady_clock::time_point mono_;
};

} // namespace vsx
