#include "tools/windows/TNavset.h"

#include "app/windows/WindowSetup.h"

namespace vsx {

TNavset::TNavset(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"Navset", "Navigation Settings", true, QSize(420, 520)});
}

} // namespace vsx
