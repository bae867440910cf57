#pragma once
// The right mouse button on a map: a click opens the map's menu, a drag of more than 4 pixels
// measures distance and bearing from the press point instead. The main map and the helmsman map
// share this rule; the window feeds the canvas's pixel and world events in and acts on the
// answers.
namespace vsx {

// Bearing of (dx, dy) in degrees clockwise from grid north, 0 <= b < 360; 0 for (0, 0).
double GridBearingDegrees(double dx, double dy);

class RightButtonGesture {
public:
    // A press moved this far (squared pixels) is a drag.
    static constexpr int kDragThresholdSquared = 17;

    enum class Release {
        None,         // not a right-button release
        ShowMenu,     // a plain right click
        EndMeasure,   // a right drag ended: the measure line goes away
        Swallow,      // the press finished a drawing on the canvas: no menu
    };

    // The control's own press, in pixels. `finishingDrawing` is true when the canvas was drawing
    // a shape, which this press finishes.
    void Press(int x, int y, bool finishingDrawing);
    // The world point of the same press (raised after Press).
    void PressWorld(double x, double y);
    // A pixel move with the right button held or not; true when this move starts the measure
    // (from the world point of the press).
    bool Move(int x, int y, bool rightHeld);
    // A world move while measuring gives the measure's end, distance and bearing.
    struct MeasureEnd {
        double x = 0, y = 0, distance = 0, bearing = 0;
    };
    bool MeasureTo(double x, double y, MeasureEnd& end) const;
    Release ReleaseRight();

    bool Dragging() const { return dragging_; }
    bool Measuring() const { return measuring_; }
    // World point of the last right press (where "Select Runline Here" looks).
    double PressWorldX() const { return worldX_; }
    double PressWorldY() const { return worldY_; }
    double OriginX() const { return originX_; }
    double OriginY() const { return originY_; }

private:
    int pressX_ = 0, pressY_ = 0;
    double worldX_ = 0, worldY_ = 0;
    double originX_ = 0, originY_ = 0;
    bool dragging_ = false;
    bool measuring_ = false;
    bool finishing_ = false;
};

} // namespace vsx
