#include "tools/windows/TfSVPGraph.h"

#include "app/windows/WindowSetup.h"

namespace vsx {

TfSVPGraph::TfSVPGraph(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fSVPGraph", "SVP Profile Graph - Drag Points or Lasso Select", false, QSize(700, 600)});
}

} // namespace vsx
