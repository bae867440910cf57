#include "canvas/VeldorCanvas.h"

#include "canvas/CanvasViewMapping.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

namespace vsx {

namespace {

int keyShift(Qt::KeyboardModifiers m)
{
    int s = 0;
    if (m & Qt::ShiftModifier) s |= inputcode::Shift;
    if (m & Qt::ControlModifier) s |= inputcode::Ctrl;
    if (m & Qt::AltModifier) s |= inputcode::Alt;
    return s;
}

int mouseShift(const QMouseEvent* e)
{
    int s = keyShift(e->modifiers());
    if (e->buttons() & Qt::LeftButton) s |= inputcode::LeftHeld;
    if (e->buttons() & Qt::RightButton) s |= inputcode::RightHeld;
    if (e->buttons() & Qt::MiddleButton) s |= inputcode::MiddleHeld;
    return s;
}

int buttonCode(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton: return inputcode::Left;
    case Qt::RightButton: return inputcode::Right;
    case Qt::MiddleButton: return inputcode::Middle;
    default: return 0;
    }
}

} // namespace

TVeldorCanvas::TVeldorCanvas(QWidget* parent)
    : QWidget(parent),
      model_(std::make_unique<CanvasModel>()),
      tools_(std::make_unique<CanvasTools>(*model_, static_cast<CanvasToolEvents&>(*this))),
      settings_(CanvasSettings::Shared())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    resize(400, 300);
    model_->Resize(400, 300);
    model_->SetChangeHandler([this](CanvasChange kind) { modelChanged(kind); });
    imagery_ = std::make_unique<WorldImagery>();
    renderer_.SetBackgroundStep([this](QPainter& painter, const CanvasModel& model, const CanvasViewMapping& mapping) {
        imagery_->Draw(painter, model, mapping);
    });
    connect(imagery_.get(), &WorldImagery::Changed, this, [this] {
        if (imagery_->Shown()) Redraw();
    });
}

TVeldorCanvas::~TVeldorCanvas()
{
    model_->SetChangeHandler({});
}

void TVeldorCanvas::SetSettings(std::shared_ptr<CanvasSettings> settings)
{
    settings_ = settings ? std::move(settings) : CanvasSettings::Shared();
    update();
}

// ---- Repaint ----

void TVeldorCanvas::modelChanged(CanvasChange kind)
{
    update();
    if (kind == CanvasChange::DrawingNow && synchronousRepaints_) repaint();
}

void TVeldorCanvas::Update() { model_->Redraw(); }
void TVeldorCanvas::Redraw() { model_->Redraw(); }

void TVeldorCanvas::SetShowImagery(bool shown)
{
    if (shown == imagery_->Shown()) return;
    imagery_->SetShown(shown);
    Redraw();
}

void TVeldorCanvas::ClearTileCache()
{
    imagery_->ClearMemory();
    Redraw();
}

void TVeldorCanvas::syncSize()
{
    // A control that has not been shown yet gets no resize events; keep the model's size anyway.
    if (model_->ViewWidth() != width() || model_->ViewHeight() != height()) model_->Resize(width(), height());
}

void TVeldorCanvas::ensureBackBuffer()
{
    syncSize();
    const int w = std::max(width(), 1), h = std::max(height(), 1);
    if (model_->Dirty() || backBuffer_.width() != w || backBuffer_.height() != h) {
        renderer_.Rebuild(backBuffer_, *model_, grid_);
        ++rebuilds_;
    }
}

OverlayInputs TVeldorCanvas::overlayInputs(const CanvasViewMapping& mapping) const
{
    return OverlayInputs{*model_, mapping, tools_->Rubber(), tools_->Measure(), hud_, *settings_};
}

void TVeldorCanvas::paintFrame(QPainter& painter)
{
    ensureBackBuffer();
    painter.drawImage(0, 0, backBuffer_);
    const CanvasViewMapping mapping(*model_);
    overlays_.Draw(painter, overlayInputs(mapping));
}

void TVeldorCanvas::RenderFrame(QImage& image)
{
    syncSize();
    const int w = std::max(width(), 1), h = std::max(height(), 1);
    if (image.width() != w || image.height() != h || image.format() != QImage::Format_RGB32)
        image = QImage(w, h, QImage::Format_RGB32);
    QPainter painter(&image);
    paintFrame(painter);
}

void TVeldorCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintFrame(painter);
}

void TVeldorCanvas::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    syncSize();
    emit OnResize(this);
}

// ---- Grid ----

void TVeldorCanvas::gridChanged() { Redraw(); }

void TVeldorCanvas::SetGrid(const CanvasGrid& grid)
{
    grid_ = grid;
    gridChanged();
}

void TVeldorCanvas::SetGridShown(bool shown)
{
    grid_.Shown = shown;
    gridChanged();
}

void TVeldorCanvas::SetGridAutoSpacing(bool automatic)
{
    grid_.AutoSpacing = automatic;
    gridChanged();
}

void TVeldorCanvas::SetGridStep(double stepX, double stepY)
{
    grid_.StepX = stepX;
    grid_.StepY = stepY;
    gridChanged();
}

void TVeldorCanvas::SetGridLineColor(ColorValue color)
{
    grid_.LineColor = color;
    gridChanged();
}

void TVeldorCanvas::SetGridOnTop(int onTop)
{
    grid_.OnTop = onTop;
    gridChanged();
}

// ---- HUDs ----

