#include "nav/SurveyRun.h"

#include "input/GgaForwarding.h"
#include "app/Settings.h"
#include "nav/RealtimeLogs.h"
#include "platform/AppendFile.h"
#include "platform/Clock.h"
#include "platform/Paths.h"

#include <sys/stat.h>

namespace vsx {

RunReport StoppedReport(const std::vector<std::string>& closedPorts)
{
    if (closedPorts.empty()) return {"Realtime stopped", {}};
    if (closedPorts.size() == 1) return {"Realtime stopped: port %1 closed", {closedPorts.front()}};
    std::string first;
    for (size_t i = 0; i + 1 < closedPorts.size(); ++i) first += (i ? ", " : "") + closedPorts[i];
    return {"Realtime stopped: ports %1 and %2 closed", {first, closedPorts.back()}};
}

bool SurveyRun::Toggle()
{
    if (running_) {
        Stop();
        return true;
    }
    return Start();
}

bool SurveyRun::Start()
{
    if (running_) return false;
    lastStartError_.clear();
    openedPorts_.clear();
    std::string error;
    // A geodesy log that cannot be written is reported; it does not keep the survey from starting.
    if (!host_.WriteGeodesyLog(error)) host_.MessageLine("Geodesy session log not written: " + error);
    try {
        host_.ApplyReceiverSettings();
    } catch (const std::exception& e) {
        // A port setting that does not convert: nothing was applied or opened.
        return refuse(e.what());
    }

    bool udpStartedHere = false;
    if (!host_.UdpInputEnabled()) {
        if (!host_.OpenGnss(error)) return refuse("GNSS port failed to open" + (error.empty() ? "" : ": " + error));
        gnssOpened_ = true;
        gnssStartTick_ = host_.Tick();
        openedPorts_.push_back(host_.GnssPortName());
    } else {
        // Without a listener the run would have no position source at all.
        const bool wasListening = GpsUdpListening;
        if (!host_.ListenForUdpInput(error))
            return refuse("GNSS UDP input is not listening" + (error.empty() ? "" : ": " + error));
        udpStartedHere = !wasListening;
    }
    const bool sensorEnabled = host_.SensorEnabled();
    if (sensorEnabled) {
        // The receiver's connect event says which port it opened.
        if (!host_.OpenSensor(error)) {
            lastStartError_ = "Realtime not started: echosounder port failed to open" + (error.empty() ? "" : ": " + error);
            host_.MessageLine(lastStartError_);
            host_.EventLine(lastStartError_);
            if (gnssOpened_) host_.CloseGnss();
            if (udpStartedHere) host_.StopUdpInputIfListening();
            gnssOpened_ = false;
            gnssStartTick_ = 0;
            openedPorts_.clear();
            return false;
        }
        sensorOpened_ = true;
        openedPorts_.push_back(host_.SensorPortName());
        host_.StartEchogram();
        sensorStartTick_ = host_.Tick();
    }
    host_.ShowRunState(true, sensorEnabled);
    host_.EventLine("Realtime STARTED");
    if (const std::string geodesy = host_.GeodesyLine(); !geodesy.empty()) host_.EventLine(geodesy);
    const std::string date = host_.Today();
    // The run's logs go into the start day's LOG folder; make it when something removed it.
    makeFolders(LogFolder);
    openSensorLogs(date);
    host_.PublishForwarding();
    openForwarding();
    openExtraVessels(date);
    running_ = true;
    return true;
}

bool SurveyRun::refuse(const std::string& reason)
{
    lastStartError_ = "Realtime not started: " + reason;
    host_.MessageLine(lastStartError_);
    host_.EventLine(lastStartError_);
    return false;
}

void SurveyRun::Stop()
{
    if (!running_) return;
    if (gnssOpened_) host_.CloseGnss();
    if (sensorOpened_) host_.CloseSensor();
    gnssOpened_ = sensorOpened_ = false;
    closeExtraVessels();
    host_.Report(StoppedReport(openedPorts_));
    openedPorts_.clear();
    host_.StopLoops();
    gnssStartTick_ = sensorStartTick_ = 0;
    host_.HideWaterfall();
    host_.ShowRunState(false, false);
    host_.EventLine("Realtime STOPPED");
    closeSensorLogs();
    CloseForwardTarget();
    host_.StopUdpInputIfListening();
    running_ = false;
}

void SurveyRun::openSensorLogs(const std::string& date)
{
    closeSensorLogs();
    for (const VesselSensor& s : VesselSensors) {
        // A log that cannot be opened now is kept by its name: its writer says so and tries again.
        auto file = std::make_shared<AppendFile>();
        file->open(SensorLogPath(LogFolder, date, s.Name));
        SensorLogFiles.push_back(file);
    }
}

void SurveyRun::closeSensorLogs()
{
    for (auto& f : SensorLogFiles)
        if (f) f->close();
    SensorLogFiles.clear();
}

void SurveyRun::openForwarding()
{
    if (!ForwardEnabled) return;
    OpenForwardTarget(GetIniFileName());
    if (ForwardUseUdp && ForwardSocket.isOpen())
        host_.EventLine("UDP forwarding started: " + ForwardUdpIp + ":" + std::to_string(ForwardUdpPort));
    else if (!ForwardUseUdp && ForwardSerialHandle)
        host_.EventLine("Serial forwarding started: " + ForwardSerialPort + " @ " + std::to_string(ForwardSerialBaud));
}

void SurveyRun::openExtraVessels(const std::string& date)
{
    host_.StoreExtraVesselPanels();
    for (size_t i = 0; i < ExtraVessels.size(); ++i) {
        MultiVesselEntry& v = ExtraVessels[i];
        if (!v.Enabled || v.Port.empty()) continue;
        const std::string coords = ExtraVesselCoordinatesName(LogFolder, date, v.Name);
        v.CoordinatesFile = std::make_shared<AppendFile>();
        if (v.CoordinatesFile->open(coords)) {
            struct stat st {};
            if (::stat(coords.c_str(), &st) == 0 && st.st_size == 0)
                v.CoordinatesFile->writeText(std::string(kExtraVesselCoordinatesHeader) + "\n");
        } else {
            v.CoordinatesFile.reset();
        }
        v.RawLogFile = std::make_shared<AppendFile>();
        if (!v.RawLogFile->open(ExtraVesselGnssLogName(LogFolder, date, v.Name))) v.RawLogFile.reset();
        host_.EnsureExtraVesselLayers(i);
        std::string error;
        if (host_.OpenExtraVesselReceiver(i, error)) {
            host_.EventLine("ExtraGPS " + v.Name + " opened on " + v.Port);
            openedPorts_.push_back(v.Port);
        } else {
            host_.EventLine("ExtraGPS " + v.Name + ": failed to open " + v.Port);
        }
    }
}

void SurveyRun::closeExtraVessels()
{
    host_.CloseExtraVesselReceivers();
    for (MultiVesselEntry& v : ExtraVessels) {
        if (v.CoordinatesFile) v.CoordinatesFile->close();
        if (v.RawLogFile) v.RawLogFile->close();
        v.CoordinatesFile.reset();
        v.RawLogFile.reset();
        v.HasPosition = false;
        v.HasLastTrackPoint = false;
        v.Easting = v.Northing = 0;
        v.RejectedGga = 0;
    }
}

} // namespace vsx
