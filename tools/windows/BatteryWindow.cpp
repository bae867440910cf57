#include "tools/windows/BatteryWindow.h"

#include "app/Settings.h"
#include "app/windows/WindowSetup.h"
#include "app/windows/WindowTranslation.h"
#include "input/DeviceSettings.h"
#include "tools/windows/WindowLook.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace vsx {

namespace {
constexpr int kDesignedWidth = 131;
} // namespace

BatteryWindow::BatteryWindow(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fJoystick", "Battery", true, QSize(kDesignedWidth, 42)});
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
    fitCaption();
}

// A window manager writes the caption, with the program's name after it, in the title bar beside
// the window's icon and buttons. The window is made wide enough for all of it in a bold title
// font, so that the caption is not cut to "B..."; the designed width is the least.
void BatteryWindow::fitCaption()
{
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    QString shown = windowTitle();
    if (const QString program = QGuiApplication::applicationDisplayName(); !program.isEmpty() && !shown.endsWith(program))
        shown += QStringLiteral(" \u2014 ") + program;
    const int iconAndButtons = 4 * (metrics.height() + 8) + 16;
    resize(std::max(kDesignedWidth, metrics.horizontalAdvance(shown) + iconAndButtons), height());
}

void BatteryWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange) fitCaption();  // a caption in another language
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
