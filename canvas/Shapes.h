#pragma once
// The map's shape classes: an abstract TVShape with the common attributes and the concrete
// shapes with their own geometry in world units (grid metres, x east, y north). The canvas
// model owns them, gives them their ids and keeps them in z-order; the drawing-file readers
// build them and hand them to CanvasModel::AppendShape.
//
// Once a shape belongs to a CanvasModel, change its colour, width, layer, visibility, selection
// and geometry through the model's operations (SetShapeColor, MoveShape, ...): the model keeps
// indices over those. Other fields (text height, font, angle, name, label, Z, Value, ...) may be
// written directly through CanvasModel::ShapeForUpdate.
#include "canvas/CanvasTypes.h"
#include "canvas/CompactText.h"
#include "canvas/GdiPainter.h"
#include "platform/Colour.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vsx {

class CanvasModel;

// Shape type codes, stored in drawing files.
namespace shapecode {
inline constexpr std::int32_t Rectangle = 1;
inline constexpr std::int32_t RoundRect = 2;
inline constexpr std::int32_t Line = 3;
inline constexpr std::int32_t Polyline = 5;
inline constexpr std::int32_t Polygon = 6;
inline constexpr std::int32_t Spline = 8;
inline constexpr std::int32_t Arc = 10;       // TVArc, or a TVPolyline of three vertices
inline constexpr std::int32_t Text = 11;
inline constexpr std::int32_t Point = 17;
inline constexpr std::int32_t Circle = 19;
inline constexpr std::int32_t Ellipse = 20;
}  // namespace shapecode

// The world window [XMin, XMax] x [YMin, YMax] shown on WidthPx x HeightPx pixels.
struct ShapeView {
    double XMin = 0, XMax = 1000, YMax = 1000, YMin = 0;
    int WidthPx = 400, HeightPx = 300;

    // Pixel position: floor((x - XMin) * W / (XMax - XMin) + 0.5), y downwards. A zero-sized
    // window counts as 1 world unit; results are clamped to +-2^28 so that far-away points
    // never overflow.
    double PixelXf(double x) const;
    double PixelYf(double y) const;
    int PixelX(double x) const;
    int PixelY(double y) const;
    double PixelsPerUnitX() const;
    double PixelsPerUnitY() const;
};

// How one call of Draw colours the shape: the pen colour chosen by the painting loop (normally
// the contrast colour of the shape's own pen against the background) and whether the background
// is light (light texts are drawn black only then).
struct DrawStyle {
    ColorValue PenColor = clBlack;
    bool LightBackground = true;
};

class TVShape {
public:
    virtual ~TVShape() = default;
    TVShape(const TVShape&) = default;
    TVShape& operator=(const TVShape&) = default;

    std::int32_t Id = 0;            // given by the canvas, from 1 upwards
    std::int32_t LayerId = 0;
    std::int32_t ShapeType = 0;     // shapecode::*
    ColorValue PenColor = clBlack;  // outline, line and text colour
    std::int32_t PenWidth = 1;      // pixels; for TVPoint the point style
    std::int32_t AuxStyle = 0;      // stored only
    ColorValue BrushColor = clWhite;
    ColorValue AuxColor = clWhite;  // stored only
    std::int32_t AuxValue = 0;      // stored only
    std::int32_t Tag = 0;           // stored only
    std::uint8_t BrushStyle = 1;    // 0 solid, 1 clear
    bool Selected = false;          // drawn red
    bool Visible = true;            // an invisible shape is neither drawn nor hit
private:
    friend class CanvasModel;
    std::uint32_t zpos_ = 0;        // position in the model's z-order (fills the padding here)
public:
    CompactText Name;               // stored only
    CompactText Label;              // stored only; a TVText starts with its text here
    double MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;  // bounding box, kept by UpdateBounds

    // Paints the shape for the world window of `view`. Nothing when not Visible.
    virtual void Draw(GdiPainter& painter, const ShapeView& view, const DrawStyle& style) const = 0;
    // The same with the shape's own pen colour on a light background.
    void Draw(GdiPainter& painter, const ShapeView& view) const;
    // Whether (x, y) lies on the shape within the world distance tol.
    virtual bool HitTest(double x, double y, double tol) const = 0;
    virtual void UpdateBounds() = 0;
    virtual void Move(double dx, double dy) = 0;
    virtual void Scale(double sx, double sy, double cx, double cy) = 0;
    virtual void Rotate(double degrees, double cx, double cy) = 0;  // counter-clockwise

    // The pen colour Draw uses: red when selected, else the style's colour.
    ColorValue DrawPenColor(const DrawStyle& style) const;

protected:
    TVShape(std::int32_t type, std::int32_t layerId) : LayerId(layerId), ShapeType(type) {}
    // Pen and, for closed figures, brush as the shape's attributes say.
    void ApplyPen(GdiPainter& painter, const DrawStyle& style) const;
    void ApplyBrush(GdiPainter& painter) const;

};

class TVPoint final : public TVShape {
public:
    TVPoint(double x, double y, std::int32_t layerId, std::int32_t size = 3, double z = 0);
    double X, Y, Z;     // Z is carried for the drawing files, never drawn
    std::int32_t Size;  // half-size of the bounding box in world units

    using TVShape::Draw;
    void Draw(GdiPainter& painter, const ShapeView& view, const DrawStyle& style) const override;
    bool HitTest(double x, double y, double tol) const override;
    void UpdateBounds() override;
    void Move(double dx, double dy) override;
    void Scale(double sx, double sy, double cx, double cy) override;
    void Rotate(double degrees, double cx, double cy) override;
};

class TVLine final : public TVShape {
public:
    TVLine(double x1, double y1, double x2, double y2, std::int32_t layerId);
    double X1, Y1, X2, Y2;

