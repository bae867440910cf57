#include "tools/windows/TfWaterfal.h"

#include "app/windows/WindowSetup.h"

namespace vsx {

TfWaterfal::TfWaterfal(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fWaterfal", "Acoustic Waterfall", true, QSize(300, 600)});
}

} // namespace vsx
