#pragma once
// The drawing surface the map shapes and overlays paint on. It keeps the drawing rules of the
// old toolkit that the map's pixel arithmetic was written for:
//  - Rectangle, Ellipse, RoundRect and FillRect cover [left, right) x [top, bottom): the right
//    and bottom edges are left out;
//  - LineTo and Polyline leave out the end pixel of a line;
//  - TextOut places the top-left corner of the text cell at (x, y);
//  - font sizes are points at 96 dots per inch (10 pt = 13 px), whatever the screen says;
//  - the pen, brush and font are state, set before the primitives that use them.
// QtGdiPainter implements it on a QPainter; tests may record the calls instead.
#include "platform/Colour.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vsx {

struct GdiPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const GdiPoint&, const GdiPoint&) = default;
};

enum class GdiPenStyle { Solid, Dot, Clear };
enum class GdiPenMode { Copy, Xor };
enum class GdiBrushStyle { Solid, Clear };

struct GdiFont {
    std::string Name = "Arial";  // UTF-8
    int Size = 10;               // points
    ColorValue Color = clBlack;
    bool Bold = false;
    bool Italic = false;
    int Orientation = 0;         // tenths of a degree, counter-clockwise
    friend bool operator==(const GdiFont&, const GdiFont&) = default;
};

// Pixel size of a font of `points` at 96 DPI, rounded like MulDiv(points, 96, 72).
int fontPixelSize(int points);

class GdiPainter {
public:
    virtual ~GdiPainter() = default;

    // Pen, brush and font state.
    virtual void SetPenColor(ColorValue c) = 0;
    virtual void SetPenWidth(int width) = 0;  // pixels; 0 and 1 draw one pixel wide
    virtual void SetPenStyle(GdiPenStyle style) = 0;
    virtual void SetPenMode(GdiPenMode mode) = 0;
    virtual void SetBrushColor(ColorValue c) = 0;
    virtual void SetBrushStyle(GdiBrushStyle style) = 0;
    virtual void SetFont(const GdiFont& font) = 0;
    virtual GdiFont Font() const = 0;

    // Primitives (pixel coordinates, y down).
    virtual void SetPixel(int x, int y, ColorValue c) = 0;
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;  // from the current position; the end pixel is left out
    virtual void Rectangle(int left, int top, int right, int bottom) = 0;     // pen outline, brush fill
    virtual void RoundRect(int left, int top, int right, int bottom, int cornerW, int cornerH) = 0;
    virtual void FillRect(int left, int top, int right, int bottom) = 0;      // brush only
    virtual void Ellipse(int left, int top, int right, int bottom) = 0;       // pen outline, brush fill
    virtual void Polyline(const std::vector<GdiPoint>& points) = 0;
    virtual void Polygon(const std::vector<GdiPoint>& points) = 0;            // odd-even fill
    virtual void PolyBezier(const std::vector<GdiPoint>& points) = 0;         // 1 + 3k points, stroked
    virtual int TextWidth(std::string_view utf8) = 0;
    virtual int TextHeight(std::string_view utf8) = 0;
    virtual void TextOut(int x, int y, std::string_view utf8) = 0;            // top-left at (x, y)

    // A world transform of the device space: (x, y) is drawn at
    // (m11*x + m21*y + dx, m12*x + m22*y + dy). Used for the rotated map.
    virtual void SetWorldTransform(double m11, double m12, double m21, double m22, double dx, double dy) = 0;
    virtual void ResetWorldTransform() = 0;
};

} // namespace vsx
