#pragma once
// The values a map canvas reads while painting that belong to other windows: the main window's
// position status for the heading HUD and the event-mark style of the device settings window.
// The owners write them here; the canvas only reads them. All canvases share one instance unless
// another is given, as the program shares these values process-wide (the helmsman's map shows
// the same heading HUD as the main map).
//
// The overlay font size and colours are process-wide values of their own (app/SharedValues.h);
// a canvas uses them unless the fields here are set (tests set them).
#include "platform/Colour.h"

#include <memory>
#include <optional>
#include <string>

namespace vsx {

struct CanvasSettings {
    // Heading HUD (written by the main window on every map tick).
    bool NoValidPosition = false;
    std::string HudStatusText;  // UTF-8; may hold "THdg:" followed by the heading part
    int HudFixQuality = 0;      // GGA quality indicator
    // Non-empty: the heading HUD shows this note on the main receiver's device (lost, or back but
    // without a position yet) in the no-fix colours, instead of the last position status.
    std::string HudDeviceText;  // UTF-8

    // Event marks; empty: EventLabelFontSize and EventLabelColor of the device settings window.
    std::optional<int> EventLabelFontSize;
    std::optional<ColorValue> EventLabelColor;

    // Speed HUD; empty: OverlayFontSize, OverlayDepthColor, OverlaySpeedColor.
    std::optional<int> OverlayFontSize;
    std::optional<ColorValue> OverlayDepthColor;
    std::optional<ColorValue> OverlaySpeedColor;

    int SpeedHudFontSize() const;
    ColorValue SpeedHudDepthColor() const;
    ColorValue SpeedHudSpeedColor() const;
    int EventMarkFontSize() const;
    ColorValue EventMarkColor() const;

    // The process-wide instance every canvas uses by default.
    static const std::shared_ptr<CanvasSettings>& Shared();
};

} // namespace vsx
