#include "app/windows/TFMsg.h"

#include "app/windows/WindowSetup.h"

namespace vsx {

TFMsg::TFMsg(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"FMsg", "Message Window", true, QSize(420, 200)});
}

} // namespace vsx
