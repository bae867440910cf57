#include "canvas/CanvasOverlays.h"

#include "app/Translated.h"
#include "canvas/CanvasGrid.h"
#include "canvas/CanvasModel.h"
#include "canvas/CanvasViewMapping.h"
#include "canvas/QtGdiPainter.h"
#include "canvas/Shapes.h"
#include "platform/Numbers.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace vsx {

namespace {

GdiFont makeFont(const char* name, int size, bool bold, ColorValue color)
{
    GdiFont f;
    f.Name = name;
    f.Size = size;
    f.Bold = bold;
    f.Color = color;
    return f;
}

GdiFont headingFont() { return makeFont("Consolas", 12, true, clBlack); }

std::string lastChar(const std::string& s) { return s.empty() ? std::string() : s.substr(s.size() - 1); }

} // namespace

// ---- Layout rules ----

SpeedHudText ComposeSpeedHud(const HudState& hud)
{
    SpeedHudText t;
    if (hud.ShowDepth) {
        if (hud.Depth1 > 0) {
            const std::string s = formatFixed(hud.Depth1, 2);
            t.Large1 = s.substr(0, s.size() - 1);
            t.Small1 = hud.Depth2 > 0 ? lastChar(s) + "m/" + formatFixed(hud.Depth2, 2) + "m" : lastChar(s) + "m";
        } else {
            t.Large1 = "--.-";
            t.Small1 = "m";
        }
    }
    if (hud.ShowSpeed) {
        t.Large2 = formatFixed(hud.Speed, 1);
        t.Small2 = "kn";
    }
    return t;
}

QPoint SpeedHudOrigin(int corner, int width, int height, int g, int h)
{
    switch (corner) {
    case 1: return {width - g - 10, height - h - 10};
    case 2: return {width - g - 10, 10};
    case 3: return {10, 10};
    default: return {10, height - h - 10};
    }
}

std::string HeadingHudText(const CanvasSettings& settings)
{
    if (!settings.HudDeviceText.empty()) return settings.HudDeviceText;
    return settings.NoValidPosition ? translated(NoPositionText).toStdString() : settings.HudStatusText;
}

HeadingHudColors HeadingHudStyle(bool noValidPosition, int q)
{
    if (noValidPosition || q == 0 || q == 1) return {clRed, clWhite};
    if (q == 2) return {clAqua, clBlack};
    if (q == 4 || q == 7) return {clLime, clBlack};
    // 3, 5, 6 and anything above 7; a negative quality (not a GGA value) is shown as no fix.
    if (q < 0) return {clRed, clWhite};
    return {clYellow, clBlack};
}

QPoint HeadingHudOrigin(int corner, int width, int height, int w, int h)
{
    switch (corner) {
    case 1: return {width - w - 8, 8};
    case 2: return {width - w - 8, height - h - 10};
    case 3: return {8, height - h - 10};
    default: return {8, 8};
    }
}

ScaleBarLayout ComputeScaleBar(double worldWidth, int controlWidth)
{
    ScaleBarLayout bar;
    if (!(worldWidth > 0) || controlWidth <= 0 || !std::isfinite(worldWidth)) return bar;
    const double b = worldWidth / controlWidth;
    const double g = NiceValue(150 * b);
    if (!(g > 0)) return bar;
    bar.Shown = true;
    bar.Length = g;
    bar.Pixels = int(std::clamp(std::trunc(g / b), 30.0, 150.0));
    if (g >= 1000)
        bar.Label = formatFixed(g / 1000, 1) + " km";
    else if (g >= 1)
        bar.Label = formatFixed(g, 0) + " m";
    else
        bar.Label = formatFixed(g * 100, 0) + " cm";
    return bar;
}

MeasureTexts ComposeMeasureTexts(double distance, double bearing)
{
    return {formatFixed(distance, 2) + " m", formatFixed(bearing, 1) + "\u00B0"};
}

// ---- Drawing ----

void CanvasOverlayPainter::Draw(QPainter& qp, const OverlayInputs& in)
{
    const int width = in.Model.ViewWidth(), height = in.Model.ViewHeight();
    {
        QtGdiPainter p(qp);
        drawRubberBand(p, in);
        drawMeasure(p, in);
    }
    drawDepthLabels(qp, in, width, height);
    drawEventMarks(qp, in, width, height);
    QtGdiPainter p(qp);
    drawSpeedHud(p, in, width, height);
    drawHeadingHud(p, in, width, height);
    drawScaleBar(p, in, width, height);
}

