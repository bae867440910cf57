#include "app/MainWindowHost.h"

#include <QWidget>

namespace vsx {
namespace {
MainWindowHost g_idleHost;
MainWindowHost* g_host = &g_idleHost;
} // namespace

MainWindowHost& mainWindowHost() { return *g_host; }
void setMainWindowHost(MainWindowHost* host) { g_host = host ? host : &g_idleHost; }

void CentreOverMainWindow(QWidget* window)
{
    const QRect frame = mainWindowHost().MainWindowFrame();
    if (!frame.isValid()) return;
    window->move(frame.center() - QPoint(window->width() / 2, window->height() / 2));
}

} // namespace vsx
