#pragma once
// The "Acoustic Waterfall" window: a border-less strip, on top of the others, that the main
// window's echogram timer draws the recent depths into. With no frame it moves and sizes itself:
// a left press inside starts a move, a press within 6 pixels of an edge hands a resize from that
// edge or corner to the window system. It keeps the echogram's two settings ([ECHOGRAM]
// DataWidth and Interval, re-read at every show) and its placement with its size.
#include "nav/Echogram.h"

#include <QPoint>
#include <QWidget>
#include <functional>

namespace vsx {

class WaterfallWindow : public QWidget {
    Q_OBJECT
public:
    explicit WaterfallWindow(QWidget* parent = nullptr);

    int DataWidth = 50;  // samples shown
    int Interval = 100;  // the echogram timer's interval, ms; below 1 the timer stands still

    // Shown because depths arrive: not while the map is in its bare full-screen view, which
    // hid this window and brings it back itself.
    void ShowForDepths();
    // Appends one depth and redraws (only while visible).
    void appendDepth(double depth, double top, double bottom, int count);
    const EchogramHistory& History() const { return history_; }
    // Drawings made since the window was created.
    int DrawCount() const { return drawCount_; }
    bool Dragging() const { return dragging_; }

    // Hands a resize from the given edges to the window system; false when it cannot. Tests
    // replace it.
    std::function<bool(Qt::Edges)> StartSystemResize;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyInterval();

    EchogramHistory history_;
    EchogramHistory::Range range_ {0, 50, 50};
    double newDepth_ = 0;
    int drawCount_ = 0;
    bool dragging_ = false;
    QPoint grab_;
};

} // namespace vsx
