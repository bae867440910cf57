#include "tools/windows/BatteryWindow.h"

#include "app/Settings.h"
#include "app/windows/WindowSetup.h"
#include "app/windows/WindowTranslation.h"
#include "input/DeviceSettings.h"
#include "tools/windows/WindowLook.h"

#include <QCloseEvent>
#include <QFont>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace vsx {

BatteryWindow::BatteryWindow(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fJoystick", "Battery", true, QSize(131, 42)});
    setWindowFlags(windowFlags() | Qt::Tool);
    KeepNoTitleButtons(this);

    pBattery = new QLabel(QStringLiteral("--.--"), this);
    pBattery->setObjectName("pBattery");
    MarkAsValue(pBattery);
    pBattery->setAlignment(Qt::AlignCenter);
    pBattery->setFrameShape(QFrame::Panel);
    pBattery->setFrameShadow(QFrame::Raised);
    pBattery->setFixedHeight(41);
    QFont f = pBattery->font();
    f.setBold(true);
    f.setPointSize(14);
    pBattery->setFont(f);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 1);
    layout->addWidget(pBattery);
    layout->addStretch();

    watchTimer = new QTimer(this);
    watchTimer->setObjectName("Timer1");
    watchTimer->setInterval(1000);
    connect(watchTimer, &QTimer::timeout, this, &BatteryWindow::hideWithoutBatteryMessages);
    watchTimer->start();
}

void BatteryWindow::hideWithoutBatteryMessages()
{
    if (deviceSettings().sounderMessageText() != kBatteryMessageType) hide();
}

void BatteryWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    RestoreFormPlacement(this, false);
}

void BatteryWindow::closeEvent(QCloseEvent* event)
{
    // No close button, and a window manager's close (Alt+F4) is refused the same way. The
    // program's own closing (its end, which asks every window) is not refused, or it could not end.
    if (event->spontaneous()) event->ignore();
    else event->accept();
}

} // namespace vsx
