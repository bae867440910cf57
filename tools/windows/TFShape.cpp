#include "tools/windows/TFShape.h"

#include "app/windows/WindowSetup.h"

namespace vsx {

TFShape::TFShape(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"FShape", "Vessel Geometry", true, QSize(600, 500)});
}

} // namespace vsx
