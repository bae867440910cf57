// The position a sounding record takes: only a fix of the current run, at most kPositionMaxAge
// old, converted with the map's snapshot; without one the record states no position.
#include "nav/CurrentPosition.h"
#include "nav/SoundingFiles.h"

#include "NavTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

using namespace vsx;
using namespace std::chrono_literals;

TEST(CurrentPosition, CurrentForTwoSecondsUntilLostOrForgotten)
{
    const CurrentPosition::TimePoint t0{std::chrono::hours(100)};
    CurrentPosition p;
    EXPECT_FALSE(p.At(t0)) << "nothing before the first fix";
    EXPECT_TRUE(p.SilentAt(t0, 10s));

    p.Heard(t0);
    p.Take({41.5, 33.25, 12.0, 4}, t0);
    struct Row {
        std::chrono::milliseconds after;
        bool current;
    };
    for (const Row r : {Row{0ms, true}, Row{1999ms, true}, Row{2000ms, true}, Row{2001ms, false}, Row{60s, false}})
        EXPECT_EQ(p.At(t0 + r.after).has_value(), r.current) << r.after.count() << " ms after the fix";
    EXPECT_FALSE(p.SilentAt(t0 + 10s, 10s));
    EXPECT_TRUE(p.SilentAt(t0 + 10001ms, 10s)) << "silent after the receiver's no-data time";

    p.Lose();  // a GGA without a fix
    EXPECT_FALSE(p.At(t0));
    EXPECT_DOUBLE_EQ(p.LastAltitude(), 12.0);
    p.Take({41.6, 33.25, 12.0, 5}, t0 + 1s);
    ASSERT_TRUE(p.At(t0 + 2s));
    EXPECT_EQ(p.At(t0 + 2s)->fixQuality, 5);

    p.Forget();  // a new run
    EXPECT_FALSE(p.At(t0 + 1s)) << "the last run's position is never this run's";
    EXPECT_TRUE(p.SilentAt(t0 + 1s, 10s));
}

// The gap is timed from every fix the receiver gave, not from those someone happened to look at.
TEST(CurrentPosition, GapRunsFromTheLastFixBeforeItToTheFirstAfterIt)
{
    struct Step {
        std::chrono::milliseconds at;
        bool fix;  // a GGA with a fix, else one without
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::optional<std::chrono::milliseconds> gap;
    };
    const Case cases[] = {
        {"the first fixes of a run follow no gap", {{0ms, true}, {200ms, true}}, std::nullopt},
        {"fixes at most 2 s apart make no gap", {{0ms, true}, {2000ms, true}, {4000ms, true}}, std::nullopt},
        {"a silence, then fixes again",
         {{0ms, true}, {1800ms, true}, {6800ms, true}, {7000ms, true}, {7600ms, true}}, 5000ms},
        {"a GGA without a fix between two fixes", {{0ms, true}, {200ms, false}, {1000ms, true}, {1200ms, true}}, 1000ms},
        {"the latest of two gaps", {{0ms, true}, {3000ms, true}, {3200ms, true}, {9200ms, true}}, 6000ms},
    };
    const CurrentPosition::TimePoint t0{std::chrono::hours(100)};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CurrentPosition p;
        for (const Step& s : c.steps) {
            if (s.fix) p.Take({41.5, 33.25, 12.0, 4}, t0 + s.at);
            else p.Lose();
        }
        EXPECT_EQ(p.GapBeforeCurrentFixes(), c.gap);
        p.Forget();
        EXPECT_EQ(p.GapBeforeCurrentFixes(), std::nullopt) << "a new run starts without a gap";
    }
}

TEST(CurrentPosition, RecordStatesItsOwnGridPositionOrNone)
{
    const auto snapshot = ProjectionSnapshot::take(test::utm36());
    ASSERT_TRUE(snapshot);
    const CurrentPosition::TimePoint t0{std::chrono::hours(100)};
    CurrentPosition p;
    p.Take({41.0, 33.0, 45.5, 4}, t0);

    const SoundingPosition at = SoundingPositionAt(p, t0 + 1s, &*snapshot, GridProjection::TransverseMercator);
    ASSERT_TRUE(at.latitude && at.easting && at.northing);
    EXPECT_NEAR(*at.easting, 500000, 0.001);
    EXPECT_NEAR(*at.northing, 4538757.062, 0.01) << "PROJ: UTM zone 36 at 41° N";
    EXPECT_EQ(at.fixQuality, 4);

    const SoundingPosition noGrid = SoundingPositionAt(p, t0 + 1s, nullptr, GridProjection::TransverseMercator);
    EXPECT_TRUE(noGrid.latitude && noGrid.longitude);
    EXPECT_FALSE(noGrid.easting || noGrid.northing) << "no snapshot: the latitude and longitude alone";

    const SoundingPosition stale = SoundingPositionAt(p, t0 + 3s, &*snapshot, GridProjection::TransverseMercator);
    EXPECT_FALSE(stale.latitude || stale.longitude || stale.easting || stale.northing);
    EXPECT_EQ(stale.fixQuality, 0);

    // The record keeps its 18 columns and leaves the four position fields empty.
    SoundingRecord r;
    r.time = {2024, 5, 1, 13, 45, 1, 123};
    r.latitude = stale.latitude;
    r.longitude = stale.longitude;
    r.easting = stale.easting;
    r.northing = stale.northing;
    r.fixQuality = stale.fixQuality;
    r.trueHi = 10.5;
    r.rawHi = 10;
    r.messageType = "NMEA DPT";
    const std::string line = FormatSoundingRecord(r);
    EXPECT_EQ(line, "2024-05-01 134501123,,,,,-10.50,0.00,10.50,0.00,10,0,NMEA DPT,1500.00,0.00,0,0.00,0.00,0.00");
    EXPECT_EQ(std::count(line.begin(), line.end(), ','), 17);
}
