#pragma once
#include <QWidget>

namespace vsx {

// The "Realtime Data" window.
class TfRealtime : public QWidget {
    Q_OBJECT
public:
    explicit TfRealtime(QWidget* parent = nullptr);
};

} // namespace vsx
