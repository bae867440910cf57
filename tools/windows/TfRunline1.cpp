#include "tools/windows/TfRunline1.h"

#include "app/windows/WindowSetup.h"

namespace vsx {

TfRunline1::TfRunline1(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fRunline1", "Runline Generator", true, QSize(420, 480)});
}

} // namespace vsx
