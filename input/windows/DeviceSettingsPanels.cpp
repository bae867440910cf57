#include "input/windows/DeviceSettingsPanels.h"

#include "app/Settings.h"
#include "input/DeviceSettingsTargets.h"
#include "input/windows/ExtraVesselPanels.h"
#include "input/windows/ForwardingGroups.h"
#include "input/windows/DeviceSettingsWindow.h"
#include "platform/IniFile.h"

#include <QScrollArea>
#include <QVBoxLayout>

namespace vsx {

ForwardingPanel::ForwardingPanel(DeviceSettingsWindow& window)
{
    widget_ = new QWidget;
    auto* column = new QVBoxLayout(widget_);
    column->setContentsMargins(0, 0, 0, 0);
    forwarding_ = new ForwardingGroup(widget_);
    udpInput_ = new GpsUdpInputGroup(widget_);
    column->addWidget(forwarding_);
    column->addWidget(udpInput_);
    QObject::connect(udpInput_, &GpsUdpInputGroup::gnssPortBoxesEnabled, &window,
                     [&window](bool enabled) { window.SetGnssPortBoxesEnabled(enabled); });
    // The stored values are known from the start, so a survey started before the window was
    // ever shown forwards and listens as configured; nothing is opened here.
    IniFile ini(GetIniFileName());
    forwarding_->LoadFromSettings(ini, false);
    udpInput_->LoadFromSettings(ini);
}

void ForwardingPanel::portsListed(const std::vector<std::string>& ports) { forwarding_->SetSerialPorts(ports); }

void ForwardingPanel::loadWhenShown(IniFile& ini)
{
    forwarding_->LoadFromSettings(ini, true);
    udpInput_->LoadFromSettings(ini);
    loaded_ = true;
}

void ForwardingPanel::saveOnLock(IniFile& ini)
{
    forwarding_->SaveToSettings(ini);
    udpInput_->SaveToSettings(ini);
    udpInput_->PublishValues();
    forwarding_->PublishValues();
}

ExtraVesselPanel::ExtraVesselPanel()
{
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    panels_ = new ExtraVesselPanels;
    scroll->setWidget(panels_);
    widget_ = scroll;
    panels_->sizeDefaults = NewVesselSizeDefaults;
}

void ExtraVesselPanel::loadWhenShown(IniFile&) { panels_->LoadVesselSettings(); }
bool ExtraVesselPanel::loaded() const { return panels_->loaded(); }
void ExtraVesselPanel::saveOnLock(IniFile&) { panels_->SaveVesselSettings(); }
void ExtraVesselPanel::windowClosing()
{
    if (panels_->loaded()) panels_->SaveVesselSettings();
}

} // namespace vsx
