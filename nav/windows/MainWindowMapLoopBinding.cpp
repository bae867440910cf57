// The main window's side of the map display loop (MapLoopEnvironment): the UDP input, what a
// tick reads from the settings and the tool windows, and what it shows in the status bar, the
// real-time window, the HUD, the helmsman and latency windows.
#include "nav/windows/MainWindow.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/Translated.h"
#include "app/windows/WindowPointers.h"
#include "input/DeviceSettings.h"
#include "input/GgaForwarding.h"
#include "input/TVeldorSerialGPS.h"
#include "nav/RealtimeLogs.h"
#include "nav/windows/HelmsmanWindow.h"
#include "platform/Colour.h"
#include "platform/Numbers.h"
#include "platform/Text.h"
#include "tools/windows/LatencyWindow.h"
#include "tools/windows/NavigationSettingsWindow.h"
#include "tools/windows/OffsetsWindow.h"
#include "tools/windows/RealtimeDataWindow.h"
#include "tools/windows/VesselGeometryWindow.h"
#include "tools/windows/WindowLook.h"

#include <QGroupBox>
#include <QLabel>
#include <QStatusBar>

namespace vsx {

class MainWindow::MapLoopBinding final : public MapLoopEnvironment {
public:
    explicit MapLoopBinding(MainWindow& nav) : nav_(nav) {}

    // The receiver's speed in knots as its speed event shows it.
    std::string receiverSpeedText() const { return formatFixed(nav_.ZGPS1->GetSpeed() / 1.852, 1); }
    void pollUdpInput() override
    {
        if (!GpsUdpEnabled || !GpsUdpListening || !GpsUdpSocket.isListening()) return;
        std::string datagram;
        while (GpsUdpSocket.receive(datagram)) {
            // UDP lines take the receiver's own line path (raw log, line handler, parsing), so
            // they give a position and a fix quality as serial lines do.
            for (const std::string& line : nav_.udpLines_.append(datagram)) nav_.ZGPS1->ProcessReceived(line + "\n");
        }
    }
    MapTickInputs inputs() override
    {
        MapTickInputs in;
        const DeviceSettings& s = deviceSettings();
        in.projection = nav_.MapProjection();
        in.gyroEnabled = s.gyroEnabled();
        const ReceiverFix& fix = nav_.ZGPS1->Fix();
        in.receiverCourse = fix.course.value;
        in.fixQuality = fix.fixQuality.value;
        in.satellites = fix.satellites.value;
        in.gnssNoDataTime = nav_.gnssNoDataTime();
        in.sensorEnabled = s.sensorEnabled();
        in.sounderMessageType = s.sounderMessageText();
        if (Navset) {
            in.vesselColor = Navset->vesselColor();
            in.vesselWidth = Navset->vesselWidth();
            in.trackColorFixed = Navset->trackColorFixed();
            in.trackColorFloat = Navset->trackColorFloat();
            in.trackWidth = Navset->trackWidth();
            in.trackDistance = Navset->trackDistance();
            in.trackAsLine = Navset->drawTrackAsLine();
        }
        if (FShape) {
            const VesselSymbolSizes v = FShape->symbolSizes();
            in.symbol = {v.circles, v.interval, v.radius, v.bowArrow, v.sideArrow};
        }
        in.offsetsVisible = Offsets && Offsets->isVisible();
        in.latencyVisible = fLatency && fLatency->isVisible();
        in.helmsmanVisible = nav_.Helmsman && nav_.Helmsman->isVisible();
        if (fRealtime) in.lowDepthShown = fRealtime->DepthFrameLo->isVisible();
        // What the Speed label shows while the position is current.
        in.speedLabelText = receiverSpeedText();
        return in;
    }
    const ProjectionSnapshot* snapshot() override { return nav_.mapSnapshot(nav_.MapProjection()); }
    void handPositionToNtrip(double latitude, double longitude, double altitude) override
    {
        nav_.HandPositionToNtrip(latitude, longitude, altitude);
    }
    void showRealtimeValues(int fixQuality, const std::string& antenna, const std::string& tide, int sats,
                            bool positionCurrent) override
    {
        if (!fRealtime) return;
        fRealtime->Fixed->setText(QString::number(fixQuality));
        // Without a current position the receiver's values are not shown as if they were.
        const QString none = QStringLiteral("---");
        fRealtime->Speed->setText(positionCurrent ? QString::fromStdString(receiverSpeedText()) : none);
        fRealtime->LAntennaH->setText(positionCurrent ? QString::fromStdString(antenna) : none);
        fRealtime->LTideHt->setText(positionCurrent || tide == "-" ? QString::fromStdString(tide) : none);
        fRealtime->SatelliteLabel->setText(positionCurrent ? QString::number(sats) : none);
    }
    void showStatusPosition(const std::string& geographic, const std::string& grid) override
    {
        nav_.setStatusPanel(0, QString::fromStdString(geographic), 20);
        nav_.setStatusPanel(1, QString::fromStdString(grid), 20);
    }
    void showGnssSilent() override
    {
        nav_.setStatusPanelWords(0, "No GNSS data", {}, 20);
        nav_.setStatusPanel(1, QString(), 20);
        if (fRealtime) {
            showRealtimeValues(0, {}, Offsets && Offsets->isVisible() ? "-" : "", 0, false);
            SetBackground(fRealtime->GPSGroupBox, toQColor(0x0000FF));
        }
    }
    void showNoPosition() override
    {
        nav_.setStatusPanelWords(0, "No position", {}, 20);
        nav_.setStatusPanel(1, QString(), 20);
        if (fRealtime) {
            fRealtime->Fixed->setText(translated("No position"));
            SetBackground(fRealtime->GPSGroupBox, toQColor(0x0000FF));
        }
    }
    void positionsBack(std::chrono::milliseconds gap) override
    {
        const QString seconds = QString::fromStdString(formatFixed(double(gap.count()) / 1000.0, 1));
        AppendEventLine(toCp1254(fillArgs("Positions back after a gap of %1 s", {seconds})), EventsLogFileName());
        if (nav_.sStatusBar)
            nav_.sStatusBar->showMessage(translatedArgs("Positions back after a gap of %1 s", {seconds}), 10000);
    }
    void setDepthHud(double hi, double lo, bool show) override { nav_.fcad->SetDepthHud(hi, lo, show); }
    void setHudValue(double knots, bool show) override { nav_.fcad->SetHudValue(knots, show); }
    void mirrorTrackToHelmsman(const std::string& layer, ColorValue colour, int width, TrackPoint from, TrackPoint to,
                               bool asLine) override
    {
        if (nav_.Helmsman) nav_.Helmsman->MirrorTrack(layer, colour, width, from, to, asLine);
    }
    void showLatency(long currentMs, double meanMs) override
    {
        if (fLatency) fLatency->ShowLatency(currentMs, meanMs);
    }
    std::optional<double> extraVesselCourse(size_t index) override
    {
        if (index >= nav_.ExtraVesselReceivers.size()) return std::nullopt;
        return nav_.ExtraVesselReceivers[index]->Fix().course.value;
    }

private:
    MainWindow& nav_;
};

std::unique_ptr<MapLoopEnvironment> MainWindow::makeMapLoopBinding()
{
    return std::make_unique<MapLoopBinding>(*this);
}

} // namespace vsx
