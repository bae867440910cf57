#include "canvas/QtGdiPainter.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QTransform>
#include <cmath>

namespace vsx {

int fontPixelSize(int points)
{
    // MulDiv rounds half away from zero.
    const long long n = static_cast<long long>(points) * 96;
    return int(n >= 0 ? (n + 36) / 72 : -((-n + 36) / 72));
}

namespace {

QString qtext(std::string_view utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }

QRect outlineRect(int left, int top, int right, int bottom)
{
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    // The old rectangle covers [left, right) x [top, bottom); Qt's outline covers its width + 1.
    return QRect(left, top, std::max(right - left - 1, 0), std::max(bottom - top - 1, 0));
}

} // namespace

QtGdiPainter::QtGdiPainter(QPainter& painter) : p_(painter)
{
    p_.setRenderHint(QPainter::Antialiasing, false);
    p_.setRenderHint(QPainter::TextAntialiasing, true);
    SetFont(font_);
}

void QtGdiPainter::SetPenColor(ColorValue c) { penColor_ = c; }
void QtGdiPainter::SetPenWidth(int width) { penWidth_ = width; }
void QtGdiPainter::SetPenStyle(GdiPenStyle style) { penStyle_ = style; }
void QtGdiPainter::SetBrushColor(ColorValue c) { brushColor_ = c; }
void QtGdiPainter::SetBrushStyle(GdiBrushStyle style) { brushStyle_ = style; }

void QtGdiPainter::SetPenMode(GdiPenMode mode)
{
    penMode_ = mode;
    p_.setCompositionMode(mode == GdiPenMode::Xor ? QPainter::RasterOp_SourceXorDestination
                                                  : QPainter::CompositionMode_SourceOver);
}

void QtGdiPainter::SetFont(const GdiFont& font)
{
    font_ = font;
    qfont_ = QFont(qtext(font.Name));
    qfont_.setPixelSize(std::max(1, fontPixelSize(font.Size)));
    qfont_.setBold(font.Bold);
    qfont_.setItalic(font.Italic);
    metrics_.reset();
}

const QFontMetrics& QtGdiPainter::metrics()
{
    if (!metrics_) metrics_.emplace(qfont_);
    return *metrics_;
}

void QtGdiPainter::applyPen()
{
    if (penStyle_ == GdiPenStyle::Clear) {
        p_.setPen(Qt::NoPen);
        return;
    }
    // Width 0 and 1 are one-pixel (cosmetic) pens; a flat cap leaves out the end pixel.
    QPen pen(toQColor(penColor_), penWidth_ <= 1 ? 0 : penWidth_);
    pen.setStyle(penStyle_ == GdiPenStyle::Dot ? Qt::DotLine : Qt::SolidLine);
    pen.setCapStyle(penWidth_ <= 1 ? Qt::FlatCap : Qt::RoundCap);
    pen.setJoinStyle(penWidth_ <= 1 ? Qt::MiterJoin : Qt::RoundJoin);
    p_.setPen(pen);
}

void QtGdiPainter::applyBrush()
{
    if (brushStyle_ == GdiBrushStyle::Clear)
        p_.setBrush(Qt::NoBrush);
    else
        p_.setBrush(toQColor(brushColor_));
}

void QtGdiPainter::SetPixel(int x, int y, ColorValue c) { p_.fillRect(QRect(x, y, 1, 1), toQColor(c)); }

void QtGdiPainter::MoveTo(int x, int y) { pos_ = QPoint(x, y); }

void QtGdiPainter::strokeSegment(QPoint a, QPoint b)
{
    if (a == b) return;
    p_.drawLine(a, b);
}

void QtGdiPainter::LineTo(int x, int y)
{
    applyPen();
    const QPoint to(x, y);
    strokeSegment(pos_, to);
    pos_ = to;
}

void QtGdiPainter::Rectangle(int left, int top, int right, int bottom)
{
    applyPen();
    applyBrush();
    if (penStyle_ == GdiPenStyle::Clear) {
        if (brushStyle_ != GdiBrushStyle::Clear) FillRect(left, top, right, bottom);
        return;
    }
    p_.drawRect(outlineRect(left, top, right, bottom));
}

void QtGdiPainter::RoundRect(int left, int top, int right, int bottom, int cornerW, int cornerH)
{
    applyPen();
    applyBrush();
    p_.drawRoundedRect(outlineRect(left, top, right, bottom), cornerW / 2.0, cornerH / 2.0, Qt::AbsoluteSize);
}

void QtGdiPainter::FillRect(int left, int top, int right, int bottom)
{
    if (brushStyle_ == GdiBrushStyle::Clear) return;
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    p_.fillRect(QRect(left, top, right - left, bottom - top), toQColor(brushColor_));
}

void QtGdiPainter::Ellipse(int left, int top, int right, int bottom)
{
    applyPen();
    applyBrush();
    p_.drawEllipse(outlineRect(left, top, right, bottom));
}

void QtGdiPainter::Polyline(const std::vector<GdiPoint>& points)
{
    if (points.size() < 2) return;
    applyPen();
    QPolygon poly;
    poly.reserve(qsizetype(points.size()));
    for (const GdiPoint& g : points) poly << QPoint(g.X, g.Y);
    p_.drawPolyline(poly);
}

void QtGdiPainter::Polygon(const std::vector<GdiPoint>& points)
{
    if (points.size() < 2) return;
    applyPen();
    applyBrush();
    QPolygon poly;
    poly.reserve(qsizetype(points.size()));
    for (const GdiPoint& g : points) poly << QPoint(g.X, g.Y);
    p_.drawPolygon(poly, Qt::OddEvenFill);
}

void QtGdiPainter::PolyBezier(const std::vector<GdiPoint>& points)
{
    if (points.size() < 4) return;
    applyPen();
    QPainterPath path(QPointF(points[0].X, points[0].Y));
    for (std::size_t i = 1; i + 2 < points.size(); i += 3)
        path.cubicTo(QPointF(points[i].X, points[i].Y), QPointF(points[i + 1].X, points[i + 1].Y),
                     QPointF(points[i + 2].X, points[i + 2].Y));
    p_.strokePath(path, p_.pen());
}

int QtGdiPainter::TextWidth(std::string_view utf8) { return metrics().horizontalAdvance(qtext(utf8)); }

int QtGdiPainter::TextHeight(std::string_view) { return metrics().height(); }

void QtGdiPainter::TextOut(int x, int y, std::string_view utf8)
{
    p_.setFont(qfont_);
    p_.setPen(toQColor(font_.Color));
    const int ascent = metrics().ascent();
    if (font_.Orientation == 0) {
        p_.drawText(QPoint(x, y + ascent), qtext(utf8));
        return;
    }
    p_.save();
    p_.translate(x, y);
    p_.rotate(-font_.Orientation / 10.0);  // counter-clockwise on a y-down screen
    p_.drawText(QPoint(0, ascent), qtext(utf8));
    p_.restore();
}

void QtGdiPainter::SetWorldTransform(double m11, double m12, double m21, double m22, double dx, double dy)
{
    p_.setTransform(QTransform(m11, m12, m21, m22, dx, dy));
}

void QtGdiPainter::ResetWorldTransform() { p_.resetTransform(); }

} // namespace vsx
