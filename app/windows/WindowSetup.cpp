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

} // namespace vsx
