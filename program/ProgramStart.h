#pragma once
// Program start, the top of the house: the settings needed before any window exists, the visual
// style, the title and the long-lived windows in their fixed order. The one place that knows
// every window; it binds the hooks through which the device settings reach windows above them.
#include "platform/Colour.h"

#include <QString>
#include <vector>

class QWidget;

namespace vsx {

struct StartupSettings {
    QString themeStyle = "Light";
    int overlayFontSize = 40;
    ColorValue overlayDepthColor = 0x800000;
    ColorValue overlaySpeedColor = 0;
};

// A settings file that cannot be read whole is copied aside and cut down to the lines that can be
// read, before anything is written to it (see keepDamagedIniFile); once the windows exist, the
// start tells the user which copy was kept and that the rest is at its defaults, and writes it
// to the events log. Runs once per start: a second call finds the file whole.
void KeepDamagedSettingsFile();
// Reads [APPLICATION] ThemeStyle and [OVERLAY_SETTINGS] FontSize, DepthColor, SpeedColor.
StartupSettings ReadStartupSettings();
// Switches to the named style unless it is the platform's own; an unknown name is reported once.
void ApplyStyle(const QString& name);
// Makes the 17 windows in order, each stored in its pointer; shows the main window, the
// navigation settings and the battery window. Binds the serial port list of the settings file
// and the own vessel's sizes (the vessel geometry window's) for new further vessels. A damaged
// settings file is kept aside first and reported once the windows are there.
void CreateAllWindows();
// The long-lived windows in creation order (null where not made).
std::vector<QWidget*> AllWindows();
// Destroys them in reverse order, clearing each pointer before its window goes.
void DestroyAllWindows();

// The whole start: returns the message loop's code, or 1 when start-up failed.
int RunProgram(int argc, char** argv);

} // namespace vsx
