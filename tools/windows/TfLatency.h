#pragma once
#include <QWidget>

namespace vsx {

// The "Latency" window.
class TfLatency : public QWidget {
    Q_OBJECT
public:
    explicit TfLatency(QWidget* parent = nullptr);
};

} // namespace vsx