void CanvasOverlayPainter::drawRubberBand(GdiPainter& p, const OverlayInputs& in)
{
    const RubberBandState& r = in.Rubber;
    if (!r.Drawing || !r.RubberBand) return;
    const CanvasViewMapping& map = in.Mapping;
    int sx, sy, ex, ey;
    map.WorldToScreen(r.StartX, r.StartY, sx, sy);
    map.WorldToScreen(r.EndX, r.EndY, ex, ey);
    p.SetPenMode(GdiPenMode::Xor);
    p.SetPenColor(clWhite);
    p.SetPenWidth(1);
    p.SetPenStyle(GdiPenStyle::Solid);
    p.SetBrushStyle(GdiBrushStyle::Clear);

    // One polyline per figure: separate strokes would XOR their shared end pixels away.
    std::vector<GdiPoint> pts;
    auto add = [&](double x, double y) {
        int px, py;
        map.WorldToScreen(x, y, px, py);
        pts.push_back({px, py});
    };
    switch (r.Tool) {
    case 1:
    case 4:
    case -3:
        if (!map.Rotated()) {
            p.Rectangle(sx, sy, ex, ey);
        } else {  // the box is upright on the map, so it turns on the screen
            add(r.StartX, r.StartY), add(r.EndX, r.StartY), add(r.EndX, r.EndY), add(r.StartX, r.EndY);
            pts.push_back(pts.front());
            p.Polyline(pts);
        }
        break;
    case 3:
        p.MoveTo(sx, sy);
        p.LineTo(ex, ey);
        break;
    case 5:
    case 6:
    case 8:
    case 10:
        if (r.InProgress && !r.InProgress->Vertices.empty()) {
            for (const WorldPoint& v : r.InProgress->Vertices) add(v.X, v.Y);
            pts.push_back({ex, ey});
            if (r.Tool == 6) pts.push_back(pts.front());
            p.Polyline(pts);
        }
        break;
    case 19: {
        const double d = std::hypot(r.EndX - r.StartX, r.EndY - r.StartY);
        const int radius = std::abs(in.Model.WorldXToScreen(r.StartX + d) - in.Model.WorldXToScreen(r.StartX));
        p.Ellipse(sx - radius, sy - radius, sx + radius, sy + radius);
        break;
    }
    default: break;
    }
    p.SetPenMode(GdiPenMode::Copy);
}

void CanvasOverlayPainter::drawMeasure(GdiPainter& p, const OverlayInputs& in)
{
    const MeasureState& m = in.Measure;
    if (!m.Measuring) return;
    int x1, y1, x2, y2;
    in.Mapping.WorldToScreen(m.X1, m.Y1, x1, y1);
    in.Mapping.WorldToScreen(m.X2, m.Y2, x2, y2);
    const double dx = x2 - x1, dy = y2 - y1;
    if (dx * dx + dy * dy < 4) return;
    const int r = int(std::trunc(std::sqrt(dx * dx + dy * dy)));

    p.SetPenColor(clRed);
    p.SetPenWidth(1);
    p.SetPenStyle(GdiPenStyle::Solid);
    p.SetBrushStyle(GdiBrushStyle::Clear);
    if (r >= 3) p.Ellipse(x1 - r, y1 - r, x1 + r, y1 + r);
    p.SetBrushColor(clRed);
    p.SetBrushStyle(GdiBrushStyle::Solid);
    p.Ellipse(x1 - 3, y1 - 3, x1 + 3, y1 + 3);
    p.SetBrushStyle(GdiBrushStyle::Clear);

    p.SetPenColor(clBlue);
    p.MoveTo(x1, y1);
    p.LineTo(x2, y2);
    p.MoveTo(x2 - 8, y2);
    p.LineTo(x2 + 8, y2);
    p.MoveTo(x2, y2 - 8);
    p.LineTo(x2, y2 + 8);

    const MeasureTexts t = ComposeMeasureTexts(m.Distance, m.Bearing);
    GdiFont font = p.Font();
    font.Size = 11;
    font.Bold = true;
    font.Color = clBlack;
    p.SetFont(font);
    const int w1 = p.TextWidth(t.Distance), w2 = p.TextWidth(t.Bearing);
    const int w = std::max(w1, w2), h = p.TextHeight(t.Distance);
    const int mx = x1 + int(dx / 2), my = y1 + int(dy / 2);
    p.SetPenColor(clBlack);
    p.SetBrushColor(clYellow);
    p.SetBrushStyle(GdiBrushStyle::Solid);
    p.Rectangle(mx - w / 2 - 8, my - 32, mx + w / 2 + 8, my + 2 * h - 24);
    p.SetBrushStyle(GdiBrushStyle::Clear);
    p.TextOut(mx - w1 / 2, my - 30, t.Distance);
    font.Color = clNavy;
    p.SetFont(font);
    p.TextOut(mx - w2 / 2, my + h - 28, t.Bearing);
    font.Bold = false;
    font.Color = clBlack;
    p.SetFont(font);
}

