#pragma once
#include <QWidget>

namespace vsx {

// The "Navigation Settings" window.
class TNavset : public QWidget {
    Q_OBJECT
public:
    explicit TNavset(QWidget* parent = nullptr);
};

} // namespace vsx
