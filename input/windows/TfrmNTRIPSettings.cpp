#include "input/windows/TfrmNTRIPSettings.h"

#include "app/windows/WindowSetup.h"

namespace vsx {

TfrmNTRIPSettings::TfrmNTRIPSettings(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"frmNTRIPSettings", "Veldor NTRIP Client", false, QSize(640, 520)});
}

} // namespace vsx
