#pragma once
// TVeldorCanvas, the map control: a widget that owns the drawing (CanvasModel) and shows it.
// It keeps a back buffer of background, grid and shapes that is rebuilt only when the drawing or
// the view changed (the model's Dirty flag) or the size changed; every paint copies it and draws
// the overlays over it (rubber band, measure line, depth labels, event marks, HUDs, scale bar).
// Mouse and keys drive the drawing tools (CanvasTools) and raise the signals other windows bind.
//
// The drawing, its layers and shapes and the view are reached through Model(); a change made
// there repaints the control by itself. The widget adds what needs a window: painting, the
// overlay and HUD operations, the grid settings, the tools and the input signals.
#include "canvas/CanvasGrid.h"
#include "canvas/CanvasModel.h"
#include "canvas/CanvasOverlays.h"
#include "canvas/CanvasRenderer.h"
#include "canvas/CanvasSettings.h"
#include "canvas/CanvasTools.h"
#include "canvas/WorldImagery.h"

#include <QImage>
#include <QWidget>
#include <memory>

namespace vsx {

class TVeldorCanvas : public QWidget, private CanvasToolEvents {
    Q_OBJECT
public:
    explicit TVeldorCanvas(QWidget* parent = nullptr);
    ~TVeldorCanvas() override;

    CanvasModel& Model() { return *model_; }
    const CanvasModel& Model() const { return *model_; }

    // The values read from other windows while painting; all canvases share
    // CanvasSettings::Shared() unless given another.
    void SetSettings(std::shared_ptr<CanvasSettings> settings);
    CanvasSettings& Settings() { return *settings_; }

    // ---- Repaint ----
    void Update();  // rebuild the back buffer and repaint asynchronously
    void Redraw();  // the same
    // Off: changes that ask for an immediate repaint (deleting a layer's shapes, ...) repaint
    // with the next pass of the event loop instead, so a refresh that rebuilds several layers
    // paints once.
    void SetSynchronousRepaints(bool on) { synchronousRepaints_ = on; }
    // Paints one frame (back buffer, rebuilt when needed, plus overlays) into `image`, which is
    // sized to the control. What paintEvent shows; used by screenshots and tests.
    void RenderFrame(QImage& image);
    const QImage& BackBuffer() const { return backBuffer_; }
    int RebuildCount() const { return rebuilds_; }

    // ---- World imagery under the drawing ----
    void SetShowImagery(bool shown);
    bool GetShowImagery() const { return imagery_->Shown(); }
    void SetTileCacheFolder(const std::string& folder) { imagery_->SetCacheFolder(folder); }
    // Drops the decoded tiles (the disk files stay) and repaints.
    void ClearTileCache();
    WorldImagery& Imagery() { return *imagery_; }

    // ---- Grid (this canvas's own) ----
    const CanvasGrid& Grid() const { return grid_; }
    void SetGrid(const CanvasGrid& grid);
    void SetGridShown(bool shown);
    void SetGridAutoSpacing(bool automatic);
    void SetGridStep(double stepX, double stepY);  // 0 chooses the spacing from the view
    void SetGridLineColor(ColorValue color);
    void SetGridOnTop(int onTop);

    // ---- Overlays and HUDs (repaint without a rebuild) ----
    void AddSounding(double x, double y, double z) { model_->AddSounding(x, y, z); }
    void ClearSoundings() { model_->ClearSoundings(); }
    void SetSoundingStyle(int show, double spacing, std::string_view fontName, int fontSize, ColorValue color)
    {
        model_->SetSoundingStyle(show, spacing, fontName, fontSize, color);
    }
    const std::vector<SoundingPoint>& Soundings() const { return model_->Soundings(); }
    void AddEventMarker(double x, double y, int number) { model_->AddEventMarker(x, y, number); }
    void ClearEventMarkers() { model_->ClearEventMarkers(); }
    void SetDepthHud(double depth1, double depth2, bool show);
    void SetHudValue(double speedKnots, bool show);
    void CycleSpeedHudPosition();
    void CycleHeadingHudPosition();
    int SpeedHudCorner() const { return hud_.SpeedCorner; }
    void SetSpeedHudCorner(int corner);      // values outside 0..3 draw as corner 0
    int HeadingHudCorner() const { return hud_.HeadingCorner; }
    void SetHeadingHudCorner(int corner);
    void SetHeadingHudPlain(bool plain);
    const HudState& Hud() const { return hud_; }
    // True when the pixel lies in the heading HUD box, at the corner where it is drawn.
    bool HitHeadingHud(int px, int py);
    void StartMeasure(double x, double y) { tools_->StartMeasure(x, y); }
    void UpdateMeasureEnd(double x, double y, double distance, double bearing) { tools_->UpdateMeasureEnd(x, y, distance, bearing); }
    void EndMeasure() { tools_->EndMeasure(); }
    const MeasureState& Measure() const { return tools_->Measure(); }

