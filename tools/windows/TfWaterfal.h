#pragma once
#include <QWidget>

namespace vsx {

// The "Acoustic Waterfall" window.
class TfWaterfal : public QWidget {
    Q_OBJECT
public:
    explicit TfWaterfal(QWidget* parent = nullptr);
};

} // namespace vsx
