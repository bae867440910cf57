#include "app/windows/TfTheme.h"

#include "app/windows/WindowSetup.h"

namespace vsx {

TfTheme::TfTheme(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fTheme", "Theme Selection", true, QSize(320, 612)});
}

} // namespace vsx
