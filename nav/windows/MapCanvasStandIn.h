#pragma once
// The main window's map control until the full map widget (TVeldorCanvas, with its tools,
// overlays and imagery) is in the program: it owns the drawing, paints its shapes over the
// background, shows the status line and the speed and depth read-outs in a corner, and raises a
// signal for the context menu. Its operations carry the names of the full widget's, so the main
// window changes only its type when that widget arrives.
#include "canvas/CanvasModel.h"
#include "canvas/ShapeRenderer.h"

#include <QWidget>
#include <memory>
#include <string>

namespace vsx {

class MapCanvasStandIn : public QWidget {
    Q_OBJECT
public:
    explicit MapCanvasStandIn(QWidget* parent = nullptr);
    ~MapCanvasStandIn() override;

    CanvasModel& Model() { return *model_; }
    const CanvasModel& Model() const { return *model_; }

    void Update() { update(); }
    void Redraw() { model_->Redraw(); }
    void SetBackgroundColor(ColorValue c) { model_->SetBackgroundColor(c); }

    void SetHudValue(double speedKnots, bool show);
    void SetDepthHud(double depth1, double depth2, bool show);
    double HudSpeed() const { return speed_; }
    double HudDepth() const { return depth1_; }
    // The heading box's status text and fix colour (written by the map loop).
    void SetHudStatus(const std::string& text, int fixQuality, bool noPosition);

    bool ShowImagery() const { return imagery_; }
    void SetShowImagery(bool on) { imagery_ = on; }
    bool GridAutoSpacing() const { return gridAuto_; }
    void SetGridAutoSpacing(bool on) { gridAuto_ = on; }
    int SpeedHudCorner() const { return speedCorner_; }
    void SetSpeedHudCorner(int corner) { speedCorner_ = corner; }
    int HeadingHudCorner() const { return headingCorner_; }
    void SetHeadingHudCorner(int corner) { headingCorner_ = corner; }

    int PaintCount() const { return paints_; }

signals:
    void contextMenuRequested(QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    std::unique_ptr<CanvasModel> model_;
    ShapeRenderer renderer_;
    double speed_ = 0, depth1_ = 0, depth2_ = 0;
    bool showSpeed_ = false, showDepth_ = false;
    std::string status_;
    int fixQuality_ = 0;
    bool imagery_ = false, gridAuto_ = true;
    int speedCorner_ = 0, headingCorner_ = 0;
    int paints_ = 0;
};

} // namespace vsx
