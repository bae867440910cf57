#include "tools/windows/TfRealtime.h"

#include "app/windows/WindowSetup.h"

namespace vsx {

TfRealtime::TfRealtime(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fRealtime", "Realtime Data", true, QSize(420, 320)});
}

} // namespace vsx
