// The main window's side of RTK corrections: the NTRIP window's menu command, the main receiver's
// port handed to the NTRIP client whenever that port opens or closes, and the vessel's position
// for the uploaded GGA on every map tick.
#include "nav/windows/MainWindow.h"

#include "app/windows/WindowPointers.h"
#include "app/windows/WindowSetup.h"
#include "input/SerialCorrectionOutput.h"
#include "input/TVeldorSerialGPS.h"
#include "input/windows/NtripWindow.h"

namespace vsx {

void MainWindow::handGnssPortToNtrip()
{
    if (!frmNTRIPSettings || !ZGPS1) return;
    // The client writes from its own thread into this very port object; once the receiver closes
    // it, every later write fails, and the next open hands over the new one.
    const std::shared_ptr<SerialPort> port = ZGPS1->Connected() ? ZGPS1->Handle() : nullptr;
    if (port)
        frmNTRIPSettings->SetSerialPortHandle(std::make_shared<SerialCorrectionOutput>(port),
                                              PortNameFromNumber(ZGPS1->PortNumber));
    else
        frmNTRIPSettings->SetSerialPortHandle(nullptr, std::string());
}

void MainWindow::HandPositionToNtrip(double latitude, double longitude, double altitude)
{
    if (frmNTRIPSettings) frmNTRIPSettings->UpdatePosition(latitude, longitude, altitude);
}

void MainWindow::onNtripClientTriggered()
{
    if (!frmNTRIPSettings) frmNTRIPSettings = new NtripWindow();
    if (ZGPS1 && ZGPS1->Connected() && ZGPS1->Handle()) {
        handGnssPortToNtrip();
        frmNTRIPSettings->UpdatePosition(ZGPS1->GetLatitude(), ZGPS1->GetLongitude(), ZGPS1->GetAltitude());
    }
    frmNTRIPSettings->AutoShow = true;
    // Not modal from here, whatever the offsets window's button left behind.
    if (!frmNTRIPSettings->isVisible()) frmNTRIPSettings->setWindowModality(Qt::NonModal);
    BringToUser(frmNTRIPSettings);
}

} // namespace vsx
