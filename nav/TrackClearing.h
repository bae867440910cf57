#pragma once
// Clearing the own vessel's track by fix class. The map loop puts RTK fixed segments on
// "track_fix", RTK float, DGPS and PPS segments on "track_float" and every other fix on
// "track_nofix"; each clearing command asks a question that names exactly the fixes on its layer,
// and writes its events-log line.
#include "canvas/CanvasModel.h"

#include <string>

namespace vsx {

enum class TrackClass { Fixed, Float, NoFix };

struct TrackClearing {
    const char* layer;     // the layer emptied
    const char* question;  // the confirmation asked before (Yes/No)
    const char* logLine;   // the events-log line written after
};

const TrackClearing& TrackClearingFor(TrackClass kind);

// Deletes the shapes of the class's layer; returns how many went (0 when the layer is missing).
int ClearTrackLayer(CanvasModel& model, TrackClass kind);

// The question before the user layer "veldor_usershape" is emptied.
inline constexpr const char* kClearUserShapesQuestion = "User added shapes to be deleted! Continue?";

} // namespace vsx
