#pragma once
// The fix a receiver publishes: every value its NMEA sentences gave, each with the monotonic time
// it was last heard with a usable value and whether the last sentence that carried it gave one.
// The receiver's one reading of each line fills it (input/NmeaParser.h); the GNSS line handler,
// the map loop, the sounding records, GGA forwarding, the NTRIP upload and the extra vessels read
// it, and none of them reads the line again.
//
// CurrentPosition, kept by the same reading, says whether the position may still be trusted:
// every well-formed GGA is heard; one with a fix (quality 1 to 8, every value possible) gives the
// position, one without a fix takes it away at once, and a new run starts with nothing. A
// position is current for kPositionMaxAge after the GGA that gave it, so a sounding never takes a
// position the receiver stopped reporting, and never one of an earlier run.
#include <chrono>
#include <optional>
#include <string>

namespace vsx {

using FixTimePoint = std::chrono::steady_clock::time_point;

// One value of the fix. An empty or unreadable field makes it not valid and keeps the last
// usable value (and the time that value was heard).
template <class T>
struct FixValue {
    T value{};
    std::optional<FixTimePoint> heard;  // when a sentence last gave a usable value
    bool valid = false;                 // the last sentence that carried it gave a usable value

    void take(T v, FixTimePoint t)
    {
        value = std::move(v);
        heard = t;
        valid = true;
    }
    void none() { valid = false; }
    // A new run: nothing heard yet; the last value stays as the last known one.
    void forget()
    {
        heard.reset();
        valid = false;
    }
};

struct GeoPoint {
    double latitude = 0, longitude = 0;  // degrees, north and east positive (WGS-84)
};

// How long a GGA's position stays current for the sounding records.
inline constexpr std::chrono::milliseconds kPositionMaxAge{2000};

struct GnssFix {
    double latitude = 0, longitude = 0, altitude = 0;  // degrees, degrees, metres (WGS-84)
    int fixQuality = 0;
};

class CurrentPosition {
public:
    using TimePoint = FixTimePoint;

    // A well-formed GGA arrived, with or without a fix.
    void Heard(TimePoint t) { heard_ = t; }
    // A GGA with a fix gave this position.
    void Take(const GnssFix& fix, TimePoint t);
    // A GGA said the receiver has no fix: no position from now on.
    void Lose() { taken_.reset(); }
    // A new run: nothing heard, no position.
    void Forget();

    // When the position now held was given; nothing when none is held.
    std::optional<TimePoint> FixTime() const { return taken_; }
    // The position when a GGA gave it within kPositionMaxAge before `now`.
    std::optional<GnssFix> At(TimePoint now) const;
    // No well-formed GGA within `silence` before `now`, or none yet in this run.
    bool SilentAt(TimePoint now, std::chrono::milliseconds silence) const;
    // The altitude of the last fix, for a GGA whose altitude field is empty (0 before any).
    double LastAltitude() const { return fix_.altitude; }
    // The gap before the fixes now flowing: from the last fix before it to the first after it
    // (a gap is a fix more than kPositionMaxAge after the one before, or after a GGA without a
    // fix). Nothing when no fix of this run came before them.
    std::optional<std::chrono::milliseconds> GapBeforeCurrentFixes() const;

private:
    std::optional<TimePoint> heard_, taken_;
    std::optional<TimePoint> last_;          // the newest fix of the run, kept when a GGA takes it away
    std::optional<TimePoint> flowStart_;     // the first fix after the latest gap
    std::optional<TimePoint> beforeFlow_;    // the last fix before that gap
    GnssFix fix_;
};

struct ReceiverFix {
    FixValue<std::string> time;        // GGA: UTC time of day as written, "hhmmss" with its fraction
    FixValue<GeoPoint> position;       // GGA with a fix; not valid after a GGA without one
    FixValue<int> fixQuality;          // GGA: 0 no fix, 1 GPS, 2 DGPS, 4 RTK fixed, 5 RTK float, ...
    FixValue<int> satellites;          // GGA: satellites in use
    FixValue<double> hdop;             // GGA
    FixValue<double> altitude;         // GGA: antenna altitude above mean sea level, metres
    FixValue<double> geoidSeparation;  // GGA: metres
    FixValue<double> age;              // GGA: age of the differential corrections, seconds
    FixValue<double> speed;            // RMC, VTG: speed over ground, knots
    FixValue<double> course;           // RMC, VTG: course over ground, degrees true
    FixValue<double> heading;          // HDT: heading, degrees true
    CurrentPosition current;           // the position as the records may trust it

    // A new run: nothing heard and no position; the last values stay as the last known ones.
    void Forget();
};

} // namespace vsx
