#pragma once
// Mouse and keyboard input of the map: the interactive drawing tools with their state machine,
// selection clicks, the zoom window, drag zoom, middle-button panning, the wheel zoom and the
// measure line. Positions arrive in screen pixels and are turned into world points through the
// map rotation. The widget feeds the Qt input events in and turns the notifications into its
// signals; tests can drive the class directly.
#include "canvas/CanvasOverlays.h"
#include "canvas/CanvasTypes.h"

#include <memory>

namespace vsx {

class CanvasModel;
class TVPolyline;

// Tool codes (the shape tools carry the shape type they make, except the ellipse tool 4, which
// makes type 20).
namespace toolcode {
inline constexpr int Pan = -5;  // the left button drags the map
inline constexpr int DragZoom = -4;
inline constexpr int ZoomWindow = -3;
inline constexpr int None = -2;  // clicks only raise events
inline constexpr int Select = 0; // as is -1
inline constexpr int Rectangle = 1;
inline constexpr int Line = 3;
inline constexpr int Ellipse = 4;
inline constexpr int Polyline = 5;
inline constexpr int Polygon = 6;
inline constexpr int Spline = 8;
inline constexpr int Arc = 10;
inline constexpr int Point = 17;
inline constexpr int Circle = 19;
}  // namespace toolcode

// Codes of the input events: the button pressed, and the shift mask of keys (and, in the raw
// mouse events, of the buttons held).
namespace inputcode {
inline constexpr int Left = 1;
inline constexpr int Right = 2;
inline constexpr int Middle = 4;
inline constexpr int Shift = 1;
inline constexpr int Ctrl = 2;
inline constexpr int Alt = 4;
inline constexpr int LeftHeld = 8;
inline constexpr int RightHeld = 16;
inline constexpr int MiddleHeld = 32;
}  // namespace inputcode

enum class CanvasCursor { Default, Cross, SizeAll };

// What the tools report; every notification has a default that does nothing.
class CanvasToolEvents {
public:
    virtual ~CanvasToolEvents() = default;
    virtual void ShapeNumberSelected(int /*shapeType*/, int /*shapeId*/) {}
    virtual void WorldMouseMove(int /*shift*/, double /*x*/, double /*y*/, double /*magnitude*/, double /*angle*/) {}
    virtual void WorldMouseDown(int /*button*/, int /*shift*/, int /*tool*/, double /*x*/, double /*y*/) {}
    virtual void DrawBegin(int /*shapeType*/, double /*x*/, double /*y*/) {}
    virtual void DrawEnd(int /*shapeType*/, double /*x*/, double /*y*/) {}
    // A drawing ended by Escape or CancelDrag: whoever paused work at DrawBegin resumes it.
    virtual void DrawCancel(int /*tool*/) {}
    virtual void CursorChanged(CanvasCursor) {}
    // Only the overlays changed: repaint without a rebuild.
    virtual void OverlayChanged() {}
};

class CanvasTools {
public:
    CanvasTools(CanvasModel& model, CanvasToolEvents& events);
    ~CanvasTools();

    // ---- Options ----
    int Tool() const { return rubber_.Tool; }
    void SetTool(int tool) { rubber_.Tool = tool; }
    bool KeepTool = false;            // the tool stays after a shape is finished
    bool RightClickMeasure = true;    // a right click (not drawing) starts the measure
    bool DeleteKeyDeletes = false;    // the Delete key deletes the selected shapes

    // ---- Input (screen pixels; button and shift codes of inputcode) ----
    void MouseDown(int button, int shift, int x, int y);
    void MouseMove(int shift, int x, int y);
    void MouseUp(int button, int shift, int x, int y);
    // Returns true when the key was used. Keys are Qt key codes.
    bool KeyDown(int key, int shift);
    // angleDelta of a wheel event: every 120 units (one notch) zoom by 10 % about the cursor.
    void Wheel(int delta, int x, int y);

    // Ends an interactive drawing from outside; the unfinished polyline is discarded.
    void CancelDrag();
    // Vertices of the newest route or selection polygon (see the .cpp); empty when none.
    WorldPoints GetPolygonVertices() const;

    // ---- Measure overlay ----
    void StartMeasure(double x, double y);
    void UpdateMeasureEnd(double x, double y, double distance, double bearing);
    void EndMeasure();

    // ---- State read by the overlays and tests ----
    const RubberBandState& Rubber() const { return rubber_; }
    const MeasureState& Measure() const { return measure_; }
    bool SkipNextClick() const { return skipNextClick_; }
    bool MiddlePanning() const { return middlePanning_; }
    bool DragZooming() const { return dragZooming_; }
    double LastDownX() const { return lastDownX_; }
    double LastDownY() const { return lastDownY_; }
    const TVPolyline* InProgress() const { return inProgress_.get(); }

private:
    void toWorld(double x, double y, double& wx, double& wy) const;
    void start(double wx, double wy);
    void finishDrawing(double wx, double wy);
    void endRubberBand();
    void resetToolUnlessKept();
    void setCursor(CanvasCursor c);
    void beginPolyline(int type, double wx, double wy);
    void leftClick(int shift, int x, int y, double wx, double wy);
    void zoomToWindow(double wx, double wy);

    CanvasModel& model_;
    CanvasToolEvents& events_;
    RubberBandState rubber_;
    MeasureState measure_;
    std::unique_ptr<TVPolyline> inProgress_;
    bool skipNextClick_ = false;
    bool middlePanning_ = false;
    bool dragZooming_ = false;
    int lastDragX_ = 0, lastDragY_ = 0;
    int lastMoveX_ = 0, lastMoveY_ = 0;
    double lastDownX_ = 0, lastDownY_ = 0;
    int wheelRest_ = 0;
};

} // namespace vsx
