#pragma once
// The "Battery" window: the battery voltage that the echosounder's own sentence ("Veldor SMT")
// carries, written into pBattery by the echosounder's line handler. It has no close button and
// refuses the window manager's close; once a second it takes itself out of view while the
// configured message type is another one (it never shows itself: the main window does, at its
// first show).
#include <QWidget>

class QLabel;
class QTimer;

namespace vsx {

inline constexpr const char* kBatteryMessageType = "Veldor SMT";

class BatteryWindow : public QWidget {
    Q_OBJECT
public:
    explicit BatteryWindow(QWidget* parent = nullptr);

    void hideWithoutBatteryMessages();

    QLabel* pBattery;
    QTimer* watchTimer;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Comes back where the user last dragged it by its title bar.
    void showEvent(QShowEvent* event) override;

private:
    void fitCaption();
};

} // namespace vsx
