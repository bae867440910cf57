// The main window's view of the GNSS state: a silent receiver shown as such, refused GGA
// sentences said, the position a sounding takes, and the UDP input starting the map loop.
#include "nav/windows/MainWindow.h"

#include "app/Translated.h"
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/WindowPointers.h"
#include "input/TVeldorSerialGPS.h"
#include "input/windows/DeviceSettingsPanels.h"
#include "input/windows/ForwardingGroups.h"
#include "input/windows/DeviceSettingsWindow.h"
#include "nav/RealtimeState.h"
#include "platform/Clock.h"
#include "platform/Text.h"

#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <chrono>

namespace vsx {

std::chrono::milliseconds MainWindow::gnssNoDataTime() const
{
    const int ms = ZGPS1->NoDataInterval;
    return std::chrono::milliseconds(ms < 1 ? 10000 : ms);
}

void MainWindow::ShowGnssSilent(bool runStopped)
{
    if (!mapLoop_) return;
    if (runStopped) mapLoop_->ShowStopped();
    else mapLoop_->ShowSilent();
    publishHud();
    if (fcad) fcad->Redraw();
}

void MainWindow::armPositionExpiry()
{
    // Once for each fix: the lines after its expiry must not run the map loop each.
    const auto fix = ZGPS1->Fix().current.FixTime();
    if (!fix || fix == positionExpiryFix_) return;
    positionExpiryFix_ = fix;
    // One millisecond past the last moment the fix is current.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*fix + kPositionMaxAge - clock().monotonic());
    positionExpiry_->start(int(std::max<std::chrono::milliseconds::rep>(0, left.count())) + 1);
}

void MainWindow::onPositionExpired()
{
    // The map loop says what is current; while it stands (stopped, receiver silent) the screens
    // already show no position.
    if (tMap->isActive()) onMapTick();
}

void MainWindow::ReportRejectedGga(const std::string& who, std::string_view line, const char* problem)
{
    const char* message = "GGA of %1 ignored, bad %2 (no position taken): %3";
    const QStringList values{fromCp1254(who), QString::fromLatin1(problem), fromCp1254(line)};
    if (sStatusBar)
        sStatusBar->showMessage(translatedArgs(message, {values[0], translated(problem), values[2]}), 30000);
    AppendEventLine(toCp1254(fillArgs(message, values)), EventsLogFileName());
}

SoundingPosition MainWindow::SoundingPositionNow()
{
    // The same snapshot and projection as the map loop, so a record and the map agree.
    return SoundingPositionAt(ZGPS1->Fix().current, clock().monotonic(), snapshot_.Get(), MapProjection());
}

void MainWindow::WireUdpInput()
{
    ForwardingPanel* panel = FGPS ? FGPS->forwardingPanel() : nullptr;
    if (!panel) return;
    panel->udpInput()->onListening = [this] {
        if (tMap) tMap->start();
    };
}

} // namespace vsx
