#pragma once
#include <QWidget>

namespace vsx {

// The "Battery" window.
class TfJoystick : public QWidget {
    Q_OBJECT
public:
    explicit TfJoystick(QWidget* parent = nullptr);
};

} // namespace vsx
