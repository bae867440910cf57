#include "platform/Clock.h"

#include "platform/Numbers.h"

#include <atomic>
#include <ctime>

namespace vsx {
namespace {
Clock g_realClock;
// Read by other threads (the NTRIP worker's GGA time) while a test may swap it.
std::atomic<Clock*> g_clock{&g_realClock};
} // namespace

std::chrono::system_clock::time_point Clock::now() const { return std::chrono::system_clock::now(); }
std::chrono::steady_clock::time_point Clock::monotonic() const { return std::chrono::steady_clock::now(); }

Clock& clock() { return *g_clock.load(std::memory_order_acquire); }
void setClock(Clock* c) { g_clock.store(c ? c : &g_realClock, std::memory_order_release); }

static LocalDateTime fromTm(const std::tm& tm, int ms)
{
    LocalDateTime r;
    r.year = tm.tm_year + 1900;
    r.month = tm.tm_mon + 1;
    r.day = tm.tm_mday;
    r.hour = tm.tm_hour;
    r.minute = tm.tm_min;
    r.second = tm.tm_sec;
    r.millisecond = ms;
    return r;
}

static int millisOf(std::chrono::system_clock::time_point t)
{
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count() % 1000;
    return int(ms < 0 ? ms + 1000 : ms);
}

LocalDateTime toLocal(std::chrono::system_clock::time_point t)
{
    std::time_t secs = std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(t));
    std::tm tm {};
    localtime_r(&secs, &tm);
    return fromTm(tm, millisOf(t));
}

LocalDateTime toUtc(std::chrono::system_clock::time_point t)
{
    std::time_t secs = std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(t));
    std::tm tm {};
    gmtime_r(&secs, &tm);
    return fromTm(tm, millisOf(t));
}

std::chrono::system_clock::time_point fromLocal(const LocalDateTime& t)
{
    std::tm tm {};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    std::time_t secs = std::mktime(&tm);
    return std::chrono::system_clock::from_time_t(secs) + std::chrono::milliseconds(t.millisecond);
}

LocalDateTime localNow() { return toLocal(clock().now()); }

std::int64_t tickCountMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(clock().monotonic().time_since_epoch()).count();
}

std::string formatDate(const LocalDateTime& t)
{
    return std::to_string(t.year) + "-" + formatPadded(t.month, 2) + "-" + formatPadded(t.day, 2);
}

std::string formatTimeCompact(const LocalDateTime& t)
{
    return formatPadded(t.hour, 2) + formatPadded(t.minute, 2) + formatPadded(t.second, 2) + formatPadded(t.millisecond, 3);
}

FakeClock::FakeClock(const LocalDateTime& start) : wall_(fromLocal(start)), mono_(std::chrono::hours(1000)) {}

void FakeClock::setLocal(const LocalDateTime& t)
{
    auto next = fromLocal(t);
    if (next > wall_) mono_ += std::chrono::duration_cast<std::chrono::steady_clock::duration>(next - wall_);
    wall_ = next;
}

} // namespace vsx
