#pragma once
// The on-screen numeric keypad and keyboard that the offsets window opens for its edits: panels
// on the main window, made on first use, then only retargeted, moved and shown. The panels
// themselves are frame-window controls; they come in through the two factories below, and until
// a factory is set the call shows nothing.
#include <QPoint>
#include <QSize>

#include <functional>
#include <memory>

class QLineEdit;
class QWidget;

namespace vsx {

class OnScreenKeypad {
public:
    virtual ~OnScreenKeypad() = default;
    // The panel widget, a child of the main window (which owns and frees it).
    virtual QWidget* Panel() = 0;
    // The edit the panel types into from now on.
    virtual void SetTarget(QLineEdit* edit) = 0;
};

using OnScreenKeypadFactory = std::function<std::unique_ptr<OnScreenKeypad>(QWidget* owner)>;
void setNumericKeypadFactory(OnScreenKeypadFactory factory);
void setSimpleKeyboardFactory(OnScreenKeypadFactory factory);
const OnScreenKeypadFactory& numericKeypadFactory();
const OnScreenKeypadFactory& simpleKeyboardFactory();

// The numeric keypad sits in the bottom right corner, the keyboard centred at the bottom, each
// 10 pixels from the client area's edges.
QPoint NumericKeypadPosition(QSize client, QSize panel);
QPoint SimpleKeyboardPosition(QSize client, QSize panel);

} // namespace vsx
