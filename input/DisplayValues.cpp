#include "input/DisplayValues.h"

#include "app/SharedValues.h"
#include "input/DeviceSettingsTargets.h"
#include "platform/Numbers.h"

namespace vsx {

bool GridVisible = true;
bool GridAutoScale = false;
double GridSpacingX = 100.0;
double GridSpacingY = 100.0;
ColorValue GridColor = clSilver;
bool ShowDepthLabels = true;
double DepthLabelSpacing = 10.0;
std::string DepthLabelFontName;
int DepthLabelFontSize = 12;
ColorValue DepthLabelColor = clBlack;

double DisplaySettings::gridSpacingXValue() const { return strToFloatDef(gridSpacingX, 100.0); }
double DisplaySettings::gridSpacingYValue() const { return strToFloatDef(gridSpacingY, 100.0); }
double DisplaySettings::labelSpacingValue() const { return strToFloatDef(labelSpacing, 10.0); }
int DisplaySettings::labelFontSizeValue() const { return strToIntDef(labelFontSize, 12); }
int DisplaySettings::eventFontSizeValue() const { return strToIntDef(eventFontSize, 24); }
int DisplaySettings::overlayFontSizeValue() const { return strToIntDef(overlayFontSize, 40); }
int DisplaySettings::screenshotIntervalValue() const { return strToIntDef(screenshotInterval, 60); }

void publishDisplayValues(const DisplaySettings& s)
{
    GridVisible = s.gridVisible;
    GridAutoScale = s.autoGrid;
    GridSpacingX = s.gridSpacingXValue();
    GridSpacingY = s.gridSpacingYValue();
    GridColor = s.gridColor;
    ShowDepthLabels = s.showDepthLabels;
    DepthLabelSpacing = s.labelSpacingValue();
    DepthLabelFontName = s.labelFontName;
    DepthLabelFontSize = s.labelFontSizeValue();
    DepthLabelColor = s.labelColor;
    EventLabelFontSize = s.eventFontSizeValue();
    EventLabelColor = s.eventColor;
}

void publishOverlayValues(const DisplaySettings& s)
{
    OverlayFontSize = s.overlayFontSizeValue();
    OverlayDepthColor = s.overlayDepthColor;
    OverlaySpeedColor = s.overlaySpeedColor;
}

void applyGridToCanvas(CanvasDisplayTarget* canvas)
{
    if (!canvas) return;
    canvas->setGridShown(GridVisible);
    if (GridAutoScale) canvas->setGridSteps(0.0, 0.0);
    else canvas->setGridSteps(GridSpacingX, GridSpacingY);
    canvas->setGridLineColor(GridColor);
}

} // namespace vsx
