// Geometry of the map shapes: construction, hit tests, bounding boxes and transforms.
#include "canvas/Shapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vsx {

namespace {

struct Rotation {
    double c, s, cx, cy;
    Rotation(double degrees, double cx_, double cy_)
        : c(std::cos(degrees * std::numbers::pi / 180.0)), s(std::sin(degrees * std::numbers::pi / 180.0)), cx(cx_), cy(cy_) {}
    void apply(double& x, double& y) const
    {
        const double dx = x - cx, dy = y - cy;
        x = cx + c * dx - s * dy;
        y = cy + s * dx + c * dy;
    }
};

void scalePoint(double& x, double& y, double sx, double sy, double cx, double cy)
{
    x = cx + sx * (x - cx);
    y = cy + sy * (y - cy);
}

// The line, rectangle and ellipse all keep two corner points.
void moveCorners(double& x1, double& y1, double& x2, double& y2, double dx, double dy)
{
    x1 += dx, y1 += dy, x2 += dx, y2 += dy;
}

void scaleCorners(double& x1, double& y1, double& x2, double& y2, double sx, double sy, double cx, double cy)
{
    scalePoint(x1, y1, sx, sy, cx, cy);
    scalePoint(x2, y2, sx, sy, cx, cy);
}

void boxOf2(TVShape& s, double x1, double y1, double x2, double y2)
{
    s.MinX = std::min(x1, x2);
    s.MaxX = std::max(x1, x2);
    s.MinY = std::min(y1, y2);
    s.MaxY = std::max(y1, y2);
}

} // namespace

double distanceToSegment(double px, double py, double x1, double y1, double x2, double y2)
{
    const double dx = x2 - x1, dy = y2 - y1;
    const double len2 = dx * dx + dy * dy;
    if (len2 == 0) return std::hypot(px - x1, py - y1);
    double t = ((px - x1) * dx + (py - y1) * dy) / len2;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (x1 + t * dx), py - (y1 + t * dy));
}

// ---- TVPoint ----

TVPoint::TVPoint(double x, double y, std::int32_t layerId, std::int32_t size, double z)
    : TVShape(shapecode::Point, layerId), X(x), Y(y), Z(z), Size(size)
{
    UpdateBounds();
}

bool TVPoint::HitTest(double x, double y, double tol) const { return Visible && std::hypot(x - X, y - Y) <= tol; }

void TVPoint::UpdateBounds()
{
    MinX = X - Size;
    MinY = Y - Size;
    MaxX = X + Size;
    MaxY = Y + Size;
}

void TVPoint::Move(double dx, double dy)
{
    X += dx;
    Y += dy;
    UpdateBounds();
}

void TVPoint::Scale(double sx, double sy, double cx, double cy)
{
    scalePoint(X, Y, sx, sy, cx, cy);
    UpdateBounds();
}

void TVPoint::Rotate(double degrees, double cx, double cy)
{
    Rotation(degrees, cx, cy).apply(X, Y);
    UpdateBounds();
}

// ---- TVLine ----

TVLine::TVLine(double x1, double y1, double x2, double y2, std::int32_t layerId)
    : TVShape(shapecode::Line, layerId), X1(x1), Y1(y1), X2(x2), Y2(y2)
{
    UpdateBounds();
}

bool TVLine::HitTest(double x, double y, double tol) const
{
    return Visible && distanceToSegment(x, y, X1, Y1, X2, Y2) <= tol;
}

void TVLine::UpdateBounds() { boxOf2(*this, X1, Y1, X2, Y2); }

void TVLine::Move(double dx, double dy)
{
    moveCorners(X1, Y1, X2, Y2, dx, dy);
    UpdateBounds();
}

void TVLine::Scale(double sx, double sy, double cx, double cy)
{
    scaleCorners(X1, Y1, X2, Y2, sx, sy, cx, cy);
    UpdateBounds();
}

void TVLine::Rotate(double degrees, double cx, double cy)
{
    const Rotation r(degrees, cx, cy);
    r.apply(X1, Y1);
    r.apply(X2, Y2);
    UpdateBounds();
}

// ---- TVCircle ----

TVCircle::TVCircle(double cx, double cy, double r, std::int32_t layerId)
    : TVShape(shapecode::Circle, layerId), CX(cx), CY(cy), R(r)
{
    UpdateBounds();
}

bool TVCircle::HitTest(double x, double y, double tol) const
{
    return Visible && std::abs(std::hypot(x - CX, y - CY) - R) <= tol;
}

