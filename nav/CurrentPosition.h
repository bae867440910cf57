#pragma once
// The main receiver's position as the rest of a run may trust it. Every well-formed GGA is heard;
// one with a fix (quality 1 to 8, every value possible) gives the position, one without a fix
// takes it away at once, and a new run starts with nothing. A position is current for
// kPositionMaxAge after the GGA that gave it, so a sounding never takes a position the receiver
// stopped reporting, and never one of an earlier run.
#include "nav/ProjectionSnapshot.h"

#include <chrono>
#include <optional>

namespace vsx {

// How long a GGA's position stays current for the sounding records.
inline constexpr std::chrono::milliseconds kPositionMaxAge{2000};

struct GnssFix {
    double latitude = 0, longitude = 0, altitude = 0;  // degrees, degrees, metres (WGS-84)
    int fixQuality = 0;
};

class CurrentPosition {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

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

// Where a sounding was made, as its record states it. No value: no current position (latitude,
// longitude) or no grid conversion of it (easting, northing); the record then leaves the field
// empty, and the fix quality is 0.
struct SoundingPosition {
    std::optional<double> latitude, longitude;
    std::optional<double> easting, northing;
    int fixQuality = 0;
};

// The sounding position at `now`: the current fix, converted with the map's snapshot and
// projection (no grid without a snapshot or when the conversion fails).
SoundingPosition SoundingPositionAt(const CurrentPosition& position, CurrentPosition::TimePoint now,
                                    const ProjectionSnapshot* snapshot, GridProjection projection);

} // namespace vsx