namespace {

bool insideMargins(int px, int py, int width, int height)
{
    return px >= -50 && py >= -20 && px <= width + 50 && py <= height + 20;
}

} // namespace

void CanvasOverlayPainter::drawDepthLabels(QPainter& qp, const OverlayInputs& in, int width, int height)
{
    const CanvasModel& m = in.Model;
    if (!m.ShowSoundings() || m.Soundings().empty()) return;
    depthSprites_.SetFont(makeFont(m.SoundingFontName().c_str(), m.SoundingFontSize(), false, m.SoundingColor()));
    for (const SoundingPoint& s : m.Soundings()) {
        int px, py;
        in.Mapping.WorldToScreen(s.X, s.Y, px, py);
        if (!insideMargins(px, py, width, height)) continue;
        depthSprites_.DrawCentred(qp, px, py, formatFixed(s.Z, 1));
    }
}

void CanvasOverlayPainter::drawEventMarks(QPainter& qp, const OverlayInputs& in, int width, int height)
{
    const auto& marks = in.Model.EventMarkers();
    if (marks.empty()) return;
    eventSprites_.SetFont(makeFont("Arial", in.Settings.EventMarkFontSize(), true, in.Settings.EventMarkColor()));
    for (const EventMarker& e : marks) {
        int px, py;
        in.Mapping.WorldToScreen(e.X, e.Y, px, py);
        if (!insideMargins(px, py, width, height)) continue;
        eventSprites_.DrawCentred(qp, px, py, formatInt(e.Number));
    }
}

void CanvasOverlayPainter::drawSpeedHud(GdiPainter& p, const OverlayInputs& in, int width, int height)
{
    const SpeedHudText t = ComposeSpeedHud(in.Hud);
    if (t.Empty()) return;
    GdiFont large = makeFont("Arial Black", in.Settings.SpeedHudFontSize(), true, in.Settings.SpeedHudDepthColor());
    GdiFont small = large;
    small.Size = 10;
    p.SetFont(large);
    const int wl1 = p.TextWidth(t.Large1), wl2 = p.TextWidth(t.Large2), h = p.TextHeight("0");
    p.SetFont(small);
    const int ws1 = p.TextWidth(t.Small1), ws2 = p.TextWidth(t.Small2);
    const int g = wl1 + ws1 + wl2 + ws2;
    const QPoint at = SpeedHudOrigin(in.Hud.SpeedCorner, width, height, g, h);
    int x = at.x();
    const int y = at.y();

    p.SetPenColor(clBlack);
    p.SetPenWidth(1);
    p.SetPenStyle(GdiPenStyle::Solid);
    p.SetBrushColor(clWhite);
    p.SetBrushStyle(GdiBrushStyle::Solid);
    p.RoundRect(x - 6, y - 6, x + g + 6, y + h + 6, 6, 6);
    p.SetBrushStyle(GdiBrushStyle::Clear);

    auto part = [&](const std::string& text, const GdiFont& font, int w) {
        if (text.empty()) return;
        p.SetFont(font);
        p.TextOut(x, y, text);
        x += w;
    };
    part(t.Large1, large, wl1);
    small.Color = large.Color;
    part(t.Small1, small, ws1);
    large.Color = small.Color = in.Settings.SpeedHudSpeedColor();
    part(t.Large2, large, wl2);
    part(t.Small2, small, ws2);
}

