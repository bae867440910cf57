#include "canvas/ShapeRenderer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vsx {

void ShapeRenderer::VisibleWorldBox(const CanvasModel& m, double& xmin, double& ymin, double& xmax, double& ymax)
{
    if (m.GetRotation() == 0) {
        xmin = m.WorldXMin(), xmax = m.WorldXMax(), ymin = m.WorldYMin(), ymax = m.WorldYMax();
        return;
    }
    // The painter draws device point d at centre + R(d - centre); a screen corner therefore
    // shows device point centre + R^-1(corner - centre).
    const double a = m.GetRotation() * std::numbers::pi / 180.0, c = std::cos(a), s = std::sin(a);
    double ex = m.ViewWidth() / 2.0, ey = m.ViewHeight() / 2.0;
    if (m.UseRotationCenter()) {
        int px, py;
        m.WorldToScreen(m.RotationCenterX(), m.RotationCenterY(), px, py);
        ex = px, ey = py;
    }
    const double w = m.ViewWidth(), h = m.ViewHeight();
    bool first = true;
    for (auto [X, Y] : {std::pair{0.0, 0.0}, {w, 0.0}, {0.0, h}, {w, h}}) {
        const double dx = ex + c * (X - ex) - s * (Y - ey);
        const double dy = ey + s * (X - ex) + c * (Y - ey);
        double wx, wy;
        m.ScreenToWorld(dx, dy, wx, wy);
        if (first) {
            xmin = xmax = wx, ymin = ymax = wy;
            first = false;
        } else {
            xmin = std::min(xmin, wx), xmax = std::max(xmax, wx);
            ymin = std::min(ymin, wy), ymax = std::max(ymax, wy);
        }
    }
}

ShapeRenderResult ShapeRenderer::DrawShapes(const CanvasModel& m, GdiPainter& painter)
{
    ShapeRenderResult result;
    const auto shapes = m.Shapes();

    visibleLayers_.assign(std::size_t(m.NextLayerId()) + 1, false);
    for (const CanvasLayer* l : m.Layers())
        if (l->Visible && l->Id >= 0 && l->Id <= m.NextLayerId()) visibleLayers_[std::size_t(l->Id)] = true;
    auto layerShown = [&](const TVShape& s) {
        return s.LayerId >= 0 && std::size_t(s.LayerId) < visibleLayers_.size() && visibleLayers_[std::size_t(s.LayerId)];
    };

    double cx0, cy0, cx1, cy1;
    VisibleWorldBox(m, cx0, cy0, cx1, cy1);
    const int W = m.ViewWidth() < 2 ? 1 : m.ViewWidth();
    const int H = m.ViewHeight() < 2 ? 1 : m.ViewHeight();
    const double sx = m.WorldWidth() > 0 ? m.WorldWidth() : 1.0;
    const double f = sx / W;  // one pixel in world units
    const double xmin = m.WorldXMin(), ymax = m.WorldYMax();
    const ShapeView view{m.WorldXMin(), m.WorldXMax(), m.WorldYMax(), m.WorldYMin(), W, H};
    const bool light = m.LightBackground();

    auto outside = [&](const TVShape& s) { return s.MaxX < cx0 || s.MinX > cx1 || s.MaxY < cy0 || s.MinY > cy1; };

    // First pass: what would be drawn, thinning points against the last one kept.
    candidates_.clear();
    std::size_t texts = 0;
    double lastPx = -9999, lastPy = -9999;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const TVShape& s = *shapes[i];
        if (!s.Visible || !layerShown(s) || outside(s)) continue;
        if (s.ShapeType == shapecode::Text) {
            ++texts;
            continue;
        }
        if (s.ShapeType == shapecode::Point) {
            const auto& p = static_cast<const TVPoint&>(s);
            const double px = std::trunc((p.X - xmin) / f), py = std::trunc((ymax - p.Y) / f);
            if (std::abs(px - lastPx) <= 2 && std::abs(py - lastPy) <= 2) continue;
            lastPx = px, lastPy = py;
        } else if (s.ShapeType != shapecode::Rectangle && s.ShapeType != shapecode::Line &&
                   s.MaxX - s.MinX < 0.5 * f && s.MaxY - s.MinY < 0.5 * f) {
            continue;
        }
        candidates_.push_back(std::uint32_t(i));
    }

    // Over the cap, the oldest shapes give way so that the newest always show.
    const std::size_t textRoom = std::min<std::size_t>(texts, std::size_t(W / 60 + 2) * std::size_t(H / 60 + 2));
    const std::size_t room = Cap > textRoom ? Cap - textRoom : 0;
    std::size_t firstDrawn = 0;
    if (candidates_.size() > room) {
        firstDrawn = candidates_.size() - room;
        result.LeftOut = firstDrawn;
    }
    for (std::size_t k = firstDrawn; k < candidates_.size(); ++k) {
        const TVShape& s = *shapes[candidates_[k]];
        s.Draw(painter, view, DrawStyle{m.ContrastColor(s.PenColor), light});
        ++result.Drawn;
    }

    // Second pass: texts, one per 60-pixel cell, the first in z-order taking it.
    if (texts > 0) {
        const int cols = W / 60 + 2, rows = H / 60 + 2;
        cells_.assign(std::size_t(cols) * std::size_t(rows), false);
        for (const TVShape* p : shapes) {
            if (p->ShapeType != shapecode::Text || !p->Visible || !layerShown(*p) || outside(*p)) continue;
            if (result.Drawn >= Cap) {
                ++result.LeftOut;
                continue;
            }
            const auto& t = static_cast<const TVText&>(*p);
            long long col = std::max(0LL, static_cast<long long>(std::clamp(std::trunc((t.X - xmin) / f), -1e9, 1e9)) / 60);
            long long row = std::max(0LL, static_cast<long long>(std::clamp(std::trunc((ymax - t.Y) / f), -1e9, 1e9)) / 60);
            if (col >= cols) col = W / 60 + 1;
            if (row >= rows) row = H / 60 + 1;
            const std::size_t cell = std::size_t(row) * std::size_t(cols) + std::size_t(col);
            if (cells_[cell]) continue;
            cells_[cell] = true;
            t.Draw(painter, view, DrawStyle{m.ContrastColor(t.PenColor), light});
            ++result.Drawn;
        }
    }
    return result;
}

} // namespace vsx