void TVCircle::UpdateBounds()
{
    MinX = CX - R;
    MinY = CY - R;
    MaxX = CX + R;
    MaxY = CY + R;
}

void TVCircle::Move(double dx, double dy)
{
    CX += dx;
    CY += dy;
    UpdateBounds();
}

void TVCircle::Scale(double sx, double sy, double cx, double cy)
{
    scalePoint(CX, CY, sx, sy, cx, cy);
    // The factors' magnitudes: a mirror (-1, 1) keeps the radius instead of making it 0.
    R *= (std::abs(sx) + std::abs(sy)) / 2;
    UpdateBounds();
}

void TVCircle::Rotate(double degrees, double cx, double cy)
{
    Rotation(degrees, cx, cy).apply(CX, CY);
    UpdateBounds();
}

// ---- TVRectangle ----

TVRectangle::TVRectangle(double x1, double y1, double x2, double y2, std::int32_t layerId, bool rounded)
    : TVShape(rounded ? shapecode::RoundRect : shapecode::Rectangle, layerId), X1(x1), Y1(y1), X2(x2), Y2(y2),
      Rounded(rounded ? 1 : 0)
{
    UpdateBounds();
}

bool TVRectangle::HitTest(double x, double y, double tol) const
{
    return Visible && x >= std::min(X1, X2) - tol && x <= std::max(X1, X2) + tol && y >= std::min(Y1, Y2) - tol &&
           y <= std::max(Y1, Y2) + tol;
}

void TVRectangle::UpdateBounds() { boxOf2(*this, X1, Y1, X2, Y2); }

void TVRectangle::Move(double dx, double dy)
{
    moveCorners(X1, Y1, X2, Y2, dx, dy);
    UpdateBounds();
}

void TVRectangle::Scale(double sx, double sy, double cx, double cy)
{
    scaleCorners(X1, Y1, X2, Y2, sx, sy, cx, cy);
    UpdateBounds();
}

void TVRectangle::Rotate(double, double, double) { UpdateBounds(); }

// ---- TVEllipse ----

TVEllipse::TVEllipse(double x1, double y1, double x2, double y2, std::int32_t layerId)
    : TVShape(shapecode::Ellipse, layerId), X1(x1), Y1(y1), X2(x2), Y2(y2)
{
    UpdateBounds();
}

bool TVEllipse::HitTest(double x, double y, double tol) const
{
    if (!Visible) return false;
    const double rx = std::abs(X2 - X1) / 2, ry = std::abs(Y2 - Y1) / 2;
    if (rx == 0 || ry == 0) return false;
    const double cx = (X1 + X2) / 2, cy = (Y1 + Y2) / 2;
    const double u = (x - cx) / rx, v = (y - cy) / ry;
    return std::abs(u * u + v * v - 1) <= tol / std::min(rx, ry);
}

void TVEllipse::UpdateBounds() { boxOf2(*this, X1, Y1, X2, Y2); }

void TVEllipse::Move(double dx, double dy)
{
    moveCorners(X1, Y1, X2, Y2, dx, dy);
    UpdateBounds();
}

void TVEllipse::Scale(double sx, double sy, double cx, double cy)
{
    scaleCorners(X1, Y1, X2, Y2, sx, sy, cx, cy);
    UpdateBounds();
}

void TVEllipse::Rotate(double, double, double) { UpdateBounds(); }

// ---- TVText ----

TVText::TVText(double x, double y, std::string text, std::int32_t fontIndex, std::int32_t layerId)
    : TVShape(shapecode::Text, layerId), X(x), Y(y), Text(std::move(text)), FontIndex(fontIndex)
{
    Label = Text;
    UpdateBounds();
}

