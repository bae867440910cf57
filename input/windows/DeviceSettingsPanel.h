#pragma once
// A group of controls that the device settings window carries on one of its sheets but that is
// built elsewhere: the position forwarding and UDP input groups on "GPS Settings", the
// extra-vessel panels on "Multi-GNSS". The window places the panel's widget on its sheet, locks
// it with the sheet and calls the panel at the moments below.
#include <string>
#include <vector>

class QWidget;

namespace vsx {

class IniFile;

enum class DeviceSettingsSheet {
    GpsSettings,  // "GPS Settings": loaded after the port lists, saved with the display sections
    MultiGnss,    // "Multi-GNSS": loaded last when shown, saved last by the lock
};

class DeviceSettingsPanel {
public:
    virtual ~DeviceSettingsPanel() = default;
    virtual QWidget* widget() = 0;

    // The window is being shown: first the ports that can be opened now, then the stored values.
    virtual void portsListed(const std::vector<std::string>& ports) { (void)ports; }
    virtual void loadWhenShown(IniFile& ini) = 0;
    // True once loadWhenShown has run; the lock never saves a panel that has not been loaded, so
    // stored values are not replaced by design values.
    virtual bool loaded() const = 0;
    // The settings are locked: write the panel's sections and publish its values.
    virtual void saveOnLock(IniFile& ini) = 0;
    // The window closes (close button or close request).
    virtual void windowClosing() {}
};

} // namespace vsx
