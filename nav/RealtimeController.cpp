#include "nav/RealtimeController.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "input/GgaForwarding.h"
#include "platform/Clock.h"
#include "platform/Text.h"

#include <algorithm>

namespace vsx {

std::string SensorLogFileName(const std::string& logFolder, const std::string& date, const std::string& sensorName)
{
    return logFolder + date + "." + toUpperAscii(sensorName.substr(0, 3)) + ".log";
}

RealtimeController::RealtimeController(RealtimeState& state, RealtimeDevices& devices)
    : state_(state), devices_(devices)
{
}

void RealtimeController::Start()
{
    if (state_.RealtimeRunning) return;
    // A port setting that does not convert throws here, before anything was opened.
    devices_.applyGnssPortSettings();
    devices_.retakeProjectionSnapshot();
    if (!GpsUdpEnabled) {
        devices_.openGnssReceiver();
        state_.GnssStartTick = std::max<std::int64_t>(1, tickCountMs());
    }
    devices_.showRunning(true);
    AppendEventLine("Realtime STARTED", EventsLogFileName());

    SensorLogFiles.clear();
    const std::string date = CurrentDateString();
    for (const VesselSensor& s : VesselSensors) {
        auto file = std::make_shared<AppendFile>();
        if (!file->open(SensorLogFileName(LogFolder, date, s.Name))) file.reset();
        SensorLogFiles.push_back(std::move(file));
    }
    if (ForwardEnabled) OpenForwardTarget(GetIniFileName());
    state_.RealtimeRunning = true;
}

void RealtimeController::Stop()
{
    if (!state_.RealtimeRunning) return;
    if (!GpsUdpEnabled) devices_.closeGnssReceiver();
    devices_.stopMapTimer();
    state_.GnssStartTick = 0;
    devices_.showRunning(false);
    AppendEventLine("Realtime STOPPED", EventsLogFileName());
    for (AppendFilePtr& f : SensorLogFiles)
        if (f) f->close();
    SensorLogFiles.clear();
    CloseForwardTarget();
    state_.RealtimeRunning = false;
}

} // namespace vsx
