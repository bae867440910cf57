#include "tools/windows/TfJoystick.h"

#include "app/windows/WindowSetup.h"

#include <QLabel>
#include <QVBoxLayout>

namespace vsx {

TfJoystick::TfJoystick(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fJoystick", "Battery", true, QSize(160, 120)});
    pBattery = new QLabel(QStringLiteral("--.--"), this);
    pBattery->setObjectName("pBattery");
    pBattery->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pBattery);
}

} // namespace vsx