void CanvasOverlayPainter::drawHeadingHud(GdiPainter& p, const OverlayInputs& in, int width, int height)
{
    const std::string text = HeadingHudText(in.Settings);
    if (text.empty()) return;
    const HeadingHudColors style =
        HeadingHudStyle(in.Settings.NoValidPosition || !in.Settings.HudDeviceText.empty(), in.Settings.HudFixQuality);
    GdiFont font = headingFont();
    font.Color = style.Text;
    p.SetFont(font);
    const int w = p.TextWidth(text), h = p.TextHeight(text);
    const QPoint at = HeadingHudOrigin(in.Hud.HeadingCorner, width, height, w, h);
    const int x = at.x(), y = at.y();

    p.SetPenColor(style.Box);
    p.SetPenWidth(1);
    p.SetPenStyle(GdiPenStyle::Solid);
    p.SetBrushColor(style.Box);
    p.SetBrushStyle(GdiBrushStyle::Solid);
    p.RoundRect(x - 6, y - 6, x + w + 6, y + h + 6, 6, 6);
    p.SetBrushStyle(GdiBrushStyle::Clear);

    const std::size_t marker = text.find(HeadingMarker);
    if (in.Hud.HeadingPlain || marker == std::string::npos) {
        p.TextOut(x, y, text);
        return;
    }
    const std::string first = text.substr(0, marker), heading = text.substr(marker);
    const int w1 = p.TextWidth(first), w2 = p.TextWidth(heading);
    p.TextOut(x, y, first);
    p.SetPenColor(clRed);
    p.SetBrushColor(clRed);
    p.SetBrushStyle(GdiBrushStyle::Solid);
    p.FillRect(x + w1 - 2, y - 2, x + w1 + w2 + 2, y + h + 2);
    p.SetBrushStyle(GdiBrushStyle::Clear);
    font.Color = clWhite;
    p.SetFont(font);
    p.TextOut(x + w1, y, heading);
    font.Color = style.Text;
    p.SetFont(font);
}

bool CanvasOverlayPainter::HitHeadingHud(const OverlayInputs& in, int px, int py)
{
    const std::string text = HeadingHudText(in.Settings);
    if (text.empty()) return false;
    QImage scratch(1, 1, QImage::Format_RGB32);
    QPainter qp(&scratch);
    QtGdiPainter p(qp);
    p.SetFont(headingFont());
    const int w = p.TextWidth(text), h = p.TextHeight(text);
    // The box where the HUD is drawn now; in the top-left corner this is 2..w+14 x 2..h+14.
    const QPoint at = HeadingHudOrigin(in.Hud.HeadingCorner, in.Model.ViewWidth(), in.Model.ViewHeight(), w, h);
    return px >= at.x() - 6 && px <= at.x() + w + 6 && py >= at.y() - 6 && py <= at.y() + h + 6;
}

void CanvasOverlayPainter::drawScaleBar(GdiPainter& p, const OverlayInputs& in, int width, int height)
{
    const ScaleBarLayout bar = ComputeScaleBar(in.Model.WorldWidth(), width);
    if (!bar.Shown) return;
    const int L = bar.Pixels, left = width - L - 20;
    p.SetPenColor(clBlack);
    p.SetPenWidth(1);
    p.SetPenStyle(GdiPenStyle::Solid);
    p.SetBrushColor(clWhite);
    p.SetBrushStyle(GdiBrushStyle::Solid);
    p.Rectangle(width - L - 25, height - 48, width - 15, height - 15);
    p.SetBrushColor(clBlack);
    p.FillRect(left, height - 43, left + L / 2, height - 35);
    p.SetBrushColor(clWhite);
    p.FillRect(left + L / 2, height - 43, width - 20, height - 35);
    p.SetBrushStyle(GdiBrushStyle::Clear);
    p.Rectangle(left, height - 43, width - 20, height - 35);

    p.SetFont(makeFont("Arial", 8, false, clBlack));
    const int tw = p.TextWidth(bar.Label);
    p.TextOut(left + (L - tw) / 2, height - 33, bar.Label);
}

} // namespace vsx
