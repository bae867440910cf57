// The main window's side of the survey run (SurveyRunHost): the receivers it opens and closes,
// the loops it starts and stops, what it shows and reports, the UDP input and the further vessels.
#include "nav/windows/MainWindow.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/MessageWindow.h"
#include "app/windows/WindowPointers.h"
#include "geo/GeodesySessionLog.h"
#include "input/DeviceSettings.h"
#include "input/ExtraVesselSettings.h"
#include "input/GgaForwarding.h"
#include "input/TVeldorSerialGPS.h"
#include "input/windows/DeviceSettingsPanels.h"
#include "input/windows/DeviceSettingsWindow.h"
#include "input/windows/ExtraVesselPanels.h"
#include "input/windows/ForwardingGroups.h"
#include "nav/RealtimeLogs.h"
#include "nav/RealtimeState.h"
#include "platform/Clock.h"
#include "platform/Colour.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "tools/windows/RealtimeDataWindow.h"
#include "tools/windows/WaterfallWindow.h"
#include "tools/windows/WindowLook.h"

#include <QLabel>
#include <QTimer>
#include <QToolBar>

#include <algorithm>

namespace vsx {

class MainWindow::SurveyRunBinding final : public SurveyRunHost {
public:
    explicit SurveyRunBinding(MainWindow& nav) : nav_(nav) {}

