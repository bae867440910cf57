#include "tools/windows/TfSVP.h"

#include "app/windows/WindowSetup.h"

namespace vsx {

TfSVP::TfSVP(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fSVP", "Sound Velocity", true, QSize(600, 500)});
}

} // namespace vsx
