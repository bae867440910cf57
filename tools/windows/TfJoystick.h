#pragma once
#include <QWidget>

class QLabel;

namespace vsx {

// The "Battery" window: the battery voltage the echosounder's own sentence carries.
class TfJoystick : public QWidget {
    Q_OBJECT
public:
    explicit TfJoystick(QWidget* parent = nullptr);
    QLabel* pBattery;
};

} // namespace vsx
