// Drawing of the map shapes on a GdiPainter: the world-to-pixel rule and the per-class pixel
// rules. Far-away geometry is clipped in double precision before it becomes pixel integers.
#include "canvas/Shapes.h"

#include <algorithm>
#include <cmath>

namespace vsx {

namespace {

constexpr double kPixelLimit = 268435456.0;  // 2^28
// Points within this many pixels of the view are drawn unclipped.
constexpr double kSafeRange = 1 << 20;

int toPixel(double v)
{
    if (!(v == v)) return 0;  // NaN
    return int(std::floor(std::clamp(v, -kPixelLimit, kPixelLimit) + 0.5));
}

double guardExtent(double e) { return e == 0 ? 1.0 : e; }

struct PixelRect {
    double left, top, right, bottom;
};

PixelRect clipRect(const ShapeView& v, int penWidth)
{
    const double m = 64.0 + std::max(penWidth, 1);
    return {-m, -m, v.WidthPx + m, v.HeightPx + m};
}

// Liang-Barsky: clips the segment to the rectangle; false when nothing of it is inside.
bool clipSegment(double& x1, double& y1, double& x2, double& y2, const PixelRect& r)
{
    const double dx = x2 - x1, dy = y2 - y1;
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - r.left, r.right - x1, y1 - r.top, r.bottom - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
    }
    const double nx1 = x1 + t0 * dx, ny1 = y1 + t0 * dy;
    x2 = x1 + t1 * dx, y2 = y1 + t1 * dy;
    x1 = nx1, y1 = ny1;
    return true;
}

struct PixelPoint {
    double x, y;
};

bool nearView(const PixelPoint& p) { return std::abs(p.x) < kSafeRange && std::abs(p.y) < kSafeRange; }

GdiPoint toGdi(const PixelPoint& p) { return {toPixel(p.x), toPixel(p.y)}; }

// Sutherland-Hodgman against one edge of the clip rectangle.
template <class Inside, class Cross>
std::vector<PixelPoint> clipPolygonEdge(const std::vector<PixelPoint>& in, Inside inside, Cross cross)
{
    std::vector<PixelPoint> out;
    if (in.empty()) return out;
    PixelPoint prev = in.back();
    for (const PixelPoint& cur : in) {
        if (inside(cur)) {
            if (!inside(prev)) out.push_back(cross(prev, cur));
            out.push_back(cur);
        } else if (inside(prev)) {
            out.push_back(cross(prev, cur));
        }
        prev = cur;
    }
    return out;
}

std::vector<PixelPoint> clipPolygon(std::vector<PixelPoint> pts, const PixelRect& r)
{
    auto atX = [](double x) {
        return [x](const PixelPoint& a, const PixelPoint& b) {
            const double t = (x - a.x) / (b.x - a.x);
            return PixelPoint{x, a.y + t * (b.y - a.y)};
        };
    };
    auto atY = [](double y) {
        return [y](const PixelPoint& a, const PixelPoint& b) {
            const double t = (y - a.y) / (b.y - a.y);
            return PixelPoint{a.x + t * (b.x - a.x), y};
        };
    };
    pts = clipPolygonEdge(pts, [&](const PixelPoint& p) { return p.x >= r.left; }, atX(r.left));
    pts = clipPolygonEdge(pts, [&](const PixelPoint& p) { return p.x <= r.right; }, atX(r.right));
    pts = clipPolygonEdge(pts, [&](const PixelPoint& p) { return p.y >= r.top; }, atY(r.top));
    pts = clipPolygonEdge(pts, [&](const PixelPoint& p) { return p.y <= r.bottom; }, atY(r.bottom));
    return pts;
}

// A straight segment in pixel doubles, clipped when it reaches far outside the view.
void drawSegment(GdiPainter& p, PixelPoint a, PixelPoint b, const PixelRect& clip)
{
    if (!nearView(a) || !nearView(b)) {
        if (!clipSegment(a.x, a.y, b.x, b.y, clip)) return;
    }
    const GdiPoint ga = toGdi(a), gb = toGdi(b);
    p.MoveTo(ga.X, ga.Y);
    p.LineTo(gb.X, gb.Y);
}

// An open polyline; far-away parts are clipped segment by segment into visible runs.
void drawOpenPolyline(GdiPainter& p, const std::vector<PixelPoint>& pts, const PixelRect& clip)
{
    if (std::all_of(pts.begin(), pts.end(), nearView)) {
        std::vector<GdiPoint> g;
        g.reserve(pts.size());
        for (const PixelPoint& q : pts) g.push_back(toGdi(q));
        p.Polyline(g);
        return;
    }
    std::vector<GdiPoint> run;
    auto flush = [&] {
        if (run.size() >= 2) p.Polyline(run);
        run.clear();
    };
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
        PixelPoint a = pts[i], b = pts[i + 1];
        const bool wasClipped = !nearView(b);
        if (!clipSegment(a.x, a.y, b.x, b.y, clip)) {
            flush();
            continue;
        }
        const GdiPoint ga = toGdi(a), gb = toGdi(b);
        if (run.empty() || !(run.back() == ga)) {
            flush();
            run.push_back(ga);
        }
        run.push_back(gb);
        if (wasClipped) flush();
    }
    flush();
}

