#include "canvas/CanvasRenderer.h"

#include "canvas/CanvasModel.h"
#include "canvas/CanvasViewMapping.h"
#include "canvas/QtGdiPainter.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <typeinfo>

namespace vsx {

namespace {

// Segments whose ends lie this far outside the view go through the shape's own clipping draw.
constexpr double kNearView = 1 << 20;
// Points per stroked run: short runs keep a wide pen's stroker cheap.
constexpr std::size_t kThinRun = 512;
constexpr std::size_t kWideRun = 48;
// Pens up to this width are stroked segment by segment with square ends.
constexpr int kSquareCapWidth = 3;

// floor(v + 0.5) for |v| < 2^20 without a library call. The scale is multiplied in rather than
// divided as ShapeView does; the two can differ at an exact half pixel, by one pixel.
inline int roundPixel(double v) { return int(v + 0.5 + 2097152.0) - 2097152; }

// Values of the per-layer table: not drawn, drawn, drawn in the layer's own colour.
constexpr char kLayerHidden = 0;
constexpr char kLayerShown = 1;
constexpr char kLayerKeepsColor = 2;

// The pen colour of each shape on the background, cached: tracks repeat one pen colour for
// thousands of segments.
class PenColors {
public:
    explicit PenColors(const CanvasModel& m) : model_(m) {}
    ColorValue operator()(ColorValue c, char layerKind)
    {
        Entry& e = layerKind == kLayerKeepsColor ? kept_ : contrast_;
        if (!e.valid || c != e.in) {
            e.in = c, e.valid = true;
            e.out = layerKind == kLayerKeepsColor ? model_.KeptColor(c) : model_.ContrastColor(c);
        }
        return e.out;
    }

private:
    struct Entry {
        bool valid = false;
        ColorValue in = 0, out = 0;
    };
    const CanvasModel& model_;
    Entry contrast_, kept_;
};

} // namespace

void CanvasRenderer::Rebuild(QImage& buffer, CanvasModel& model, const CanvasGrid& grid)
{
    const int w = std::max(model.ViewWidth(), 1), h = std::max(model.ViewHeight(), 1);
    if (buffer.width() != w || buffer.height() != h || buffer.format() != QImage::Format_RGB32)
        buffer = QImage(w, h, QImage::Format_RGB32);
    buffer.fill(toQColor(model.BackgroundColor()));

    QPainter qp(&buffer);
    qp_ = &qp;
    QtGdiPainter painter(qp);
    const CanvasViewMapping mapping(model);
    if (mapping.Rotated()) SetPainterTransform(painter, mapping.DeviceToScreen());
    if (backgroundStep_) {
        qp.save();
        backgroundStep_(qp, model, mapping);
        qp.restore();
    }
    if (grid.OnTop == 0) drawGrid(painter, model, grid, mapping);
    drawShapes(painter, model, mapping);
    if (grid.OnTop == 1) drawGrid(painter, model, grid, mapping);
    if (mapping.Rotated()) painter.ResetWorldTransform();
    qp_ = nullptr;
    model.SetDirty(false);
}

void CanvasRenderer::drawShapes(GdiPainter& painter, CanvasModel& model, const CanvasViewMapping& mapping)
{
    drawn_ = 0;
    index_.Update(model);
    const std::span<const TVShape* const> shapes = model.Shapes();

    layerVisible_.assign(std::size_t(std::max(model.NextLayerId(), 0)) + 1, kLayerHidden);
    for (const CanvasLayer* l : model.Layers())
        if (l->Visible && l->Id >= 0 && l->Id <= model.NextLayerId())
            layerVisible_[std::size_t(l->Id)] = l->KeepsColor ? kLayerKeepsColor : kLayerShown;

    const WorldBox box = mapping.VisibleBox();
    ShapeView view = model.View();
    const int W = view.WidthPx < 2 ? 1 : view.WidthPx;
    double sx = view.XMax - view.XMin;
    if (!(sx > 0)) sx = 1;
    const double f = sx / W;  // one pixel in world units
    QTransform deviceToScreen = mapping.DeviceToScreen();
    if (mapping.Rotated()) {
        // The turned screen shows device pixels beyond the window, where the shapes' own
        // clipping would leave them out: draw on a device space grown by a margin around the
        // window (same scale) and shift it back in the transform.
        const double over = std::max({view.XMin - box.XMin, box.XMax - view.XMax, view.YMin - box.YMin, box.YMax - view.YMax});
        const int k = int(std::clamp(std::ceil(over / f), 0.0, double(1 << 24)));
        const double fy = view.HeightPx > 0 ? (view.YMax - view.YMin) / view.HeightPx : f;
        view.XMin -= k * f, view.XMax += k * f;
        view.YMin -= k * fy, view.YMax += k * fy;
        view.WidthPx += 2 * k, view.HeightPx += 2 * k;
        deviceToScreen = QTransform::fromTranslate(-k, -k) * deviceToScreen;
        SetPainterTransform(painter, deviceToScreen);
    }
    const double halfPixel = 0.5 * f;

    // The segment fast path maps with the same rule as ShapeView.
    const double kx = view.PixelsPerUnitX(), ky = view.PixelsPerUnitY();
    const double xmin = view.XMin, ymax = view.YMax;

    PenColors pen(model);
    const bool light = model.LightBackground();
    int lastPointX = -9999, lastPointY = -9999;
    texts_.clear();

    const std::size_t from = index_.StartWithinBudget(box, budget_);
    leftOut_ = from;
    index_.ForEachOverlapping(box, from, [&](std::size_t first, std::size_t last) {
        for (std::size_t i = first; i < last; ++i) {
            const TVShape* s = shapes[i];
            if (!s->Visible) continue;
            const std::size_t layer = std::size_t(s->LayerId);
            if (layer >= layerVisible_.size() || layerVisible_[layer] == kLayerHidden) continue;  // negative ids wrap
            const char layerKind = layerVisible_[layer];
            if (!box.Overlaps(s->MinX, s->MinY, s->MaxX, s->MaxY)) continue;

            if (s->ShapeType == shapecode::Line && typeid(*s) == typeid(TVLine)) {
                const TVLine* line = static_cast<const TVLine*>(s);
                const double ax = (line->X1 - xmin) * kx, ay = (ymax - line->Y1) * ky;
                const double bx = (line->X2 - xmin) * kx, by = (ymax - line->Y2) * ky;
                const ColorValue c = s->Selected ? clRed : pen(s->PenColor, layerKind);
                ++drawn_;
                if (std::abs(ax) < kNearView && std::abs(ay) < kNearView && std::abs(bx) < kNearView &&
                    std::abs(by) < kNearView) {
                    addSegment(painter, c, s->PenWidth, {roundPixel(ax), roundPixel(ay)}, {roundPixel(bx), roundPixel(by)});
                } else {
                    flushRun(painter);
                    s->Draw(painter, view, DrawStyle{pen(s->PenColor, layerKind), light});
                }
                continue;
            }
            const int type = s->ShapeType;
            if (type == shapecode::Text) {
                texts_.push_back(s);
                continue;
            }
            if (type == shapecode::Point) {
                if (const TVPoint* p = dynamic_cast<const TVPoint*>(s)) {
                    const int px = int(std::clamp((p->X - xmin) / f, -1e9, 1e9));
                    const int py = int(std::clamp((ymax - p->Y) / f, -1e9, 1e9));
                    if (std::abs(px - lastPointX) <= 2 && std::abs(py - lastPointY) <= 2) continue;
                    if (s->MaxX - s->MinX < halfPixel && s->MaxY - s->MinY < halfPixel) continue;
                    lastPointX = px, lastPointY = py;
                }
            } else if (type != shapecode::Rectangle && type != shapecode::Line && s->MaxX - s->MinX < halfPixel &&
                       s->MaxY - s->MinY < halfPixel) {
                continue;
            }
            flushRun(painter);
            s->Draw(painter, view, DrawStyle{pen(s->PenColor, layerKind), light});
            ++drawn_;
        }
    });
    flushRun(painter);
    drawTexts(painter, model, view, deviceToScreen, mapping.Rotated(), f);
    if (mapping.Rotated()) SetPainterTransform(painter, mapping.DeviceToScreen());
}

void CanvasRenderer::drawTexts(GdiPainter& painter, const CanvasModel& model, const ShapeView& view,
                               const QTransform& deviceToScreen, bool rotated, double f)
{
    if (texts_.empty()) return;
    const int W = model.ViewWidth() < 2 ? 1 : model.ViewWidth(), H = model.ViewHeight() < 2 ? 1 : model.ViewHeight();
    const int cols = W / 60 + 2, rows = H / 60 + 2;
    cells_.assign(std::size_t(cols) * std::size_t(rows), 0);
    PenColors pen(model);
    const bool light = model.LightBackground();
    for (const TVShape* s : texts_) {
        // Only shapes of shown layers were collected.
        const char layerKind = layerVisible_[std::size_t(s->LayerId)];
        const TVText* t = dynamic_cast<const TVText*>(s);
        if (!t) {
            s->Draw(painter, view, DrawStyle{pen(s->PenColor, layerKind), light});
            ++drawn_;
            continue;
        }
        // The anchor's cell on the screen (turned with the map when it is rotated).
        QPointF at((t->X - view.XMin) / f, (view.YMax - t->Y) / f);
        if (rotated) at = deviceToScreen.map(at);
        const auto cell = [](double v, int count, int limit) {
            const double c = std::trunc(std::clamp(v, -1e9, 1e9));
            int k = c < 0 ? 0 : int(c) / 60;
            if (k >= count) k = limit;
            return k;
        };
        const int col = cell(at.x(), cols, W / 60 + 1), row = cell(at.y(), rows, H / 60 + 1);
        char& taken = cells_[std::size_t(row) * std::size_t(cols) + std::size_t(col)];
        if (taken) continue;
        taken = 1;
        s->Draw(painter, view, DrawStyle{pen(s->PenColor, layerKind), light});
        ++drawn_;
    }
}

void CanvasRenderer::addSegment(GdiPainter& painter, ColorValue color, int width, GdiPoint a, GdiPoint b)
{
    if (a == b) return;  // a zero-length stroke draws nothing
    std::vector<GdiPoint>& pts = run_.Points;
    if (!pts.empty() && run_.Last == a && run_.Color == color && run_.Width == width) {
        run_.Last = b;
        // A wide pen covers the pixels next to its path: steps shorter than the slack are left
        // out and the path runs straight on to the next point beyond them.
        const int slack = width <= 1 ? 0 : std::max(1, width / 2);
        const GdiPoint& kept = pts.back();
        if (std::max(std::abs(b.X - kept.X), std::abs(b.Y - kept.Y)) <= slack) {
            run_.Pending = true;
            return;
        }
        run_.Pending = false;
        pts.push_back(b);
        if (pts.size() >= (width <= 1 ? kThinRun : kWideRun)) {
            flushRun(painter);
            pts.push_back(b);
            run_.Last = b;
        }
        return;
    }
    flushRun(painter);
    run_.Color = color;
    run_.Width = width;
    pts.push_back(a);
    pts.push_back(b);
    run_.Last = b;
}

void CanvasRenderer::flushRun(GdiPainter& painter)
{
    if (run_.Pending) {
        run_.Points.push_back(run_.Last);  // the run ends where its last segment ends
        run_.Pending = false;
    }
    const std::vector<GdiPoint>& pts = run_.Points;
    if (pts.size() >= 2 && run_.Width <= kSquareCapWidth && qp_) {
        // One batch of separate segments, each as the painter's LineTo draws it: one-pixel
        // pens without their end pixel; narrow wide pens through the rasterizer's line path
        // with square ends, which cover the joints as round ends would (they differ by corner
        // pixels only) at a fraction of the cost of stroking round joins.
        const bool thin = run_.Width <= 1;
        QPen pen(toQColor(run_.Color), thin ? 0 : run_.Width, Qt::SolidLine, thin ? Qt::FlatCap : Qt::SquareCap, Qt::MiterJoin);
        qp_->setPen(pen);
        lines_.clear();
        for (std::size_t i = 0; i + 1 < pts.size(); ++i) lines_.emplace_back(pts[i].X, pts[i].Y, pts[i + 1].X, pts[i + 1].Y);
        qp_->drawLines(lines_.data(), int(lines_.size()));
    } else if (pts.size() >= 2) {
        painter.SetPenColor(run_.Color);
        painter.SetPenWidth(run_.Width);
        painter.SetPenStyle(GdiPenStyle::Solid);
        painter.Polyline(pts);
    }
    run_.Points.clear();
}

void CanvasRenderer::drawGrid(GdiPainter& painter, const CanvasModel& model, const CanvasGrid& grid,
                              const CanvasViewMapping& mapping)
{
    if (!grid.Shown || !(model.WorldWidth() > 0) || !(model.WorldHeight() > 0)) return;
    // Lines cover the whole screen, also the corners a rotation turns into view.
    const WorldBox box = mapping.VisibleBox();
    const GridSpacing step = ChooseGridSpacing(grid, model.WorldWidth(), box.XMax - box.XMin, box.YMax - box.YMin);
    if (!(step.X > 0) || !(step.Y > 0)) return;
    const int W = model.ViewWidth(), H = model.ViewHeight();

    painter.SetPenColor(grid.LineColor);
    painter.SetPenWidth(1);
    painter.SetPenStyle(GdiPenStyle::Dot);
    std::vector<double> xs, ys;
    // The spacing keeps the count near MaxGridLines; the counter also stops coordinates so large
    // that adding one step no longer changes them.
    const int maxLines = int(MaxGridLines) + 2;
    for (double k = std::floor(box.XMin / step.X); int(xs.size()) < maxLines; ++k) {
        const double x = k * step.X;
        if (x > box.XMax) break;
        xs.push_back(x);
        int x1, y1, x2, y2;
        model.WorldToScreen(x, box.YMax, x1, y1);
        model.WorldToScreen(x, box.YMin, x2, y2);
        painter.MoveTo(x1, y1);
        painter.LineTo(x2, y2);
    }
    for (double k = std::floor(box.YMin / step.Y); int(ys.size()) < maxLines; ++k) {
        const double y = k * step.Y;
        if (y > box.YMax) break;
        ys.push_back(y);
        int x1, y1, x2, y2;
        model.WorldToScreen(box.XMin, y, x1, y1);
        model.WorldToScreen(box.XMax, y, x2, y2);
        painter.MoveTo(x1, y1);
        painter.LineTo(x2, y2);
    }
    painter.SetPenStyle(GdiPenStyle::Solid);

    GdiFont font;
    font.Name = "Tahoma";
    font.Size = 8;
    font.Color = clBlack;
    painter.SetFont(font);
    painter.SetBrushColor(clWhite);
    painter.SetBrushStyle(GdiBrushStyle::Solid);
    for (double x : xs) {
        const int px = model.WorldXToScreen(x);
        if (px < 5 || px > W - 50) continue;
        const std::string t = GridLabel(x, step.X);
        const int tw = painter.TextWidth(t), th = painter.TextHeight(t);
        painter.FillRect(px - tw / 2 - 2, H - th - 4, px + tw / 2 + 2, H - 2);
        painter.TextOut(px - tw / 2, H - th - 3, t);
    }
    for (double y : ys) {
        const int py = model.WorldYToScreen(y);
        if (py < 15 || py > H - 20) continue;
        const std::string t = GridLabel(y, step.Y);
        const int tw = painter.TextWidth(t), th = painter.TextHeight(t);
        painter.FillRect(2, py - th / 2 - 1, tw + 6, py + th / 2 + 1);
        painter.TextOut(4, py - th / 2, t);
    }
    painter.SetBrushStyle(GdiBrushStyle::Clear);
}

} // namespace vsx
