#include "tools/SvpGraphModel.h"

#include "platform/Numbers.h"
#include "platform/ScanFormat.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace vsx {

namespace {
// Plot pixels a marker may lie at: far enough outside to be off any screen, small enough that
// the lasso's integer arithmetic cannot overflow.
constexpr double kFarPixel = 1e8;

bool sameData(const SvpGraphPoint& a, const SvpGraphPoint& b)
{
    return a.Depth == b.Depth && a.SV == b.SV && a.Hits == b.Hits;
}
} // namespace

void SvpGraphModel::LoadPoints(const TextLines& lines)
{
    static const ScanFormat format = *ScanFormat::compile("%d,%lf,%d");
    points_.clear();
    for (const std::string& line : lines) {
        double v[3];
        const int n = format.scan(line, v, 3);
        if (n < 2 || std::fabs(v[0]) > INT_MAX) continue;
        SvpGraphPoint p;
        p.Depth = int(v[0]);
        p.SV = v[1];
        p.Hits = n == 3 && std::fabs(v[2]) <= INT_MAX ? int(v[2]) : 1;
        points_.push_back(p);
    }
    loaded_ = points_;
    dragIndex_ = -1;
    FitAxes();
}

TextLines SvpGraphModel::WritePoints() const
{
    TextLines out;
    out.reserve(points_.size());
    for (const SvpGraphPoint& p : points_)
        out.push_back(formatInt(p.Depth) + "," + formatFixed(p.SV, 2) + "," + formatInt(p.Hits));
    return out;
}

void SvpGraphModel::SetPoints(std::vector<SvpGraphPoint> points)
{
    points_ = std::move(points);
    for (SvpGraphPoint& p : points_) p.Selected = false;
    dragIndex_ = -1;
    FitAxes();
}

bool SvpGraphModel::DataChanged() const
{
    return !std::equal(points_.begin(), points_.end(), loaded_.begin(), loaded_.end(), sameData);
}

void SvpGraphModel::FitAxes()
{
    if (points_.empty()) return;
    auto [minDepth, maxDepth] = std::minmax_element(points_.begin(), points_.end(),
                                                    [](const auto& a, const auto& b) { return a.Depth < b.Depth; });
    auto [minSv, maxSv] =
        std::minmax_element(points_.begin(), points_.end(), [](const auto& a, const auto& b) { return a.SV < b.SV; });
    DepthMin = std::min(10000.0, double(minDepth->Depth));
    DepthMax = std::max(0.0, double(maxDepth->Depth));
    const double lo = std::min(1600.0, minSv->SV), hi = std::max(1300.0, maxSv->SV);
    const double span = std::max(10.0, hi - lo);
    SvMin = lo - 0.05 * span;
    SvMax = hi + 0.05 * span;
}

void SvpGraphModel::SetPlotSize(int width, int height)
{
    width_ = width;
    height_ = height;
}

double SvpGraphModel::ScreenX(double sv) const
{
    if (SvMax == SvMin) return kMarginLeft;
    const double w = width_ - kMarginLeft - kMarginRight;
    return std::clamp(kMarginLeft + std::trunc(w * (sv - SvMin) / (SvMax - SvMin)), -kFarPixel, kFarPixel);
}

double SvpGraphModel::ScreenY(double depth) const
{
    if (DepthMax == DepthMin) return kMarginTop;
    const double h = height_ - kMarginTop - kMarginBottom;
    return std::clamp(kMarginTop + std::trunc(h * (depth - DepthMin) / (DepthMax - DepthMin)), -kFarPixel, kFarPixel);
}

double SvpGraphModel::SvAt(double x) const
{
    const double w = width_ - kMarginLeft - kMarginRight;
    if (w == 0) return SvMin;
    return SvMin + (SvMax - SvMin) * (x - kMarginLeft) / w;
}

double SvpGraphModel::DepthAt(double y) const
{
    const double h = height_ - kMarginTop - kMarginBottom;
    if (h == 0) return DepthMin;
    return DepthMin + (DepthMax - DepthMin) * (y - kMarginTop) / h;
}

PlotPixel SvpGraphModel::Marker(const SvpGraphPoint& p) const { return {int(ScreenX(p.SV)), int(ScreenY(p.Depth))}; }

