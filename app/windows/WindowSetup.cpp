#include "app/windows/WindowSetup.h"

#include <QWidget>

namespace vsx {

void SetUpWindow(QWidget* window, const WindowDesign& design)
{
    window->setObjectName(design.objectName);
    window->setWindowTitle(QString::fromUtf8(design.caption));
    Qt::WindowFlags flags = window->windowFlags() | Qt::Window;
    if (design.stayOnTop) flags |= Qt::WindowStaysOnTopHint;
    window->setWindowFlags(flags);
    window->resize(design.size);
}

void BringToUser(QWidget* window)
{
    if (!window) return;
    // A window manager keeps stay-on-top windows in a layer above all others: a window opened
    // from a menu joins that layer, or it would open behind them. Changing the hint hides a
    // shown window, so it is set only while the window is hidden.
    if (!window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) && !window->isVisible())
        window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (window->isMinimized()) window->showNormal();
    else window->show();
    window->raise();
    window->activateWindow();
}

} // namespace vsx
