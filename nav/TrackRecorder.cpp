#include "nav/TrackRecorder.h"

#include <cmath>

namespace vsx {
namespace {
double distance(TrackPoint a, TrackPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }
} // namespace

TrackRecorder::Result TrackRecorder::Advance(TrackPoint point, bool havePosition, int trackedSensor, double d)
{
    Result r;
    r.to = point;
    if (!havePosition) return r;
    if (trackedSensor != lastSensor_) {
        lastSensor_ = trackedSensor;
        havePoint_ = false;
    }
    if (!havePoint_) {
        last_ = point;
        havePoint_ = true;
        farTicks_ = 0;
        r.step = Step::Placed;
        return r;
    }
    r.from = last_;
    const double step = distance(point, last_);
    if (step < 10 * d) {
        farTicks_ = 0;
        if (step < d) {
            r.step = Step::TooShort;
            return r;
        }
        last_ = point;
        r.step = Step::Segment;
        return r;
    }
    // A jump: count it only while the far positions stay together.
    farTicks_ = (farTicks_ > 0 && distance(point, lastFar_) < 10 * d) ? farTicks_ + 1 : 1;
    lastFar_ = point;
    if (farTicks_ >= kJumpConfirmTicks) {
        last_ = point;
        farTicks_ = 0;
        r.step = Step::Placed;
        return r;
    }
    r.step = Step::Spike;
    return r;
}

} // namespace vsx
