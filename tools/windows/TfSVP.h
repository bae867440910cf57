#pragma once
#include <QWidget>

namespace vsx {

// The "Sound Velocity" window.
class TfSVP : public QWidget {
    Q_OBJECT
public:
    explicit TfSVP(QWidget* parent = nullptr);
};

} // namespace vsx