void TVeldorCanvas::SetDepthHud(double depth1, double depth2, bool show)
{
    hud_.Depth1 = depth1;
    hud_.Depth2 = depth2;
    hud_.ShowDepth = show;
    update();
}

void TVeldorCanvas::SetHudValue(double speedKnots, bool show)
{
    hud_.Speed = speedKnots;
    hud_.ShowSpeed = show;
    update();
}

void TVeldorCanvas::CycleSpeedHudPosition() { SetSpeedHudCorner((hud_.SpeedCorner + 1) % 4); }
void TVeldorCanvas::CycleHeadingHudPosition() { SetHeadingHudCorner((hud_.HeadingCorner + 1) % 4); }

void TVeldorCanvas::SetSpeedHudCorner(int corner)
{
    hud_.SpeedCorner = corner >= 0 && corner <= 3 ? corner : 0;
    update();
}

void TVeldorCanvas::SetHeadingHudCorner(int corner)
{
    hud_.HeadingCorner = corner >= 0 && corner <= 3 ? corner : 0;
    update();
}

void TVeldorCanvas::SetHeadingHudPlain(bool plain)
{
    hud_.HeadingPlain = plain;
    update();
}

bool TVeldorCanvas::HitHeadingHud(int px, int py)
{
    syncSize();
    const CanvasViewMapping mapping(*model_);
    return overlays_.HitHeadingHud(overlayInputs(mapping), px, py);
}

void TVeldorCanvas::ScreenToWorld(double px, double py, double& x, double& y) const
{
    CanvasViewMapping(*model_).ScreenToWorld(px, py, x, y);
}

void TVeldorCanvas::WorldToScreen(double x, double y, int& px, int& py) const
{
    CanvasViewMapping(*model_).WorldToScreen(x, y, px, py);
}

// ---- Input ----

void TVeldorCanvas::mousePressEvent(QMouseEvent* e)
{
    syncSize();
    const QPoint p = e->position().toPoint();
    lastPointer_ = p;
    const int button = buttonCode(e->button());
    pressButton_ = button;
    emit OnMouseDown(this, button, mouseShift(e), p.x(), p.y());
    if (button != 0) tools_->MouseDown(button, keyShift(e->modifiers()), p.x(), p.y());
}

void TVeldorCanvas::mouseMoveEvent(QMouseEvent* e)
{
    syncSize();
    const QPoint p = e->position().toPoint();
    lastPointer_ = p;
    emit OnMouseMove(this, mouseShift(e), p.x(), p.y());
    tools_->MouseMove(keyShift(e->modifiers()), p.x(), p.y());
}

void TVeldorCanvas::mouseReleaseEvent(QMouseEvent* e)
{
    const QPoint p = e->position().toPoint();
    const int button = buttonCode(e->button());
    emit OnMouseUp(this, button, mouseShift(e), p.x(), p.y());
    if (button != 0) tools_->MouseUp(button, keyShift(e->modifiers()), p.x(), p.y());
    if (button == inputcode::Left && pressButton_ == inputcode::Left && rect().contains(p)) emit OnClick(this);
    pressButton_ = 0;
}

void TVeldorCanvas::mouseDoubleClickEvent(QMouseEvent* e)
{
    // The second press of a double click: the double-click event, then a normal press.
    lastPointer_ = e->position().toPoint();
    emit OnDblClick(this);
    mousePressEvent(e);
}

void TVeldorCanvas::keyPressEvent(QKeyEvent* e)
{
    emit OnKeyDown(this, e->key(), keyShift(e->modifiers()));
    if (!tools_->KeyDown(e->key(), keyShift(e->modifiers()))) QWidget::keyPressEvent(e);
}

void TVeldorCanvas::keyReleaseEvent(QKeyEvent* e)
{
    if (!e->isAutoRepeat()) emit OnKeyUp(this, e->key(), keyShift(e->modifiers()));
    QWidget::keyReleaseEvent(e);
}

void TVeldorCanvas::wheelEvent(QWheelEvent* e)
{
    syncSize();
    const QPoint p = e->position().toPoint();
    tools_->Wheel(e->angleDelta().y(), p.x(), p.y());
    e->accept();
}

// ---- Tool notifications ----

void TVeldorCanvas::ShapeNumberSelected(int shapeType, int shapeId) { emit OnShapeNumberSelected(this, shapeType, shapeId); }

void TVeldorCanvas::WorldMouseMove(int shift, double x, double y, double magnitude, double angle)
{
    emit OnWorldMouseMove(this, shift, x, y, magnitude, angle);
}

void TVeldorCanvas::WorldMouseDown(int button, int shift, int tool, double x, double y)
{
    emit OnWorldMouseDown(this, button, shift, tool, x, y);
}

void TVeldorCanvas::DrawBegin(int shapeType, double x, double y) { emit OnDrawBegin(this, shapeType, x, y); }
void TVeldorCanvas::DrawEnd(int shapeType, double x, double y) { emit OnDrawEnd(this, shapeType, x, y); }
void TVeldorCanvas::DrawCancel(int tool) { emit OnDrawCancel(this, tool); }

void TVeldorCanvas::CursorChanged(CanvasCursor cursor)
{
    switch (cursor) {
    case CanvasCursor::Cross: setCursor(Qt::CrossCursor); break;
    case CanvasCursor::SizeAll: setCursor(Qt::SizeAllCursor); break;
    default: unsetCursor(); break;
    }
}

void TVeldorCanvas::OverlayChanged() { update(); }

} // namespace vsx
