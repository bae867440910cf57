#pragma once
#include <QWidget>

namespace vsx {

// The "SVP Profile Graph - Drag Points or Lasso Select" window.
class TfSVPGraph : public QWidget {
    Q_OBJECT
public:
    explicit TfSVPGraph(QWidget* parent = nullptr);
};

} // namespace vsx
