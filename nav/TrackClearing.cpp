#include "nav/TrackClearing.h"

namespace vsx {

const TrackClearing& TrackClearingFor(TrackClass kind)
{
    // The events-log lines are those the program has always written; the questions say which
    // fixes the layer really holds.
    static const TrackClearing fixed{"track_fix", "RTK fixed tracking points to be cleared. Continue?",
                                     "Cleared Fixed/Float/DGPS tracklines"};
    static const TrackClearing floating{"track_float",
                                        "RTK float, DGPS and PPS tracking points to be cleared. Continue?",
                                        "Cleared Autonomous tracklines"};
    static const TrackClearing noFix{"track_nofix",
                                     "Autonomous and other tracking points without a differential fix to be "
                                     "cleared. Continue?",
                                     "Cleared NoFix tracklines"};
    switch (kind) {
    case TrackClass::Fixed: return fixed;
    case TrackClass::Float: return floating;
    case TrackClass::NoFix: break;
    }
    return noFix;
}

int ClearTrackLayer(CanvasModel& model, TrackClass kind)
{
    const int layer = model.FindLayer(TrackClearingFor(kind).layer);
    if (layer < 0) return 0;
    const int count = model.LayerShapeCount(layer);
    model.DeleteLayerShapes(layer);
    return count;
}

} // namespace vsx
