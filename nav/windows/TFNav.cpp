#include "nav/windows/TFNav.h"

#include "app/windows/WindowSetup.h"

#include <QApplication>
#include <QCloseEvent>

namespace vsx {

TFNav::TFNav(QWidget* parent) : QMainWindow(parent)
{
    SetUpWindow(this, {"FNav", "Veldor Sondrix", false, QSize(1024, 700)});
}

void TFNav::closeEvent(QCloseEvent* event)
{
    event->accept();
    QApplication::quit();
}

} // namespace vsx