std::size_t TVText::CharCount() const
{
    std::size_t n = 0;
    for (unsigned char c : Text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

int TVText::FontPoints() const
{
    if (Height <= 0) return 10;
    return int(std::clamp(std::trunc(Height), 4.0, 72.0));
}

bool TVText::HitTest(double x, double y, double tol) const
{
    if (!Visible) return false;
    const double n = double(CharCount());
    return x >= X && x <= X + 2 * tol + 0.8 * n * tol && y >= Y - 3 * tol && y <= Y + tol;
}

void TVText::UpdateBounds()
{
    const double n = double(CharCount());
    MinX = X - Height;
    MinY = Y - Height;
    MaxX = X + 0.6 * Height * n + Height;
    MaxY = Y + Height;
}

void TVText::Move(double dx, double dy)
{
    X += dx;
    Y += dy;
    UpdateBounds();
}

void TVText::Scale(double sx, double sy, double cx, double cy)
{
    scalePoint(X, Y, sx, sy, cx, cy);
    UpdateBounds();
}

void TVText::Rotate(double degrees, double, double)
{
    Angle += degrees;
    UpdateBounds();
}

// ---- TVPolyline ----

TVPolyline::TVPolyline(std::int32_t type, std::int32_t layerId) : TVShape(type, layerId)
{
    Closed = type == shapecode::Polygon ? 1 : 0;
}

void TVPolyline::AddVertex(double x, double y)
{
    if (Vertices.empty()) {
        MinX = MaxX = x;
        MinY = MaxY = y;
    } else {
        MinX = std::min(MinX, x);
        MaxX = std::max(MaxX, x);
        MinY = std::min(MinY, y);
        MaxY = std::max(MaxY, y);
    }
    Vertices.push_back({x, y});
}

double TVPolyline::GetX(std::size_t i) const { return i < Vertices.size() ? Vertices[i].X : 0; }
double TVPolyline::GetY(std::size_t i) const { return i < Vertices.size() ? Vertices[i].Y : 0; }

void TVPolyline::SetVertex(std::size_t i, double x, double y)
{
    if (i >= Vertices.size()) return;
    Vertices[i] = {x, y};
    UpdateBounds();
}

bool TVPolyline::HitTest(double x, double y, double tol) const
{
    if (!Visible || Vertices.size() < 2) return false;
    // Consecutive vertices only: the closing edge of a polygon and its inside are not tested.
    for (std::size_t i = 0; i + 1 < Vertices.size(); ++i) {
        const WorldPoint& a = Vertices[i];
        const WorldPoint& b = Vertices[i + 1];
        if (a == b) continue;
        if (distanceToSegment(x, y, a.X, a.Y, b.X, b.Y) <= tol) return true;
    }
    return false;
}

void TVPolyline::UpdateBounds()
{
    if (Vertices.empty()) return;
    MinX = MaxX = Vertices[0].X;
    MinY = MaxY = Vertices[0].Y;
    for (const WorldPoint& v : Vertices) {
        MinX = std::min(MinX, v.X);
        MaxX = std::max(MaxX, v.X);
        MinY = std::min(MinY, v.Y);
        MaxY = std::max(MaxY, v.Y);
    }
}

void TVPolyline::Move(double dx, double dy)
{
    for (WorldPoint& v : Vertices) v.X += dx, v.Y += dy;
    UpdateBounds();
}

void TVPolyline::Scale(double sx, double sy, double cx, double cy)
{
    for (WorldPoint& v : Vertices) scalePoint(v.X, v.Y, sx, sy, cx, cy);
    UpdateBounds();
}

void TVPolyline::Rotate(double degrees, double cx, double cy)
{
    const Rotation r(degrees, cx, cy);
    for (WorldPoint& v : Vertices) r.apply(v.X, v.Y);
    UpdateBounds();
}

// ---- TVArc ----

TVArc::TVArc(double x1, double y1, double x2, double y2, double x3, double y3, std::int32_t layerId)
    : TVShape(shapecode::Arc, layerId), X1(x1), Y1(y1), X2(x2), Y2(y2), X3(x3), Y3(y3)
{
    UpdateBounds();
}

bool TVArc::HitTest(double x, double y, double tol) const
{
    return Visible && x >= MinX - tol && x <= MaxX + tol && y >= MinY - tol && y <= MaxY + tol;
}

void TVArc::UpdateBounds()
{
    MinX = std::min({X1, X2, X3});
    MaxX = std::max({X1, X2, X3});
    MinY = std::min({Y1, Y2, Y3});
    MaxY = std::max({Y1, Y2, Y3});
}

void TVArc::Move(double dx, double dy)
{
    X1 += dx, Y1 += dy, X2 += dx, Y2 += dy, X3 += dx, Y3 += dy;
    UpdateBounds();
}

void TVArc::Scale(double sx, double sy, double cx, double cy)
{
    scalePoint(X1, Y1, sx, sy, cx, cy);
    scalePoint(X2, Y2, sx, sy, cx, cy);
    scalePoint(X3, Y3, sx, sy, cx, cy);
    UpdateBounds();
}

void TVArc::Rotate(double degrees, double cx, double cy)
{
    const Rotation r(degrees, cx, cy);
    r.apply(X1, Y1);
    r.apply(X2, Y2);
    r.apply(X3, Y3);
    UpdateBounds();
}

} // namespace vsx
