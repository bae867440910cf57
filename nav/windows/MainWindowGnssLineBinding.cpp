// The main window's side of the GNSS line handler (GnssLineEnvironment): the map timer, the
// monitor box, the offsets in force, the projection and the fix colour of the real-time window.
#include "nav/windows/MainWindow.h"

#include "app/SharedValues.h"
#include "app/windows/WindowPointers.h"
#include "input/DeviceSettings.h"
#include "input/TVeldorSerialGPS.h"
#include "input/windows/DeviceSettingsWindow.h"
#include "nav/RealtimeState.h"
#include "platform/Clock.h"
#include "platform/Colour.h"
#include "tools/windows/OffsetsWindow.h"
#include "tools/windows/RealtimeDataWindow.h"
#include "tools/windows/WindowLook.h"

#include <QGroupBox>
#include <QTimer>

namespace vsx {

class MainWindow::GnssLineBinding final : public GnssLineEnvironment {
public:
    explicit GnssLineBinding(MainWindow& nav) : nav_(nav) {}

    bool receiverOpenedByRun() const override { return nav_.run_ && nav_.run_->GnssStartTick() != 0; }
    bool mapTimerRunning() const override { return nav_.tMap->isActive(); }
    void startMapTimer() override
    {
        nav_.tMap->start();
        if (fRealtime) SetBackground(fRealtime->GPSGroupBox, toQColor(0x00FF00));
        if (FGPS) FGPS->SetMonitorColor(FGPS->MemoGPS, 0xFFFFFF);
    }
    void echoToMonitor(std::string_view line) override
    {
        if (FGPS) FGPS->EchoMonitorLine(FGPS->MemoGPS, line);
    }
    std::optional<OffsetValues> offsetsToTakeOver() const override
    {
        // Only values the start's checks accepted: what is typed and not yet accepted (or left
        // by Cancel) never reaches a record.
        if (!Offsets) return std::nullopt;
        const OffsetNumbers& v = Offsets->valuesInForce();
        return OffsetValues{v.draft, v.soundVelocity, v.antennaHeight, v.tide};
    }
    const ProjectionSnapshot* snapshot() override { return nav_.mapSnapshot(gridProjection()); }
    GridProjection gridProjection() const override { return nav_.MapProjection(); }
    bool gyroEnabled() const override { return deviceSettings().gyroEnabled(); }
    std::chrono::milliseconds gnssNoDataTime() const override { return nav_.gnssNoDataTime(); }
    void showFixColour(ColorValue colour) override
    {
        if (fRealtime) SetBackground(fRealtime->GPSGroupBox, toQColor(colour));
    }
    void reportRejectedGga(std::string_view line, const char* problem) override
    {
        nav_.ReportRejectedGga("GPS", line, problem);
    }
    void noteSensorLogWrite(const std::string& file, bool written, const std::string& reason) override
    {
        nav_.noteWrite("sensor log " + file, file, written, reason);
    }

private:
    MainWindow& nav_;
};

std::unique_ptr<GnssLineEnvironment> MainWindow::makeGnssLineBinding()
{
    return std::make_unique<GnssLineBinding>(*this);
}

} // namespace vsx
