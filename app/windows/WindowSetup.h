#pragma once
#include <QSize>
#include <QString>

class QWidget;

namespace vsx {

struct WindowDesign {
    const char* objectName;
    const char* caption;
    bool stayOnTop;
    QSize size;
};

// Gives a top-level window its object name (its settings section), designed caption and size,
// and keeps tool windows on top of the main window.
void SetUpWindow(QWidget* window, const WindowDesign& design);

// Shows a window the user asked for where it can be used at once: back from minimised, above
// every other window, the stay-on-top tool windows included (a window that does not stay on top
// by design is made to while the user works in it), and with the keyboard focus.
void BringToUser(QWidget* window);

} // namespace vsx
