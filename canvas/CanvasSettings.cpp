#include "canvas/CanvasSettings.h"

#include "app/SharedValues.h"

namespace vsx {

int CanvasSettings::SpeedHudFontSize() const { return OverlayFontSize.value_or(vsx::OverlayFontSize); }
ColorValue CanvasSettings::SpeedHudDepthColor() const { return OverlayDepthColor.value_or(vsx::OverlayDepthColor); }
ColorValue CanvasSettings::SpeedHudSpeedColor() const { return OverlaySpeedColor.value_or(vsx::OverlaySpeedColor); }

const std::shared_ptr<CanvasSettings>& CanvasSettings::Shared()
{
    static const std::shared_ptr<CanvasSettings> shared = std::make_shared<CanvasSettings>();
    return shared;
}

} // namespace vsx