    bool WriteGeodesyLog(std::string& error) override
    {
        return WriteGeodesySessionLog(GetIniFileName(), LogFolder, clock(), &error);
    }
    void ApplyReceiverSettings() override
    {
        if (FGPS) {
            FGPS->applyGnssPortSettings();
            FGPS->applySounderPortSettings();
        }
        // The datum and projection may have been edited since the last run: the run converts
        // with what the settings say at its start, and keeps it to its end.
        nav_.snapshot_.Retake();
        nav_.snapshot_.Get();
        nav_.reportedSnapshotProblem_.clear();  // a new run says its problems again
        nav_.mapLoop_->ForgetConvertedPosition();
        nav_.mapLoop_->NewRun();
        // The run's soundings take positions of this run only.
        nav_.ZGPS1->ForgetFix();
        nav_.lineHandler_->NewRun();
    }
    bool UdpInputEnabled() override { return GpsUdpEnabled; }
    std::string GnssPortName() override { return PortNameFromNumber(nav_.ZGPS1->PortNumber); }
    bool OpenGnss(std::string& error) override { return open(nav_.ZGPS1, error); }
    // The run's own closes are said once by the run, not as disconnections.
    void CloseGnss() override { nav_.closeQuietly(nav_.ZGPS1); }
    bool SensorEnabled() override { return deviceSettings().sensorEnabled(); }
    std::string SensorPortName() override { return PortNameFromNumber(nav_.ZSENSOR->PortNumber); }
    bool OpenSensor(std::string& error) override { return open(nav_.ZSENSOR, error); }
    void CloseSensor() override
    {
        nav_.closeQuietly(nav_.ZSENSOR);
        // No depth line can come now: the run's count of lines left out is final.
        nav_.reportLeftOutDepthLines();
    }
    void StartEchogram() override
    {
        // An [ECHOGRAM] Interval below 1 leaves the timer standing (see the waterfall window).
        if (nav_.tEchogram->interval() > 0) nav_.tEchogram->start();
        nav_.SensorWatch.start(Tick());
    }
    void StopLoops() override
    {
        nav_.tMap->stop();
        nav_.positionExpiry_->stop();
        nav_.ShowGnssSilent(true);
        nav_.tEchogram->stop();
        nav_.SensorWatch.stop();
        nav_.FirstSensorLineSeen = false;
    }
    void HideWaterfall() override
    {
        if (fWaterfal) fWaterfal->hide();
    }
    void ShowRunState(bool running, bool sensorEnabled) override
    {
        nav_.UpdateRealtimeCaption(running);
        SetBackground(nav_.tRealtime, toQColor(running ? 0x008000 : fromQColor(nav_.palette().color(QPalette::Button))));
        if (!running && fRealtime) {
            // A stopped survey has no live depth.
            fRealtime->lDepthHi->setText("--.--");
            fRealtime->lDepthLo->setText("--.--");
        }
        if (!running) realtimeState().TrueDepthHi = realtimeState().TrueDepthLo = 0;
        if (running && fRealtime) {
            // The first echosounder line shows the depth boxes again.
            fRealtime->DepthFrameHi->hide();
            fRealtime->HideLowFrequencyDepth();
            if (!sensorEnabled) fRealtime->resize(fRealtime->width(), 191);
        }
    }
    void MessageLine(const std::string& line) override
    {
        if (FMsg) FMsg->AddMessage(nav_.runMessageText(line), false);
    }
    void EventLine(const std::string& text) override { AppendEventLine(text, EventsLogFileName()); }
    void Report(const RunReport& report) override
    {
        QStringList args;
        for (const std::string& a : report.args) args << fromCp1254(a);
        nav_.reportDeviceEvent(report.english, args, false);
    }
    void PublishForwarding() override
    {
        // Controls that were never loaded from the settings would publish their design values.
        if (ForwardingPanel* p = FGPS ? FGPS->forwardingPanel() : nullptr; p && p->loaded())
            p->forwarding()->PublishValues();
    }
    bool ListenForUdpInput(std::string& error) override
    {
        if (GpsUdpEnabled && GpsUdpAutoConnect && !GpsUdpListening) toggleUdpInput();
        if (GpsUdpListening) return true;
        ForwardingPanel* panel = FGPS ? FGPS->forwardingPanel() : nullptr;
        error = panel ? panel->udpInput()->notListeningReason() : std::string("the UDP input is not set up");
        return false;
    }
    void StopUdpInputIfListening() override
    {
        if (GpsUdpListening) toggleUdpInput();
    }
    void StoreExtraVesselPanels() override
    {
        if (ExtraVesselPanel* p = FGPS ? FGPS->extraVesselPanel() : nullptr; p && p->loaded())
            p->panels()->SaveVesselSettings();
    }
    bool OpenExtraVesselReceiver(size_t index, std::string& error) override
    {
        while (nav_.ExtraVesselReceivers.size() < ExtraVessels.size()) nav_.addExtraVesselReceiver();
        const MultiVesselEntry& v = ExtraVessels[index];
        TVeldorSerialGPS* r = nav_.ExtraVesselReceivers[index];
        r->PortNumber = PortNumberFromName(v.Port);
        r->BaudRate = ValidBaudRate(strToIntDef(v.BaudRate, 9600));
        r->DataBitsCode = 4;
        r->StopBitsCode = 1;
        r->ParityCode = 0;
        r->Priority = 3;
        r->PollInterval = 10;
        r->RawLogEnabled = false;  // the vessel's own log is written by its line handler
        r->RawLogFileName = ExtraVesselGnssLogName(LogFolder, CurrentDateString(), v.Name);
        r->Close();
        return open(r, error);
    }
    void CloseExtraVesselReceivers() override
    {
        for (TVeldorSerialGPS* r : nav_.ExtraVesselReceivers) nav_.closeQuietly(r);
    }
    void EnsureExtraVesselLayers(size_t index) override
    {
        vsx::EnsureExtraVesselLayers(nav_.fcad->Model(), ExtraVessels[index], int(index));
    }
    std::string GeodesyLine() override
    {
        const ProjectionSnapshot* s = nav_.snapshot_.Current();
        if (!s) return {};
        return "Datum and projection of this run: " + s->named().datum + "; " + s->named().projection;
    }
    std::uint32_t Tick() override { return std::max<std::uint32_t>(1, std::uint32_t(tickCountMs())); }
    std::string Today() override { return CurrentDateString(); }

private:
    static bool open(TVeldorSerialGPS* r, std::string& error)
    {
        r->Open();
        error = r->LastError();
        return r->Connected();
    }
    static void toggleUdpInput()
    {
        if (ForwardingPanel* p = FGPS ? FGPS->forwardingPanel() : nullptr) p->udpInput()->onListenClicked();
    }

    MainWindow& nav_;
};

std::unique_ptr<SurveyRunHost> MainWindow::makeSurveyRunBinding()
{
    return std::make_unique<SurveyRunBinding>(*this);
}

} // namespace vsx