    using TVShape::Draw;
    void Draw(GdiPainter& painter, const ShapeView& view, const DrawStyle& style) const override;
    bool HitTest(double x, double y, double tol) const override;
    void UpdateBounds() override;
    void Move(double dx, double dy) override;
    void Scale(double sx, double sy, double cx, double cy) override;
    void Rotate(double degrees, double cx, double cy) override;
};

class TVCircle final : public TVShape {
public:
    TVCircle(double cx, double cy, double r, std::int32_t layerId);
    double CX, CY, R;

    using TVShape::Draw;
    void Draw(GdiPainter& painter, const ShapeView& view, const DrawStyle& style) const override;
    bool HitTest(double x, double y, double tol) const override;  // the outline only
    void UpdateBounds() override;
    void Move(double dx, double dy) override;
    // R is multiplied by (|sx| + |sy|) / 2, so a mirror keeps the radius.
    void Scale(double sx, double sy, double cx, double cy) override;
    void Rotate(double degrees, double cx, double cy) override;  // the centre only
};

class TVRectangle final : public TVShape {
public:
    TVRectangle(double x1, double y1, double x2, double y2, std::int32_t layerId, bool rounded = false);
    double X1, Y1, X2, Y2;        // opposite corners in any order
    double Value = 0;             // the depth of an XYZ cell
    std::uint8_t Rounded;         // 0 plain (type 1), 1 rounded (type 2)
    double CornerRadius = 10.0;   // world units

    using TVShape::Draw;
    void Draw(GdiPainter& painter, const ShapeView& view, const DrawStyle& style) const override;
    bool HitTest(double x, double y, double tol) const override;  // the filled box
    void UpdateBounds() override;
    void Move(double dx, double dy) override;
    void Scale(double sx, double sy, double cx, double cy) override;
    void Rotate(double degrees, double cx, double cy) override;  // cannot hold a turned box: unchanged
};

class TVEllipse final : public TVShape {
public:
    TVEllipse(double x1, double y1, double x2, double y2, std::int32_t layerId);
    double X1, Y1, X2, Y2;  // corners of the bounding box

    using TVShape::Draw;
    void Draw(GdiPainter& painter, const ShapeView& view, const DrawStyle& style) const override;
    bool HitTest(double x, double y, double tol) const override;
    void UpdateBounds() override;
    void Move(double dx, double dy) override;
    void Scale(double sx, double sy, double cx, double cy) override;
    void Rotate(double degrees, double cx, double cy) override;  // unchanged, as the rectangle
};

class TVText final : public TVShape {
public:
    TVText(double x, double y, std::string text, std::int32_t fontIndex, std::int32_t layerId);
    double X, Y;                     // anchor
    std::string Text;                // UTF-8
    std::int32_t FontIndex;          // the canvas text-font entry it was made with
    double Angle = 0;                // degrees counter-clockwise
    std::int32_t HAlign = 0;         // 0 left, 1 centre, 2 right
    std::int32_t VAlign = 0;         // 0 anchor at the top, 1 middle, 2 anchor at the bottom
    double Height = 10.0;            // font size in points (does not follow the zoom)
    std::string FontName = "Arial";
    std::uint8_t Bold = 0;
    std::uint8_t Italic = 0;

    using TVShape::Draw;
    void Draw(GdiPainter& painter, const ShapeView& view, const DrawStyle& style) const override;
    bool HitTest(double x, double y, double tol) const override;
    void UpdateBounds() override;
    void Move(double dx, double dy) override;
    void Scale(double sx, double sy, double cx, double cy) override;  // moves the anchor only
    void Rotate(double degrees, double cx, double cy) override;       // turns the text only

    // The font size drawn: trunc(Height) clamped to 4..72, 10 when Height <= 0.
    int FontPoints() const;
    // Number of characters (code points) of Text.
    std::size_t CharCount() const;
};

class TVPolyline final : public TVShape {
public:
    // type: shapecode::Polyline, Polygon, Spline or Arc. Closed is set for a polygon.
    TVPolyline(std::int32_t type, std::int32_t layerId);
    std::vector<WorldPoint> Vertices;
    std::uint8_t Closed = 0;

    // Appends a vertex and grows the bounding box (no full recount).
    void AddVertex(double x, double y);
    double GetX(std::size_t i) const;  // 0 outside the list
    double GetY(std::size_t i) const;
    void SetVertex(std::size_t i, double x, double y);  // ignored outside the list

    using TVShape::Draw;
    void Draw(GdiPainter& painter, const ShapeView& view, const DrawStyle& style) const override;
    bool HitTest(double x, double y, double tol) const override;
    void UpdateBounds() override;
    void Move(double dx, double dy) override;
    void Scale(double sx, double sy, double cx, double cy) override;
    void Rotate(double degrees, double cx, double cy) override;
};

class TVArc final : public TVShape {
public:
    TVArc(double x1, double y1, double x2, double y2, double x3, double y3, std::int32_t layerId);
    double X1, Y1, X2, Y2, X3, Y3;  // start, middle, end

    using TVShape::Draw;
    void Draw(GdiPainter& painter, const ShapeView& view, const DrawStyle& style) const override;
    bool HitTest(double x, double y, double tol) const override;  // the box grown by tol
    void UpdateBounds() override;
    void Move(double dx, double dy) override;
    void Scale(double sx, double sy, double cx, double cy) override;
    void Rotate(double degrees, double cx, double cy) override;
};

// Distance from (px, py) to the segment (x1, y1)-(x2, y2); the projection is clamped to the
// segment, a zero-length segment measures to its first end.
double distanceToSegment(double px, double py, double x1, double y1, double x2, double y2);

}  // namespace vsx
