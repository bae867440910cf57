#pragma once
// A GdiPainter that records its calls with the pen, brush and font state at the time, for tests
// of drawing code. Text metrics are fixed: 6 pixels per character, 13 pixels high.
#include "canvas/GdiPainter.h"

#include <string>
#include <vector>

namespace vsx::test {

struct PaintCall {
    std::string Op;           // "LineTo", "FillRect", ...
    std::vector<int> Args;    // coordinates in call order (points flattened)
    std::string Text;
    ColorValue PenColor;
    int PenWidth;
    GdiPenStyle PenStyle;
    ColorValue BrushColor;
    GdiBrushStyle BrushStyle;
    GdiFont Font;
    std::string str() const;  // "Op(a,b,...)"
};

class RecordingPainter final : public GdiPainter {
public:
    std::vector<PaintCall> Calls;
    // The calls as "Op(args)" joined by blanks, the state-only calls left out.
    std::string trace() const;

    void SetPenColor(ColorValue c) override { pen_ = c; }
    void SetPenWidth(int w) override { penWidth_ = w; }
    void SetPenStyle(GdiPenStyle s) override { penStyle_ = s; }
    void SetPenMode(GdiPenMode) override {}
    void SetBrushColor(ColorValue c) override { brush_ = c; }
    void SetBrushStyle(GdiBrushStyle s) override { brushStyle_ = s; }
    void SetFont(const GdiFont& f) override { font_ = f; }
    GdiFont Font() const override { return font_; }

    void SetPixel(int x, int y, ColorValue c) override;
    void MoveTo(int x, int y) override { record("MoveTo", {x, y}); }
    void LineTo(int x, int y) override { record("LineTo", {x, y}); }
    void Rectangle(int l, int t, int r, int b) override { record("Rectangle", {l, t, r, b}); }
    void RoundRect(int l, int t, int r, int b, int w, int h) override { record("RoundRect", {l, t, r, b, w, h}); }
    void FillRect(int l, int t, int r, int b) override { record("FillRect", {l, t, r, b}); }
    void Ellipse(int l, int t, int r, int b) override { record("Ellipse", {l, t, r, b}); }
    void Polyline(const std::vector<GdiPoint>& p) override { record("Polyline", flatten(p)); }
    void Polygon(const std::vector<GdiPoint>& p) override { record("Polygon", flatten(p)); }
    void PolyBezier(const std::vector<GdiPoint>& p) override { record("PolyBezier", flatten(p)); }
    int TextWidth(std::string_view s) override { return 6 * int(s.size()); }
    int TextHeight(std::string_view) override { return 13; }
    void TextOut(int x, int y, std::string_view s) override;
    void SetWorldTransform(double, double, double, double, double, double) override { record("SetWorldTransform", {}); }
    void ResetWorldTransform() override { record("ResetWorldTransform", {}); }

private:
    static std::vector<int> flatten(const std::vector<GdiPoint>& p);
    void record(std::string op, std::vector<int> args, std::string text = {});

    ColorValue pen_ = clBlack;
    int penWidth_ = 1;
    GdiPenStyle penStyle_ = GdiPenStyle::Solid;
    ColorValue brush_ = clWhite;
    GdiBrushStyle brushStyle_ = GdiBrushStyle::Solid;
    GdiFont font_;
};

} // namespace vsx::test