int SvpGraphModel::HitTest(int x, int y) const
{
    for (size_t i = 0; i < points_.size(); ++i) {
        const PlotPixel m = Marker(points_[i]);
        if (std::abs(m.x - x) <= kHitDistance && std::abs(m.y - y) <= kHitDistance) return int(i);
    }
    return -1;
}

void SvpGraphModel::BeginDrag(int index) { dragIndex_ = index >= 0 && size_t(index) < points_.size() ? index : -1; }

bool SvpGraphModel::DragTo(int x)
{
    if (dragIndex_ < 0) return false;
    const double sv = SvAt(x);
    if (sv < kColumnSvLow || sv > kColumnSvHigh) return false;
    points_[size_t(dragIndex_)].SV = sv;
    return true;
}

void SvpGraphModel::EndDrag()
{
    dragIndex_ = -1;
    FitAxes();
}

void SvpGraphModel::BeginLasso(int x, int y)
{
    lasso_ = {{x, y}};
    lassoActive_ = true;
}

bool SvpGraphModel::ExtendLasso(int x, int y)
{
    if (!lassoActive_ || lasso_.empty()) return false;
    const PlotPixel& last = lasso_.back();
    if (std::abs(x - last.x) <= kLassoStep && std::abs(y - last.y) <= kLassoStep) return false;
    lasso_.push_back({x, y});
    return true;
}

void SvpGraphModel::EndLasso()
{
    lassoActive_ = false;
    if (lasso_.size() < 3) return;
    for (SvpGraphPoint& p : points_) {
        const PlotPixel m = Marker(p);
        p.Selected = PointInLasso(m.x, m.y);
    }
}

bool SvpGraphModel::PointInLasso(int x, int y) const
{
    const size_t n = lasso_.size();
    if (n < 3) return false;
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const long long xi = lasso_[i].x, yi = lasso_[i].y, xj = lasso_[j].x, yj = lasso_[j].y;
        if ((y < yi) != (y < yj) && x < xi + (y - yi) * (xj - xi) / (yj - yi)) inside = !inside;
    }
    return inside;
}

int SvpGraphModel::SelectedCount() const
{
    return int(std::count_if(points_.begin(), points_.end(), [](const auto& p) { return p.Selected; }));
}

void SvpGraphModel::SelectOnly(int index)
{
    for (size_t i = 0; i < points_.size(); ++i) points_[i].Selected = int(i) == index;
}

void SvpGraphModel::DeleteSelected()
{
    std::erase_if(points_, [](const SvpGraphPoint& p) { return p.Selected; });
    lasso_.clear();
    lassoActive_ = false;
    dragIndex_ = -1;
    FitAxes();
}

void SvpGraphModel::Zoom(bool forward, int x, int y)
{
    const double factor = forward ? 0.9 : 1.1;
    auto zoomAxis = [factor](double& min, double& max, double c) {
        const double span = max - min;
        // A single depth (or velocity) leaves no span to place the cursor in: zoom about the middle.
        const double t = span > 0 ? (c - min) / span : 0.5;
        const double next = std::clamp(factor * span, kMinSpan, kMaxSpan);
        min = c - next * t;
        max = c + next * (1 - t);
    };
    zoomAxis(SvMin, SvMax, SvAt(x));
    zoomAxis(DepthMin, DepthMax, DepthAt(y));
}

std::vector<double> SvpGraphModel::gridLines(double min, double max, double step, bool horizontal) const
{
    std::vector<double> lines;
    if (!(max > min)) return lines;
    while ((max - min) / step > kMaxGridLines) step *= 10;
    for (double v = std::floor(min / step) * step; v <= max; v += step) {
        const double pixel = horizontal ? ScreenY(v) : ScreenX(v);
        const double from = horizontal ? kMarginTop : kMarginLeft;
        const double to = horizontal ? height_ - kMarginBottom : width_ - kMarginRight;
        if (pixel < from || pixel > to) continue;
        lines.push_back(v);
    }
    return lines;
}

std::vector<double> SvpGraphModel::SvGridLines() const { return gridLines(SvMin, SvMax, 10.0, false); }

std::vector<double> SvpGraphModel::DepthGridLines() const
{
    const double span = DepthMax - DepthMin;
    const double step = span > 500 ? 100.0 : span > 200 ? 50.0 : 10.0;
    return gridLines(DepthMin, DepthMax, step, true);
}

} // namespace vsx
