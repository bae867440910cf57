#pragma once
#include <QWidget>

namespace vsx {

// The "Theme Selection" window.
class TfTheme : public QWidget {
    Q_OBJECT
public:
    explicit TfTheme(QWidget* parent = nullptr);
};

} // namespace vsx
