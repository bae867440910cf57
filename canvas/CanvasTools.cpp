#include "canvas/CanvasTools.h"

#include "canvas/CanvasModel.h"
#include "canvas/CanvasViewMapping.h"
#include "canvas/Shapes.h"

#include <Qt>
#include <cmath>
#include <exception>

namespace vsx {

CanvasTools::CanvasTools(CanvasModel& model, CanvasToolEvents& events) : model_(model), events_(events) {}

CanvasTools::~CanvasTools() = default;

void CanvasTools::toWorld(double x, double y, double& wx, double& wy) const
{
    CanvasViewMapping(model_).ScreenToWorld(x, y, wx, wy);
}

void CanvasTools::setCursor(CanvasCursor c) { events_.CursorChanged(c); }

void CanvasTools::resetToolUnlessKept()
{
    if (!KeepTool) rubber_.Tool = 0;
}

// The first point of a shape is placed: the rubber band follows the mouse from here.
void CanvasTools::start(double wx, double wy)
{
    rubber_.Drawing = rubber_.RubberBand = true;
    rubber_.StartX = rubber_.EndX = wx;
    rubber_.StartY = rubber_.EndY = wy;
    setCursor(CanvasCursor::Cross);
    events_.DrawBegin(rubber_.Tool, wx, wy);
}

// A two-click shape is done; Drawing stays set so the next click starts the next one.
void CanvasTools::endRubberBand()
{
    rubber_.RubberBand = false;
    rubber_.StartX = rubber_.StartY = rubber_.EndX = rubber_.EndY = 0;
}

void CanvasTools::finishDrawing(double wx, double wy)
{
    if (inProgress_) {
        if (inProgress_->Vertices.size() >= 2) {
            inProgress_->UpdateBounds();
            model_.AppendShape(std::move(inProgress_));
        }
        inProgress_.reset();
    }
    rubber_.InProgress = nullptr;
    rubber_.Drawing = rubber_.RubberBand = false;
    skipNextClick_ = true;
    events_.DrawEnd(rubber_.Tool, wx, wy);
    resetToolUnlessKept();
    setCursor(CanvasCursor::Default);
    events_.OverlayChanged();
}

void CanvasTools::MouseDown(int button, int shift, int x, int y)
{
    double wx, wy;
    toWorld(x, y, wx, wy);
    if (button == inputcode::Right && (rubber_.RubberBand || rubber_.Drawing)) {
        finishDrawing(wx, wy);
        lastDownX_ = wx, lastDownY_ = wy;
        return;
    }
    events_.WorldMouseDown(button, shift, rubber_.Tool, wx, wy);
    if (button == inputcode::Right) {
        if (RightClickMeasure) StartMeasure(wx, wy);
        return;
    }
    if (button == inputcode::Middle) {
        middlePanning_ = true;
        lastDragX_ = x, lastDragY_ = y;
        rubber_.EndX = wx, rubber_.EndY = wy;
        setCursor(CanvasCursor::SizeAll);
    } else if (button == inputcode::Left) {
        if (skipNextClick_) {  // the press after a right-click finish
            skipNextClick_ = false;
            return;
        }
        leftClick(shift, x, y, wx, wy);
    }
    lastDownX_ = wx, lastDownY_ = wy;
}

void CanvasTools::beginPolyline(int type, double wx, double wy)
{
    const int layer = model_.CurrentLayer();
    auto poly = std::make_unique<TVPolyline>(type, layer);
    poly->Id = model_.TakeShapeId();  // taken now; not reused when the drawing is abandoned
    poly->PenColor = model_.GetLayerColor(layer);
    poly->PenWidth = model_.GetLayerWidth(layer);
    if (type == shapecode::Polygon) {
        poly->BrushColor = model_.GetLayerBrushColor(layer);
        poly->BrushStyle = model_.GetLayerBrushStyle(layer);
    }
    poly->AddVertex(wx, wy);
    inProgress_ = std::move(poly);
    rubber_.InProgress = inProgress_.get();
    start(wx, wy);
}

void CanvasTools::leftClick(int shift, int x, int y, double wx, double wy)
{
    const int tool = rubber_.Tool;
    if (!rubber_.Drawing && !rubber_.RubberBand && (tool == -1 || tool == toolcode::Select)) {
        const int hit = model_.HitTest(wx, wy);
        if (!(shift & (inputcode::Shift | inputcode::Ctrl))) model_.UnselectAll();
        if (hit >= 0) {
            model_.SelectShape(hit, true);
            events_.ShapeNumberSelected(model_.GetShapeType(hit), hit);
        }
        model_.Redraw();
    }
    const bool placed = rubber_.RubberBand;
    const double sx = rubber_.StartX, sy = rubber_.StartY;
    switch (tool) {
    case toolcode::Rectangle:
    case toolcode::Ellipse:
    case toolcode::Circle:
        if (!placed) {
            start(wx, wy);
            break;
        }
        if (tool == toolcode::Rectangle && (wx != sx || wy != sy))
            model_.AddRectangle(sx, sy, wx, wy, model_.CurrentLayer());
        else if (tool == toolcode::Ellipse && wx != sx && wy != sy)
            model_.AddEllipse(sx, sy, wx, wy, model_.CurrentLayer());
        else if (tool == toolcode::Circle && std::hypot(wx - sx, wy - sy) > 0)
            model_.AddCircle(sx, sy, std::hypot(wx - sx, wy - sy), model_.CurrentLayer());
        endRubberBand();
        events_.OverlayChanged();
        break;
    case toolcode::Line:
        if (!placed) {
            start(wx, wy);
        } else if (wx != sx || wy != sy) {
            model_.AddLine(sx, sy, wx, wy, model_.CurrentLayer());
            rubber_.StartX = wx, rubber_.StartY = wy;  // lines chain until a right click
        }
        break;
    case toolcode::Polyline:
    case toolcode::Polygon:
    case toolcode::Spline:
        if (!placed) {
            beginPolyline(tool, wx, wy);
        } else if (inProgress_ && (wx != sx || wy != sy)) {
            inProgress_->AddVertex(wx, wy);
            rubber_.StartX = wx, rubber_.StartY = wy;
            model_.Redraw();
        }
        break;
    case toolcode::Arc:
        if (!placed) {
            beginPolyline(shapecode::Arc, wx, wy);
        } else if (inProgress_ && inProgress_->Vertices.size() == 1) {
            inProgress_->AddVertex(wx, wy);
            rubber_.StartX = wx, rubber_.StartY = wy;
            events_.OverlayChanged();
        } else if (inProgress_) {
            // The third click finishes the arc; Drawing stays set for the next one.
            inProgress_->AddVertex(wx, wy);
            rubber_.InProgress = nullptr;
            model_.AppendShape(std::move(inProgress_));
            inProgress_.reset();
            rubber_.RubberBand = false;
            rubber_.StartX = rubber_.StartY = 0;
            model_.Redraw();
        }
        break;
    case toolcode::Point:
        model_.AddPoint(wx, wy, model_.CurrentLayer());
        events_.DrawEnd(toolcode::Point, wx, wy);
        resetToolUnlessKept();
        events_.OverlayChanged();
        break;
    case toolcode::ZoomWindow:
        if (!placed) {
            rubber_.Drawing = rubber_.RubberBand = true;
            rubber_.StartX = rubber_.EndX = wx;
            rubber_.StartY = rubber_.EndY = wy;
            setCursor(CanvasCursor::Cross);
        } else {
            zoomToWindow(wx, wy);
        }
        break;
    case toolcode::Pan:
        // The left button pans as the middle one does, until it is released.
        middlePanning_ = true;
        lastDragX_ = x, lastDragY_ = y;
        setCursor(CanvasCursor::SizeAll);
        break;
    case toolcode::DragZoom:
        dragZooming_ = true;
        lastDragX_ = x, lastDragY_ = y;
        break;
    default: break;
    }
}

void CanvasTools::zoomToWindow(double wx, double wy)
{
    const double x1 = std::min(rubber_.StartX, wx), x2 = std::max(rubber_.StartX, wx);
    const double y1 = std::min(rubber_.StartY, wy), y2 = std::max(rubber_.StartY, wy);
    const double w = x2 - x1, h = y2 - y1;
    rubber_.Drawing = rubber_.RubberBand = false;
    setCursor(CanvasCursor::Default);
    resetToolUnlessKept();
    if (w > 0.001 && h > 0.001) {
        // Grown to the control's aspect about the box centre.
        const double rb = w / h;
        const double rs = double(std::max(model_.ViewWidth(), 1)) / double(std::max(model_.ViewHeight(), 1));
        const double hx = rb > rs ? w / 2 : h * rs / 2;
        const double hy = rb > rs ? w / (2 * rs) : h / 2;
        const double cx = (x1 + x2) / 2, cy = (y1 + y2) / 2;
        model_.SetWorldWindow(cx - hx, cy + hy, cx + hx, cy - hy);
    } else {
        events_.OverlayChanged();
    }
}

void CanvasTools::MouseMove(int shift, int x, int y)
{
    double wx, wy;
    toWorld(x, y, wx, wy);
    const double dx = wx - lastDownX_, dy = wy - lastDownY_;
    const double magnitude = std::sqrt(dx * dx + dy * dy);
    const double angle = (dx == 0 && dy == 0) ? 0.0 : std::atan2(dy, dx) * 180.0 / M_PI;
    events_.WorldMouseMove(shift, wx, wy, magnitude, angle);

    if (middlePanning_) {
        if (std::abs(x - lastDragX_) > 2 || std::abs(y - lastDragY_) > 2) {
            double ox, oy;
            toWorld(lastDragX_, lastDragY_, ox, oy);
            model_.Pan(ox - wx, oy - wy);  // the map follows the cursor
            lastDragX_ = x, lastDragY_ = y;
        }
    } else if (dragZooming_) {
        const int d = lastDragY_ - y;
        if (std::abs(d) >= 4) {
            model_.ZoomAt(d * 0.01, (model_.WorldXMin() + model_.WorldXMax()) / 2,
                          (model_.WorldYMin() + model_.WorldYMax()) / 2);
            lastDragX_ = x, lastDragY_ = y;
        }
    } else if (rubber_.Drawing) {
        rubber_.EndX = wx, rubber_.EndY = wy;
        events_.OverlayChanged();
    } else if (measure_.Measuring) {
        const double ex = wx - measure_.X1, ey = wy - measure_.Y1;
        double bearing = (ex == 0 && ey == 0) ? 0.0 : std::atan2(ex, ey) * 180.0 / M_PI;
        if (bearing < 0) bearing += 360;
        UpdateMeasureEnd(wx, wy, std::sqrt(ex * ex + ey * ey), bearing);
    }
    lastMoveX_ = x, lastMoveY_ = y;
}

void CanvasTools::MouseUp(int button, int, int, int)
{
    if (button == inputcode::Right) {
        if (measure_.Measuring) EndMeasure();
    } else if (button == inputcode::Middle || button == inputcode::Left) {
        if (middlePanning_) {
            middlePanning_ = false;
            setCursor(CanvasCursor::Default);
        } else if (button == inputcode::Left) {
            dragZooming_ = false;
        }
    }
}

bool CanvasTools::KeyDown(int key, int)
{
    try {
        if (key == Qt::Key_Delete && DeleteKeyDeletes) {
            model_.RemoveSelected();
            return true;
        }
        if (key == Qt::Key_Escape && (rubber_.RubberBand || rubber_.Drawing)) {
            CancelDrag();
            return true;
        }
    } catch (const std::exception&) {
        // A failure while handling a key leaves the map as it is.
    }
    return false;
}

void CanvasTools::Wheel(int delta, int x, int y)
{
    // Fine-grained wheels and touchpads send many small steps: a zoom step per notch of 120.
    if ((delta > 0) != (wheelRest_ > 0)) wheelRest_ = 0;
    wheelRest_ += delta;
    double wx, wy;
    toWorld(x, y, wx, wy);
    while (wheelRest_ >= 120 || wheelRest_ <= -120) {
        const bool in = wheelRest_ > 0;
        wheelRest_ += in ? -120 : 120;
        model_.ZoomAt(in ? 0.1 : -0.1, wx, wy);
    }
}

void CanvasTools::CancelDrag()
{
    const bool wasDrawing = rubber_.Drawing || rubber_.RubberBand;
    skipNextClick_ = false;
    rubber_.Drawing = rubber_.RubberBand = false;
    rubber_.InProgress = nullptr;
    inProgress_.reset();
    setCursor(CanvasCursor::Default);
    events_.OverlayChanged();
    if (wasDrawing) events_.DrawCancel(rubber_.Tool);
}

WorldPoints CanvasTools::GetPolygonVertices() const
{
    const int route = model_.FindLayer("Veldor_Route");
    const int select = model_.FindLayer(CanvasModel::SelectPolygonLayerName);
    const auto shapes = model_.Shapes();
    for (std::size_t i = shapes.size(); i-- > 0;) {
        const auto* p = dynamic_cast<const TVPolyline*>(shapes[i]);
        if (!p || p->Vertices.size() < 2) continue;
        if ((route < 0 && select < 0) || p->LayerId == route || p->LayerId == select) return p->Vertices;
    }
    return {};
}

void CanvasTools::StartMeasure(double x, double y)
{
    measure_.Measuring = true;
    measure_.X1 = measure_.X2 = x;
    measure_.Y1 = measure_.Y2 = y;
    measure_.Distance = 0;
    events_.OverlayChanged();
}

void CanvasTools::UpdateMeasureEnd(double x, double y, double distance, double bearing)
{
    if (!measure_.Measuring) return;
    measure_.X2 = x, measure_.Y2 = y;
    measure_.Distance = distance;
    measure_.Bearing = bearing;
    events_.OverlayChanged();
}

void CanvasTools::EndMeasure()
{
    measure_.Measuring = false;
    events_.OverlayChanged();
}

} // namespace vsx
