#pragma once
// Starting and stopping a survey run. The run has one source of truth, Running(): the real-time
// button, the depth alarm and the offsets window's start command all ask it. A start is all or
// nothing for the survey's own ports: when the GNSS receiver (unless positions come over UDP) or
// an enabled echosounder cannot be opened, or positions are to come over UDP and nothing listens
// for them, everything opened so far is closed again, the failure is reported once ("Realtime not
// started: " and the reason, in the events log), and the run does not start. A settings field
// that does not convert refuses the start the same way. Extra vessels, sensor logs and forwarding that
// fail are reported and the run goes on without them.
#include "app/SharedValues.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vsx {

// Words for the surveyor with their values (%1, %2 ...): shown in the interface's language, kept
// in English in the events log.
struct RunReport {
    const char* english = "";
    std::vector<std::string> args;
};

// What a stop says of the ports it closed ("COM5", ...), so that a deliberate close never reads
// as a lost device.
RunReport StoppedReport(const std::vector<std::string>& closedPorts);

// What the controller asks of the main window and the device settings window.
class SurveyRunHost {
public:
    virtual ~SurveyRunHost() = default;
    virtual bool WriteGeodesyLog(std::string& error) = 0;
    virtual void ApplyReceiverSettings() = 0;  // the settings window's "GPS Set" and "SBES Set"
    virtual bool UdpInputEnabled() = 0;
    virtual std::string GnssPortName() = 0;
    virtual bool OpenGnss(std::string& error) = 0;
    virtual void CloseGnss() = 0;
    virtual bool SensorEnabled() = 0;
    virtual std::string SensorPortName() = 0;
    virtual bool OpenSensor(std::string& error) = 0;
    virtual void CloseSensor() = 0;
    virtual void StartEchogram() = 0;
    virtual void StopLoops() = 0;  // map and echogram timers
    virtual void HideWaterfall() = 0;
    virtual void ShowRunState(bool running, bool sensorEnabled) = 0;  // button caption, colours, depth frames
    virtual void MessageLine(const std::string& line) = 0;
    virtual void EventLine(const std::string& text) = 0;
    // Into the message window (not raised) and the events log.
    virtual void Report(const RunReport& report) = 0;
    virtual void PublishForwarding() = 0;  // forwarding values from the settings window's controls
    // Positions come over UDP: starts listening when the settings say to start with a run. True
    // when the input listens; otherwise `error` says why (the port and the system's reason).
    virtual bool ListenForUdpInput(std::string& error) = 0;
    virtual void StopUdpInputIfListening() = 0;
    virtual void StoreExtraVesselPanels() = 0;
    virtual bool OpenExtraVesselReceiver(size_t index, std::string& error) = 0;
    virtual void CloseExtraVesselReceivers() = 0;
    virtual void EnsureExtraVesselLayers(size_t index) = 0;
    // The events-log line naming the datum and projection the run converts with (empty when
    // there are none it can use).
    virtual std::string GeodesyLine() { return {}; }
    virtual std::uint32_t Tick() = 0;
    virtual std::string Today() = 0;  // the date of the moment, "YYYY-MM-DD"
};

class SurveyRun {
public:
    explicit SurveyRun(SurveyRunHost& host) : host_(host) {}

    bool Running() const { return running_; }
    // The real-time button: starts when stopped, stops when running. True when the run state
    // changed.
    bool Toggle();
    bool Start();
    void Stop();

    std::uint32_t GnssStartTick() const { return gnssStartTick_; }
    std::uint32_t SensorStartTick() const { return sensorStartTick_; }
    // Why the last start was refused: the port, the device and what to do; empty after a start.
    const std::string& LastStartError() const { return lastStartError_; }

private:
    void openSensorLogs(const std::string& date);
    void closeSensorLogs();
    void openForwarding();
    void openExtraVessels(const std::string& date);
    void closeExtraVessels();
    bool refuse(const std::string& reason);

    SurveyRunHost& host_;
    bool running_ = false;
    bool gnssOpened_ = false;
    bool sensorOpened_ = false;
    std::vector<std::string> openedPorts_;  // the ports this run opened, in the order opened
    std::uint32_t gnssStartTick_ = 0;
    std::uint32_t sensorStartTick_ = 0;
    std::string lastStartError_;
};

} // namespace vsx
