#pragma once
#include <QWidget>

namespace vsx {

// The "Vessel Geometry" window.
class TFShape : public QWidget {
    Q_OBJECT
public:
    explicit TFShape(QWidget* parent = nullptr);
};

} // namespace vsx
