#include "app/windows/TformAbout.h"

#include "app/windows/WindowSetup.h"

namespace vsx {

TformAbout::TformAbout(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"formAbout", "About Veldor Sondrix", false, QSize(420, 300)});
}

} // namespace vsx
