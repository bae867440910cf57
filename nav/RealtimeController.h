#pragma once
// Starting and stopping a survey run (the main window's real-time button). RealtimeRunning in the
// real-time state is its one source of truth: it changes only here, at the end of a start or a
// stop, and the button caption, the sensor list lock and the offsets window all read it.
//
// This is the run's GNSS part: the receiver, the projection snapshot, the per-sensor logs of the
// synthetic sentences and the forwarding target. The echosounder, the session log and the
// further vessels' receivers and logs join Start() and Stop() through RealtimeDevices.
#include "nav/RealtimeState.h"

#include <string>

namespace vsx {

class RealtimeDevices {
public:
    virtual ~RealtimeDevices() = default;
    // The device settings window's "GPS Set": its port settings go to the receiver.
    virtual void applyGnssPortSettings() = 0;
    virtual void openGnssReceiver() = 0;
    virtual void closeGnssReceiver() = 0;
    virtual void stopMapTimer() = 0;
    // The datum and projection may have been edited since the last run.
    virtual void retakeProjectionSnapshot() = 0;
    // Button caption and toolbar colour for the new state.
    virtual void showRunning(bool running) = 0;
};

// The per-sensor log of a day: LogFolder + date + "." + the first three letters of the name in
// upper case + ".log".
std::string SensorLogFileName(const std::string& logFolder, const std::string& date, const std::string& sensorName);

class RealtimeController {
public:
    RealtimeController(RealtimeState& state, RealtimeDevices& devices);

    void Toggle() { state_.RealtimeRunning ? Stop() : Start(); }
    void Start();
    void Stop();

private:
    RealtimeState& state_;
    RealtimeDevices& devices_;
};

} // namespace vsx
