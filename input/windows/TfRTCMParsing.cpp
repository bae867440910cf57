#include "input/windows/TfRTCMParsing.h"

#include "app/windows/WindowSetup.h"

namespace vsx {

TfRTCMParsing::TfRTCMParsing(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fRTCMParsing", "RTCM Message Parser", false, QSize(700, 520)});
}

} // namespace vsx
