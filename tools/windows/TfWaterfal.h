#pragma once
#include "nav/Echogram.h"

#include <QWidget>

namespace vsx {

// The "Acoustic Waterfall" window: the strip the main window draws the echogram into.
class TfWaterfal : public QWidget {
    Q_OBJECT
public:
    explicit TfWaterfal(QWidget* parent = nullptr);

    int DataWidth = 50;  // samples shown
    int Interval = 100;  // the echogram timer's interval, ms

    // Appends one depth and redraws (only while visible).
    void EchogramPaint(double depth, double top, double bottom, int count);
    const EchogramHistory& History() const { return history_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    EchogramHistory history_;
    EchogramHistory::Range range_ {0, 50, 50};
    double newDepth_ = 0;
};

} // namespace vsx
