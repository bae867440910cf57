#include "tools/windows/TfJoystick.h"

#include "app/windows/WindowSetup.h"

namespace vsx {

TfJoystick::TfJoystick(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fJoystick", "Battery", true, QSize(160, 120)});
}

} // namespace vsx
