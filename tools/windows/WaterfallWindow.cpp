#include "tools/windows/WaterfallWindow.h"

#include "app/Translated.h"
#include "app/Settings.h"
#include "app/windows/WindowPointers.h"
#include "app/windows/WindowSetup.h"
#include "platform/IniFile.h"
#include "tools/SurveyHost.h"
#include "tools/WaterfallFrame.h"
#include "tools/windows/NavigationSettingsWindow.h"
#include "tools/windows/RealtimeDataWindow.h"
#include "tools/windows/WindowLook.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

namespace vsx {

WaterfallWindow::WaterfallWindow(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fWaterfal", "Acoustic Waterfall", true, QSize(388, 147)});
    setWindowFlags(windowFlags() | Qt::Tool | Qt::FramelessWindowHint);
    setMouseTracking(true);
    StartSystemResize = [this](Qt::Edges edges) {
        QWindow* w = windowHandle();
        return w && w->startSystemResize(edges);
    };
}

void WaterfallWindow::ShowForDepths()
{
    if (fRealtime && fRealtime->bareLayoutState() == 1) return;
    show();
}

void WaterfallWindow::appendDepth(double depth, double top, double bottom, int count)
{
    if (!isVisible() || width() < 1 || height() < 1) return;
    history_.push(depth, count);
    range_ = history_.range(top, bottom);
    history_.computeRows(range_, height());
    newDepth_ = depth;
    ++drawCount_;
    update();
}

void WaterfallWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    PaintEchogram(p, size(), history_, range_, newDepth_);
}

void WaterfallWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    EchogramSettings s;
    {
        IniFile ini(GetIniFileName());
        s = ReadEchogramSettings(ini);
    }
    DataWidth = s.dataWidth;
    Interval = s.interval;
    applyInterval();
    if (Navset) SetBackground(this, toQColor(Navset->backgroundColor()));
    RestoreFormPlacement(this, true);
}

void WaterfallWindow::applyInterval()
{
    QTimer* timer = surveyHost().EchogramTimer();
    if (!timer) return;
    if (Interval >= 1) {
        timer->setInterval(Interval);
        return;
    }
    // An interval of 0 (or less) stands the timer still, as it always did; a Qt timer at 0 would
    // fire without pause. The survey start leaves a timer at 0 standing too.
    timer->stop();
    timer->setInterval(0);
    surveyHost().ShowStatusMessage(
        translatedArgs("[ECHOGRAM] Interval is %1: the echogram and the sensor watch are stopped",
                       {QString::number(Interval)}),
        10000);
}

void WaterfallWindow::closeEvent(QCloseEvent* event)
{
    {
        IniFile ini(GetIniFileName());
        WriteEchogramSettings(ini, {DataWidth, Interval});
    }
    SaveFormPlacement(this);
    event->accept();
}

void WaterfallWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    const QPoint p = event->position().toPoint();
    if (const Qt::Edges edges = WaterfallEdgesAt(p.x(), p.y(), width(), height())) {
        if (StartSystemResize) StartSystemResize(edges);
        return;
    }
    dragging_ = true;
    grab_ = p;
}

void WaterfallWindow::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (dragging_) {
        move(pos() + (p - grab_));
        return;
    }
    setCursor(WaterfallCursorFor(WaterfallEdgesAt(p.x(), p.y(), width(), height())));
}

void WaterfallWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !dragging_) return;
    dragging_ = false;
    SaveFormPlacement(this);
}

} // namespace vsx
