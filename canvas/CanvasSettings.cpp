#include "canvas/CanvasSettings.h"

#include "app/SharedValues.h"

namespace vsx {

int CanvasSettings::SpeedHudFontSize() const { return OverlayFontSize.value_or(vsx::OverlayFontSize); }
ColorValue CanvasSettings::SpeedHudDepthColor() const { return OverlayDepthColor.value_or(vsx::OverlayDepthColor); }
ColorValue CanvasSettings::SpeedHudSpeedColor() const { return OverlaySpeedColor.value_or(vsx::OverlaySpeedColor); }
int CanvasSettings::EventMarkFontSize() const { return EventLabelFontSize.value_or(vsx::EventLabelFontSize); }
ColorValue CanvasSettings::EventMarkColor() const { return EventLabelColor.value_or(vsx::EventLabelColor); }

const std::shared_ptr<CanvasSettings>& CanvasSettings::Shared()
{
    static const std::shared_ptr<CanvasSettings> shared = std::make_shared<CanvasSettings>();
    return shared;
}

} // namespace vsx
