#include "tools/windows/TOffsets.h"

#include "app/windows/WindowSetup.h"

namespace vsx {

TOffsets::TOffsets(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"Offsets", "Offsets Essential for Post Processing / Recovery", true, QSize(520, 560)});
}

} // namespace vsx
