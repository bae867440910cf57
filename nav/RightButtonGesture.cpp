#include "nav/RightButtonGesture.h"

#include <cmath>
#include <numbers>

namespace vsx {

double GridBearingDegrees(double dx, double dy)
{
    if (dx == 0 && dy == 0) return 0;
    double b = std::atan2(dx, dy) * 180.0 / std::numbers::pi;
    if (b < 0) b += 360;
    return b >= 360 ? 0 : b;
}

void RightButtonGesture::Press(int x, int y, bool finishingDrawing)
{
    pressX_ = x;
    pressY_ = y;
    dragging_ = false;
    finishing_ = finishingDrawing;
}

void RightButtonGesture::PressWorld(double x, double y)
{
    worldX_ = x;
    worldY_ = y;
    dragging_ = false;
}

bool RightButtonGesture::Move(int x, int y, bool rightHeld)
{
    if (!rightHeld || dragging_ || finishing_) return false;
    const int dx = x - pressX_, dy = y - pressY_;
    if (dx * dx + dy * dy < kDragThresholdSquared) return false;
    dragging_ = measuring_ = true;
    originX_ = worldX_;
    originY_ = worldY_;
    return true;
}

bool RightButtonGesture::MeasureTo(double x, double y, MeasureEnd& end) const
{
    // A measure that starts on a zero grid coordinate still measures: the flag alone says
    // whether one runs.
    if (!measuring_) return false;
    const double dx = x - originX_, dy = y - originY_;
    end = {x, y, std::sqrt(dx * dx + dy * dy), GridBearingDegrees(dx, dy)};
    return true;
}

RightButtonGesture::Release RightButtonGesture::ReleaseRight()
{
    Release r = Release::ShowMenu;
    if (dragging_ || measuring_) r = Release::EndMeasure;
    else if (finishing_) r = Release::Swallow;
    dragging_ = measuring_ = finishing_ = false;
    originX_ = originY_ = 0;
    return r;
}

} // namespace vsx
