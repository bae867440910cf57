#include "nav/PositionAgeWatch.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace vsx;
using namespace std::chrono_literals;

namespace {

using Kind = PositionAgeWatch::Change::Kind;
using TimePoint = PositionAgeWatch::TimePoint;

TimePoint at(std::chrono::milliseconds ms) { return TimePoint{} + 1h + ms; }

// One look at the position: when it is looked at, and when its fix was given (none held).
struct Look {
    std::chrono::milliseconds now;
    std::optional<std::chrono::milliseconds> fix;
    Kind said;
    std::chrono::milliseconds gap = 0ms;
};

TEST(PositionAgeWatch, FollowsTheRecordsAgeAndTimesTheGap)
{
    struct Case {
        const char* name;
        std::vector<Look> looks;
    };
    const Case cases[] = {
        {"steady fixes", {{0ms, 0ms, Kind::None}, {1000ms, 1000ms, Kind::None}, {2900ms, 1000ms, Kind::None}}},
        {"no fix before the first one is no gap", {{0ms, {}, Kind::None}, {500ms, 400ms, Kind::None}}},
        {"a fix exactly at the age limit is still current", {{0ms, 0ms, Kind::None}, {2000ms, 0ms, Kind::None}}},
        {"a silent feed, then fixes again",
         {{0ms, 0ms, Kind::None},
          {2001ms, 0ms, Kind::Lost},
          {4000ms, 0ms, Kind::None},
          {5200ms, 5200ms, Kind::Back, 5200ms},
          {5400ms, 5400ms, Kind::None}}},
        {"a receiver that says it lost its fix",
         {{0ms, 0ms, Kind::None}, {200ms, {}, Kind::Lost}, {3000ms, {}, Kind::None}, {3100ms, 3100ms, Kind::Back, 3100ms}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PositionAgeWatch watch;
        for (const Look& l : c.looks) {
            const auto change = watch.Update(l.fix ? std::optional<TimePoint>(at(*l.fix)) : std::nullopt, at(l.now));
            EXPECT_EQ(change.kind, l.said) << "at " << l.now.count() << " ms";
            if (l.said == Kind::Back) EXPECT_EQ(change.gap, l.gap);
        }
    }
}

TEST(PositionAgeWatch, TheGapIsThePositionsOwnWhenGiven)
{
    // Looked at before the last fix ahead of the silence and after several fixes behind it.
    PositionAgeWatch watch;
    watch.Update(at(0ms), at(0ms));
    EXPECT_EQ(watch.Update(at(800ms), at(3000ms), std::nullopt).kind, Kind::Lost);
    const auto back = watch.Update(at(6600ms), at(6600ms), 5000ms);
    EXPECT_EQ(back.kind, Kind::Back);
    EXPECT_EQ(back.gap, 5000ms);
}

TEST(PositionAgeWatch, ANewRunStartsWithoutAGap)
{
    PositionAgeWatch watch;
    watch.Update(at(0ms), at(0ms));
    EXPECT_EQ(watch.Update(at(0ms), at(3000ms)).kind, Kind::Lost);
    watch.Reset();
    EXPECT_FALSE(watch.Lost());
    EXPECT_EQ(watch.Update(at(60000ms), at(60000ms)).kind, Kind::None) << "the first fix of a run is no return";
}

} // namespace
