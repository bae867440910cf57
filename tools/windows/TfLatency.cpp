#include "tools/windows/TfLatency.h"

#include "app/windows/WindowSetup.h"

namespace vsx {

TfLatency::TfLatency(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fLatency", "Latency", true, QSize(320, 240)});
}

} // namespace vsx
