#include "canvas/CanvasViewMapping.h"

#include "canvas/CanvasModel.h"
#include "canvas/GdiPainter.h"

#include <algorithm>
#include <cmath>

namespace vsx {

void SetPainterTransform(GdiPainter& painter, const QTransform& t)
{
    painter.SetWorldTransform(t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy());
}

CanvasViewMapping::CanvasViewMapping(const CanvasModel& model) : model_(model)
{
    const double rotation = model.GetRotation();
    rotated_ = rotation != 0;
    if (!rotated_) return;
    const double a = rotation * M_PI / 180.0, c = std::cos(a), s = std::sin(a);
    double ex, ey;
    if (model.UseRotationCenter()) {
        int px, py;
        model.WorldToScreen(model.RotationCenterX(), model.RotationCenterY(), px, py);
        ex = px, ey = py;
    } else {
        ex = model.ViewWidth() / 2.0, ey = model.ViewHeight() / 2.0;
    }
    toScreen_ = QTransform(c, -s, s, c, ex - c * ex - s * ey, ey + s * ex - c * ey);
    toDevice_ = toScreen_.inverted();
}

void CanvasViewMapping::WorldToScreen(double x, double y, int& px, int& py) const
{
    if (!rotated_) {
        model_.WorldToScreen(x, y, px, py);
        return;
    }
    const QPointF p = WorldToScreenF(x, y);
    px = int(std::clamp(std::floor(p.x() + 0.5), -1e9, 1e9));
    py = int(std::clamp(std::floor(p.y() + 0.5), -1e9, 1e9));
}

QPointF CanvasViewMapping::WorldToScreenF(double x, double y) const
{
    const ShapeView v = model_.View();
    const QPointF device(v.PixelXf(x), v.PixelYf(y));
    return rotated_ ? toScreen_.map(device) : device;
}

void CanvasViewMapping::ScreenToWorld(double px, double py, double& x, double& y) const
{
    if (rotated_) {
        const QPointF d = toDevice_.map(QPointF(px, py));
        px = d.x(), py = d.y();
    }
    model_.ScreenToWorld(px, py, x, y);
}

WorldBox CanvasViewMapping::VisibleBox() const
{
    if (!rotated_)
        return {model_.WorldXMin(), model_.WorldYMin(), model_.WorldXMax(), model_.WorldYMax()};
    const double w = model_.ViewWidth(), h = model_.ViewHeight();
    WorldBox box{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const QPointF corner : {QPointF(0, 0), QPointF(w, 0), QPointF(0, h), QPointF(w, h)}) {
        double x, y;
        ScreenToWorld(corner.x(), corner.y(), x, y);
        box.XMin = std::min(box.XMin, x), box.XMax = std::max(box.XMax, x);
        box.YMin = std::min(box.YMin, y), box.YMax = std::max(box.YMax, y);
    }
    return box;
}

} // namespace vsx
