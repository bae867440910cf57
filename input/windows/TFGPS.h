#pragma once
#include <QWidget>

namespace vsx {

// The "Settings" window.
class TFGPS : public QWidget {
    Q_OBJECT
public:
    explicit TFGPS(QWidget* parent = nullptr);
};

} // namespace vsx
