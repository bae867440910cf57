#include "tools/windows/WindowLook.h"

#include <QPalette>
#include <QWidget>

namespace vsx {

void KeepOnlyCloseButton(QWidget* w)
{
    w->setWindowFlags((w->windowFlags() & ~Qt::WindowMinMaxButtonsHint) | Qt::CustomizeWindowHint |
                      Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

void KeepNoTitleButtons(QWidget* w)
{
    w->setWindowFlags((w->windowFlags() & ~(Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint |
                                            Qt::WindowSystemMenuHint)) |
                      Qt::CustomizeWindowHint | Qt::WindowTitleHint);
}

void SetBackground(QWidget* w, const QColor& colour)
{
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, colour);
    w->setPalette(pal);
}

} // namespace vsx
