#pragma once
#include <QWidget>

namespace vsx {

// The "Message Window" window.
class TFMsg : public QWidget {
    Q_OBJECT
public:
    explicit TFMsg(QWidget* parent = nullptr);
};

} // namespace vsx
