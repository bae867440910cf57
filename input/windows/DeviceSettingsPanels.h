#pragma once
// The panels the device settings window carries for other parts of the program: position
// forwarding and UDP input on "GPS Settings", the further vessels on "Multi-GNSS".
#include "input/windows/DeviceSettingsPanel.h"

#include <memory>

namespace vsx {

class ForwardingGroup;
class GpsUdpInputGroup;
class ExtraVesselPanels;
class DeviceSettingsWindow;

class ForwardingPanel : public DeviceSettingsPanel {
public:
    explicit ForwardingPanel(DeviceSettingsWindow& window);
    QWidget* widget() override { return widget_; }
    void portsListed(const std::vector<std::string>& ports) override;
    void loadWhenShown(IniFile& ini) override;
    bool loaded() const override { return loaded_; }
    void saveOnLock(IniFile& ini) override;

    ForwardingGroup* forwarding() const { return forwarding_; }
    GpsUdpInputGroup* udpInput() const { return udpInput_; }

private:
    QWidget* widget_;
    ForwardingGroup* forwarding_;
    GpsUdpInputGroup* udpInput_;
    bool loaded_ = false;
};

class ExtraVesselPanel : public DeviceSettingsPanel {
public:
    ExtraVesselPanel();
    QWidget* widget() override { return widget_; }
    void loadWhenShown(IniFile& ini) override;
    bool loaded() const override;
    void saveOnLock(IniFile& ini) override;
    void windowClosing() override;

    ExtraVesselPanels* panels() const { return panels_; }

private:
    QWidget* widget_;
    ExtraVesselPanels* panels_;
};

} // namespace vsx
