#pragma once
// The map display settings of the device settings window: the texts and colours as its
// controls hold them and as they are stored, and the process-wide values the map canvas and the
// main window read. The published values are always usable numbers: a text that does not
// convert publishes the documented default instead.
#include "app/SharedValues.h"
#include "platform/Colour.h"

#include <string>

namespace vsx {

class CanvasDisplayTarget;

struct DisplaySettings {
    bool gridVisible = true;
    bool autoGrid = false;
    std::string gridSpacingX = "100";
    std::string gridSpacingY = "100";
    ColorValue gridColor = clSilver;
    bool showDepthLabels = true;
    std::string labelSpacing = "10";
    std::string labelFontName = "Arial";
    std::string labelFontSize = "12";
    ColorValue labelColor = clBlack;
    std::string eventFontSize = "24";
    ColorValue eventColor = clRed;
    std::string overlayFontSize = "40";
    ColorValue overlayDepthColor = clNavy;
    ColorValue overlaySpeedColor = clBlack;
    std::string screenshotInterval = "60";

    // The conversions with their defaults.
    double gridSpacingXValue() const;      // 100.0
    double gridSpacingYValue() const;      // 100.0
    double labelSpacingValue() const;      // 10.0
    int labelFontSizeValue() const;        // 12
    int eventFontSizeValue() const;        // 24
    int overlayFontSizeValue() const;      // 40
    int screenshotIntervalValue() const;   // 60 (0 or less means off)
};

// Read by the canvas and the main window, set by the device settings window.
extern bool GridVisible;
extern bool GridAutoScale;
extern double GridSpacingX;
extern double GridSpacingY;
extern ColorValue GridColor;
extern bool ShowDepthLabels;
extern double DepthLabelSpacing;
extern std::string DepthLabelFontName;
extern int DepthLabelFontSize;
extern ColorValue DepthLabelColor;
// EventLabelFontSize and EventLabelColor are shared values (app/SharedValues.h): the map reads them.
// The overlay values OverlayFontSize, OverlayDepthColor and OverlaySpeedColor live with the
// program's shared values (app/SharedValues.h); they are read at program start already.

// Sets the grid and label values above from the settings.
void publishDisplayValues(const DisplaySettings& s);
// Sets the three overlay values.
void publishOverlayValues(const DisplaySettings& s);

// Gives the canvas the published grid: shown, spacing (0 for both with auto scale) and colour.
// Nothing when the canvas is null.
void applyGridToCanvas(CanvasDisplayTarget* canvas);

} // namespace vsx