void drawFilledPolygon(GdiPainter& p, std::vector<PixelPoint> pts, const PixelRect& clip)
{
    if (!std::all_of(pts.begin(), pts.end(), nearView)) pts = clipPolygon(std::move(pts), clip);
    if (pts.size() < 2) return;
    std::vector<GdiPoint> g;
    g.reserve(pts.size());
    for (const PixelPoint& q : pts) g.push_back(toGdi(q));
    p.Polygon(g);
}

} // namespace

// ---- ShapeView ----

double ShapeView::PixelsPerUnitX() const { return WidthPx / guardExtent(XMax - XMin); }
double ShapeView::PixelsPerUnitY() const { return HeightPx / guardExtent(YMax - YMin); }
double ShapeView::PixelXf(double x) const { return (x - XMin) * WidthPx / guardExtent(XMax - XMin); }
double ShapeView::PixelYf(double y) const { return (YMax - y) * HeightPx / guardExtent(YMax - YMin); }
int ShapeView::PixelX(double x) const { return toPixel(PixelXf(x)); }
int ShapeView::PixelY(double y) const { return toPixel(PixelYf(y)); }

// ---- TVShape ----

void TVShape::Draw(GdiPainter& painter, const ShapeView& view) const
{
    Draw(painter, view, DrawStyle{PenColor, true});
}

ColorValue TVShape::DrawPenColor(const DrawStyle& style) const { return Selected ? clRed : style.PenColor; }

void TVShape::ApplyPen(GdiPainter& painter, const DrawStyle& style) const
{
    painter.SetPenColor(DrawPenColor(style));
    painter.SetPenWidth(PenWidth);
    painter.SetPenStyle(GdiPenStyle::Solid);
}

void TVShape::ApplyBrush(GdiPainter& painter) const
{
    painter.SetBrushColor(BrushColor);
    painter.SetBrushStyle(BrushStyle == 0 ? GdiBrushStyle::Solid : GdiBrushStyle::Clear);
}

// ---- Per class ----

void TVPoint::Draw(GdiPainter& p, const ShapeView& v, const DrawStyle& style) const
{
    if (!Visible) return;
    const int px = v.PixelX(X), py = v.PixelY(Y);
    const ColorValue c = DrawPenColor(style);
    const int s = PenWidth;
    if (s <= 0) {
        p.SetPixel(px, py, c);
    } else if (s == 1) {
        p.SetPixel(px, py, c);
        p.SetPixel(px + 1, py, c);
        p.SetPixel(px, py + 1, c);
        p.SetPixel(px + 1, py + 1, c);
    } else if (s <= 3) {
        const int h = (s + 1) / 2;
        p.SetBrushColor(c);
        p.SetBrushStyle(GdiBrushStyle::Solid);
        p.SetPenStyle(GdiPenStyle::Clear);
        p.FillRect(px - h, py - h, px + 1 + h, py + 1 + h);
        p.SetPenStyle(GdiPenStyle::Solid);
    } else {
        // The style is a size here, not a pen width: the disc covers exactly its box.
        const int r = (s + 1) / 2;
        p.SetPenColor(c);
        p.SetPenWidth(1);
        p.SetPenStyle(GdiPenStyle::Solid);
        p.SetBrushColor(c);
        p.SetBrushStyle(GdiBrushStyle::Solid);
        p.Ellipse(px - r, py - r, px + r, py + r);
    }
}

void TVLine::Draw(GdiPainter& p, const ShapeView& v, const DrawStyle& style) const
{
    if (!Visible) return;
    ApplyPen(p, style);
    drawSegment(p, {v.PixelXf(X1), v.PixelYf(Y1)}, {v.PixelXf(X2), v.PixelYf(Y2)}, clipRect(v, PenWidth));
}

void TVCircle::Draw(GdiPainter& p, const ShapeView& v, const DrawStyle& style) const
{
    if (!Visible) return;
    ApplyPen(p, style);
    ApplyBrush(p);
    const int px = v.PixelX(CX), py = v.PixelY(CY);
    const int rx = toPixel(R * v.PixelsPerUnitX()), ry = toPixel(R * v.PixelsPerUnitY());
    p.Ellipse(px - rx, py - ry, px + rx, py + ry);
}

void TVRectangle::Draw(GdiPainter& p, const ShapeView& v, const DrawStyle& style) const
{
    if (!Visible) return;
    int l = v.PixelX(X1), t = v.PixelY(Y1), r = v.PixelX(X2), b = v.PixelY(Y2);
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    if (PenWidth == 0 && BrushStyle == 0 && !Selected && !Rounded) {
        p.SetBrushColor(BrushColor);
        p.SetBrushStyle(GdiBrushStyle::Solid);
        p.FillRect(l, t, r, b);
        return;
    }
    ApplyPen(p, style);
    ApplyBrush(p);
    if (Rounded) {
        const int c = int(std::trunc(std::min(v.PixelsPerUnitX(), v.PixelsPerUnitY()) * CornerRadius));
        p.RoundRect(l, t, r, b, c, c);
    } else {
        p.Rectangle(l, t, r, b);
    }
}

