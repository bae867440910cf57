#pragma once
// What the windows below the main window ask of it: its frame (to centre a dialog over it) and
// its map's background. The main window installs its own host with setMainWindowHost(); until
// then (and in tests) a host that does nothing answers, so callers never check for null.
#include "platform/Colour.h"

#include <QRect>
#include <optional>

class QWidget;

namespace vsx {

class MainWindowHost {
public:
    virtual ~MainWindowHost() = default;

    // The main window's frame, title bar included; an invalid rectangle when there is none.
    virtual QRect MainWindowFrame() const { return {}; }
    // Map canvas background (nothing when there is no map) and a repaint of the map.
    virtual std::optional<ColorValue> MapBackground() const { return std::nullopt; }
    virtual void SetMapBackground(ColorValue) {}
    virtual void RepaintMap() {}
};

// The installed host, or one that does nothing. The caller of setMainWindowHost keeps
// ownership; setMainWindowHost(nullptr) removes it.
MainWindowHost& mainWindowHost();
void setMainWindowHost(MainWindowHost* host);

// Moves the window so that its centre lies on the main window's centre; leaves it where it is
// when there is no main window.
void CentreOverMainWindow(QWidget* window);

} // namespace vsx
