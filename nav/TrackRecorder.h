#pragma once
// Decides, once per map tick, whether the tracked point of the own vessel has moved far enough
// to add a track segment. A segment joins the last track point to the new point when the step is
// at least the track distance D and shorter than 10 D.
//
// A step of 10 D or more is taken as a spike (a bad fix) and adds nothing. When the far positions
// persist (kJumpConfirmTicks ticks in a row, each within 10 D of the one before), the vessel has
// really moved (an outage, a re-initialisation): the track starts again there, without a segment
// across the gap, instead of staying stuck at the old point for the rest of the run.
namespace vsx {

struct TrackPoint {
    double x = 0, y = 0;
};

class TrackRecorder {
public:
    static constexpr int kJumpConfirmTicks = 3;

    enum class Step {
        NoPosition,  // nothing tracked yet (no position, or the grid origin)
        Placed,      // the first point (or a restart) was placed; no segment
        TooShort,    // closer than D to the last point
        Segment,     // a segment from `from` to the new point
        Spike,       // a jump of 10 D or more, not (yet) confirmed
    };
    struct Result {
        Step step = Step::NoPosition;
        TrackPoint from, to;
    };

    // `point` is the tracked point; `havePosition` false while the vessel has no grid position.
    // `trackedSensor` is the tracked sensor's index (-1 the antenna): a change places the last
    // point anew so that no segment joins two different points of the vessel.
    Result Advance(TrackPoint point, bool havePosition, int trackedSensor, double trackDistance);
    // Forget the last point (the helmsman window's "clear tracks"); the next tick places it.
    void Reset() { havePoint_ = false; }

    bool HavePoint() const { return havePoint_; }
    TrackPoint LastPoint() const { return last_; }

private:
    TrackPoint last_;
    bool havePoint_ = false;
    int lastSensor_ = -1;
    int farTicks_ = 0;
    TrackPoint lastFar_;
};

} // namespace vsx