void TVEllipse::Draw(GdiPainter& p, const ShapeView& v, const DrawStyle& style) const
{
    if (!Visible) return;
    ApplyPen(p, style);
    ApplyBrush(p);
    p.Ellipse(v.PixelX(X1), v.PixelY(Y1), v.PixelX(X2), v.PixelY(Y2));
}

void TVText::Draw(GdiPainter& p, const ShapeView& v, const DrawStyle& style) const
{
    if (!Visible || Text.empty()) return;
    const int px = v.PixelX(X), py = v.PixelY(Y);
    if (px < -500 || px > v.WidthPx + 500 || py < -100 || py > v.HeightPx + 100) return;

    ColorValue colour = DrawPenColor(style);
    // Very light pens become black, but only on a light background: on a dark one that would
    // draw black on black.
    if (!Selected && style.LightBackground && redOf(colour) + greenOf(colour) + blueOf(colour) >= 603) colour = clBlack;

    GdiFont font = p.Font();
    font.Name = FontName;
    font.Size = FontPoints();
    font.Color = colour;
    font.Bold = Bold != 0;
    font.Italic = Italic != 0;
    font.Orientation = int(std::trunc(Angle * 10));
    p.SetFont(font);
    p.SetBrushStyle(GdiBrushStyle::Clear);

    const int w = p.TextWidth(Text), h = p.TextHeight(Text);
    const int dx = HAlign == 2 ? -w : HAlign == 1 ? -(w / 2) : 0;
    const int dy = VAlign == 2 ? -h : VAlign == 1 ? -(h / 2) : 0;
    p.TextOut(px + dx, py + dy, Text);
}

void TVPolyline::Draw(GdiPainter& p, const ShapeView& v, const DrawStyle& style) const
{
    if (!Visible || Vertices.size() < 2) return;
    ApplyPen(p, style);
    ApplyBrush(p);
    const PixelRect clip = clipRect(v, PenWidth);

    std::vector<PixelPoint> pts;
    pts.reserve(Vertices.size());
    for (const WorldPoint& w : Vertices) pts.push_back({v.PixelXf(w.X), v.PixelYf(w.Y)});

    const std::size_t n = pts.size();
    if (ShapeType == shapecode::Arc && n == 3) {
        // One curve through the first and last vertex with the middle one as its control point.
        const GdiPoint p0 = toGdi(pts[0]), p1 = toGdi(pts[1]), p2 = toGdi(pts[2]);
        auto ctrl = [](GdiPoint from, GdiPoint mid) {
            return GdiPoint{int(from.X + (mid.X - from.X) * 2.0 / 3.0), int(from.Y + (mid.Y - from.Y) * 2.0 / 3.0)};
        };
        p.PolyBezier({p0, ctrl(p0, p1), ctrl(p2, p1), p2});
        return;
    }
    if (ShapeType == shapecode::Spline) {
        std::vector<GdiPoint> g;
        g.reserve(n);
        for (const PixelPoint& q : pts) g.push_back(toGdi(q));
        for (std::size_t i = 0; i + 1 < n; ++i) {
            const GdiPoint a = g[i], b = g[i + 1];
            const GdiPoint prev = i > 0 ? g[i - 1] : GdiPoint{2 * a.X - b.X, 2 * a.Y - b.Y};
            const GdiPoint next = i + 2 < n ? g[i + 2] : GdiPoint{2 * b.X - a.X, 2 * b.Y - a.Y};
            const double t0x = (b.X - prev.X) * 0.5, t0y = (b.Y - prev.Y) * 0.5;
            const double t1x = (next.X - a.X) * 0.5, t1y = (next.Y - a.Y) * 0.5;
            const GdiPoint c1{int(a.X + t0x / 3), int(a.Y + t0y / 3)};
            const GdiPoint c2{int(b.X - t1x / 3), int(b.Y - t1y / 3)};
            p.PolyBezier({a, c1, c2, b});
        }
        return;
    }
    if (n == 2 || !Closed)
        drawOpenPolyline(p, pts, clip);
    else
        drawFilledPolygon(p, std::move(pts), clip);
}

void TVArc::Draw(GdiPainter& p, const ShapeView& v, const DrawStyle& style) const
{
    if (!Visible) return;
    ApplyPen(p, style);
    const PixelRect clip = clipRect(v, PenWidth);
    const PixelPoint a{v.PixelXf(X1), v.PixelYf(Y1)}, b{v.PixelXf(X2), v.PixelYf(Y2)}, c{v.PixelXf(X3), v.PixelYf(Y3)};
    if (nearView(a) && nearView(b) && nearView(c)) {
        const GdiPoint ga = toGdi(a), gb = toGdi(b), gc = toGdi(c);
        p.MoveTo(ga.X, ga.Y);
        p.LineTo(gb.X, gb.Y);
        p.LineTo(gc.X, gc.Y);
        return;
    }
    drawSegment(p, a, b, clip);
    drawSegment(p, b, c, clip);
}

} // namespace vsx
