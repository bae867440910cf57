#pragma once
#include <QMainWindow>

namespace vsx {

// The main navigation window. Closing it ends the program, even while tool windows are open.
class TFNav : public QMainWindow {
    Q_OBJECT
public:
    explicit TFNav(QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace vsx
