#include "input/windows/TFGPS.h"

#include "app/windows/WindowSetup.h"

namespace vsx {

TFGPS::TFGPS(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"FGPS", "Settings", true, QSize(760, 560)});
}

} // namespace vsx
