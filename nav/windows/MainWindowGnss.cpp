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

namespace vsx {

void MainWindow::ShowGnssSilent()
{
    if (!mapLoop_) return;
    mapLoop_->ShowSilent();
    publishHud();
    if (fcad) fcad->Redraw();
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