    // ---- Tools and input ----
    int Tool() const { return tools_->Tool(); }
    void SetTool(int tool) { tools_->SetTool(tool); }
    bool KeepTool() const { return tools_->KeepTool; }
    void SetKeepTool(bool keep) { tools_->KeepTool = keep; }
    bool RightClickMeasure() const { return tools_->RightClickMeasure; }
    void SetRightClickMeasure(bool on) { tools_->RightClickMeasure = on; }
    bool DeleteKeyDeletes() const { return tools_->DeleteKeyDeletes; }
    void SetDeleteKeyDeletes(bool on) { tools_->DeleteKeyDeletes = on; }
    int CurrentLayer() const { return model_->CurrentLayer(); }
    void SetCurrentLayer(int id) { model_->SetCurrentLayer(id); }
    void CancelDrag() { tools_->CancelDrag(); }
    WorldPoints GetPolygonVertices() const { return tools_->GetPolygonVertices(); }
    const CanvasTools& Tools() const { return *tools_; }

    // Where the mouse last went down, moved or double-clicked on the control (pixels).
    QPoint LastPointerPixel() const { return lastPointer_; }

    // World point under a pixel and back, through the map rotation.
    void ScreenToWorld(double px, double py, double& x, double& y) const;
    void WorldToScreen(double x, double y, int& px, int& py) const;

signals:
    // The control's own events, raised before the world events of the same input. Button and
    // shift codes are those of inputcode (shift: 1 Shift, 2 Ctrl, 4 Alt, 8/16/32 buttons held).
    void OnMouseDown(vsx::TVeldorCanvas* sender, int button, int shift, int x, int y);
    void OnMouseMove(vsx::TVeldorCanvas* sender, int shift, int x, int y);
    void OnMouseUp(vsx::TVeldorCanvas* sender, int button, int shift, int x, int y);
    void OnClick(vsx::TVeldorCanvas* sender);
    void OnDblClick(vsx::TVeldorCanvas* sender);
    void OnKeyDown(vsx::TVeldorCanvas* sender, int key, int shift);  // Qt key code
    // The key went up; a held key's repeats raise OnKeyDown only, and one OnKeyUp at the end.
    void OnKeyUp(vsx::TVeldorCanvas* sender, int key, int shift);
    void OnResize(vsx::TVeldorCanvas* sender);

    // World events.
    void OnShapeNumberSelected(vsx::TVeldorCanvas* sender, int shapeType, int shapeNumber);
    void OnWorldMouseMove(vsx::TVeldorCanvas* sender, int shift, double x, double y, double magnitude, double angle);
    void OnWorldMouseDown(vsx::TVeldorCanvas* sender, int button, int shift, int action, double x, double y);
    void OnDrawBegin(vsx::TVeldorCanvas* sender, int shapeType, double x, double y);
    void OnDrawEnd(vsx::TVeldorCanvas* sender, int shapeType, double x, double y);
    // An interactive drawing was abandoned (Escape or CancelDrag) without OnDrawEnd.
    void OnDrawCancel(vsx::TVeldorCanvas* sender, int tool);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // CanvasToolEvents
    void ShapeNumberSelected(int shapeType, int shapeId) override;
    void WorldMouseMove(int shift, double x, double y, double magnitude, double angle) override;
    void WorldMouseDown(int button, int shift, int tool, double x, double y) override;
    void DrawBegin(int shapeType, double x, double y) override;
    void DrawEnd(int shapeType, double x, double y) override;
    void DrawCancel(int tool) override;
    void CursorChanged(CanvasCursor cursor) override;
    void OverlayChanged() override;

    void modelChanged(CanvasChange kind);
    void syncSize();
    void paintFrame(QPainter& painter);
    void ensureBackBuffer();
    OverlayInputs overlayInputs(const CanvasViewMapping& mapping) const;
    void gridChanged();

    std::unique_ptr<CanvasModel> model_;
    std::unique_ptr<CanvasTools> tools_;
    std::shared_ptr<CanvasSettings> settings_;
    CanvasRenderer renderer_;
    std::unique_ptr<WorldImagery> imagery_;
    CanvasOverlayPainter overlays_;
    CanvasGrid grid_;
    HudState hud_;
    QImage backBuffer_;
    int rebuilds_ = 0;
    int pressButton_ = 0;
    bool synchronousRepaints_ = true;
    QPoint lastPointer_;
};

} // namespace vsx
