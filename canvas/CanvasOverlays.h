#pragma once
// What is drawn over the copied back buffer on every paint, unturned: the rubber band of
// interactive drawing, the measure line, depth labels, event marks, the speed HUD, the heading
// HUD and the scale bar. Changing any of them repaints without rebuilding the back buffer.
// The text and layout rules are plain functions so that they can be checked without pixels.
#include "canvas/CanvasSettings.h"
#include "canvas/TextSprites.h"
#include "platform/Colour.h"

#include <QPoint>
#include <string>

class QPainter;

namespace vsx {

class CanvasModel;
class CanvasViewMapping;
class GdiPainter;
class TVPolyline;

// The interactive drawing as the overlay shows it (kept by CanvasTools).
struct RubberBandState {
    bool Drawing = false;
    bool RubberBand = false;  // the first point is placed
    int Tool = 0;
    double StartX = 0, StartY = 0, EndX = 0, EndY = 0;
    const TVPolyline* InProgress = nullptr;
};

struct MeasureState {
    bool Measuring = false;
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    double Distance = 0;  // metres
    double Bearing = 0;   // degrees clockwise from grid north
};

struct HudState {
    double Depth1 = 0, Depth2 = 0;
    bool ShowDepth = false;
    double Speed = 0;  // knots
    bool ShowSpeed = false;
    int SpeedCorner = 0;    // 0 bottom left, 1 bottom right, 2 top right, 3 top left
    int HeadingCorner = 0;  // 0 top left, 1 top right, 2 bottom right, 3 bottom left
    bool HeadingPlain = true;
};

// ---- Layout rules ----

// Speed HUD texts: the depth with its last digit and unit small, then the speed and "kn".
struct SpeedHudText {
    std::string Large1, Small1, Large2, Small2;
    bool Empty() const { return Large1.empty() && Large2.empty(); }
};
SpeedHudText ComposeSpeedHud(const HudState& hud);
// Top-left corner of the speed HUD texts, g x h being their total width and height.
QPoint SpeedHudOrigin(int corner, int width, int height, int g, int h);

inline constexpr const char* NoPositionText = "NO VALID POSITION RECEIVED";
inline constexpr const char* HeadingMarker = "THdg:";
std::string HeadingHudText(const CanvasSettings& settings);
struct HeadingHudColors {
    ColorValue Box;
    ColorValue Text;
};
HeadingHudColors HeadingHudStyle(bool noValidPosition, int fixQuality);
// Top-left corner of the heading HUD text of extent w x h.
QPoint HeadingHudOrigin(int corner, int width, int height, int w, int h);

struct ScaleBarLayout {
    bool Shown = false;
    double Length = 0;  // world units the bar stands for
    int Pixels = 0;     // drawn length, 30..150
    std::string Label;
};
ScaleBarLayout ComputeScaleBar(double worldWidth, int controlWidth);

struct MeasureTexts {
    std::string Distance, Bearing;
};
MeasureTexts ComposeMeasureTexts(double distance, double bearing);

// ---- Drawing ----

struct OverlayInputs {
    const CanvasModel& Model;
    const CanvasViewMapping& Mapping;
    const RubberBandState& Rubber;
    const MeasureState& Measure;
    const HudState& Hud;
    const CanvasSettings& Settings;
};

class CanvasOverlayPainter {
public:
    // Draws every overlay in order on `painter`, whose surface is the control's size.
    void Draw(QPainter& painter, const OverlayInputs& in);
    // Whether the pixel lies in the heading HUD box where it is drawn now.
    bool HitHeadingHud(const OverlayInputs& in, int px, int py);

private:
    void drawRubberBand(GdiPainter& p, const OverlayInputs& in);
    void drawMeasure(GdiPainter& p, const OverlayInputs& in);
    void drawDepthLabels(QPainter& qp, const OverlayInputs& in, int width, int height);
    void drawEventMarks(QPainter& qp, const OverlayInputs& in, int width, int height);
    void drawSpeedHud(GdiPainter& p, const OverlayInputs& in, int width, int height);
    void drawHeadingHud(GdiPainter& p, const OverlayInputs& in, int width, int height);
    void drawScaleBar(GdiPainter& p, const OverlayInputs& in, int width, int height);

    TextSprites depthSprites_;
    TextSprites eventSprites_;
};

} // namespace vsx
