#pragma once
// Where the world lands on the screen, rotation included. The back buffer is drawn with the
// unrotated world-to-pixel rule under a device transform that turns the picture about the
// rotation centre; this class holds that transform, maps world points to the screen and back
// through it (for the overlays and the mouse) and gives the world box the screen shows.
// Without rotation every mapping is exactly the model's unrotated one.
#include <QPointF>
#include <QTransform>

namespace vsx {

class CanvasModel;
class GdiPainter;

// Sets `t` as the painter's world transform.
void SetPainterTransform(GdiPainter& painter, const QTransform& t);

struct WorldBox {
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
    bool Overlaps(double minX, double minY, double maxX, double maxY) const
    {
        // A box with NaN bounds is never proven outside.
        return !(maxX < XMin || minX > XMax || maxY < YMin || minY > YMax);
    }
};

class CanvasViewMapping {
public:
    explicit CanvasViewMapping(const CanvasModel& model);

    bool Rotated() const { return rotated_; }
    // Device space (unrotated pixels) to screen: (x, y) -> (c x + s y + dx, -s x + c y + dy).
    const QTransform& DeviceToScreen() const { return toScreen_; }

    // World point to screen pixels (rounded like WorldToScreen).
    void WorldToScreen(double x, double y, int& px, int& py) const;
    QPointF WorldToScreenF(double x, double y) const;
    // Screen pixel to the world point drawn there.
    void ScreenToWorld(double px, double py, double& x, double& y) const;

    // The world box that covers the whole screen (the window itself without rotation).
    WorldBox VisibleBox() const;

private:
    const CanvasModel& model_;
    bool rotated_ = false;
    QTransform toScreen_;
    QTransform toDevice_;
};

} // namespace vsx
