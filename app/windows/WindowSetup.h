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

} // namespace vsx
