#pragma once
#include <QWidget>

namespace vsx {

// The "About Veldor Sondrix" window.
class TformAbout : public QWidget {
    Q_OBJECT
public:
    explicit TformAbout(QWidget* parent = nullptr);
};

} // namespace vsx
