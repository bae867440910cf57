#pragma once
// GdiPainter on a QPainter (normally over a QImage back buffer). Antialiasing stays off so the
// pixel rules hold exactly.
#include "canvas/GdiPainter.h"

#include <QFont>
#include <QFontMetrics>
#include <QPoint>
#include <optional>

class QPainter;

namespace vsx {

class QtGdiPainter final : public GdiPainter {
public:
    explicit QtGdiPainter(QPainter& painter);

    void SetPenColor(ColorValue c) override;
    void SetPenWidth(int width) override;
    void SetPenStyle(GdiPenStyle style) override;
    void SetPenMode(GdiPenMode mode) override;
    void SetBrushColor(ColorValue c) override;
    void SetBrushStyle(GdiBrushStyle style) override;
    void SetFont(const GdiFont& font) override;
    GdiFont Font() const override { return font_; }

    void SetPixel(int x, int y, ColorValue c) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Rectangle(int left, int top, int right, int bottom) override;
    void RoundRect(int left, int top, int right, int bottom, int cornerW, int cornerH) override;
    void FillRect(int left, int top, int right, int bottom) override;
    void Ellipse(int left, int top, int right, int bottom) override;
    void Polyline(const std::vector<GdiPoint>& points) override;
    void Polygon(const std::vector<GdiPoint>& points) override;
    void PolyBezier(const std::vector<GdiPoint>& points) override;
    int TextWidth(std::string_view utf8) override;
    int TextHeight(std::string_view utf8) override;
    void TextOut(int x, int y, std::string_view utf8) override;

    void SetWorldTransform(double m11, double m12, double m21, double m22, double dx, double dy) override;
    void ResetWorldTransform() override;

private:
    void applyPen();
    void applyBrush();
    void strokeSegment(QPoint a, QPoint b);
    const QFontMetrics& metrics();

    QPainter& p_;
    ColorValue penColor_ = clBlack;
    int penWidth_ = 1;
    GdiPenStyle penStyle_ = GdiPenStyle::Solid;
    GdiPenMode penMode_ = GdiPenMode::Copy;
    ColorValue brushColor_ = clWhite;
    GdiBrushStyle brushStyle_ = GdiBrushStyle::Solid;
    GdiFont font_;
    QFont qfont_;
    std::optional<QFontMetrics> metrics_;
    QPoint pos_;
};

} // namespace vsx
