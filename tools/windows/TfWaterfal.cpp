#include "tools/windows/TfWaterfal.h"

#include "app/windows/WindowSetup.h"

#include <QPainter>

namespace vsx {

TfWaterfal::TfWaterfal(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fWaterfal", "Acoustic Waterfall", true, QSize(388, 147)});
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
}

void TfWaterfal::EchogramPaint(double depth, double top, double bottom, int count)
{
    if (!isVisible() || width() < 1 || height() < 1) return;
    history_.push(depth, count);
    range_ = history_.range(top, bottom);
    history_.computeRows(range_, height());
    newDepth_ = depth;
    update();
}

void TfWaterfal::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    PaintEchogram(p, size(), history_, range_, newDepth_);
}

} // namespace vsx
