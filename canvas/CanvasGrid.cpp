#include "canvas/CanvasGrid.h"

#include "platform/Numbers.h"

#include <cmath>
#include <string>

namespace vsx {

double NiceValue(double e)
{
    if (!(e > 0) || !std::isfinite(e)) return 0;
    const double p = std::floor(std::log10(e));
    const double power = std::pow(10.0, p);
    // Ratios such as 0.075 / 0.01 come out a hair below 7.5; compare with a small tolerance.
    const double m = e / power * (1 + 1e-12);
    if (m < 1.5) return power;
    if (m < 3.5) return 2 * power;
    if (m < 7.5) return 5 * power;
    return 10 * power;
}

namespace {

// The smallest of step x 1, 2, 5, 10, 20, 50, ... that keeps span / step within the limit.
double widen(double step, double span)
{
    if (!(span > 0) || !std::isfinite(span)) return step;
    static constexpr double factors[] = {1, 2, 5};
    for (double decade = 1;; decade *= 10)
        for (double f : factors)
            if (span / (step * f * decade) <= MaxGridLines) return step * f * decade;
}

} // namespace

GridSpacing ChooseGridSpacing(const CanvasGrid& grid, double width, double spanX, double spanY)
{
    GridSpacing s;
    if (grid.AutoSpacing || !(grid.StepX > 0) || !(grid.StepY > 0)) {
        s.X = s.Y = NiceValue(width / 4);
    } else {
        s.X = grid.StepX;
        s.Y = grid.StepY;
    }
    if (!(s.X > 0) || !(s.Y > 0)) return {};
    s.X = widen(s.X, spanX);
    s.Y = widen(s.Y, spanY);
    return s;
}

std::string GridLabel(double value, double step)
{
    std::string t = formatFixed(value, step >= 1 ? 1 : 3);
    if (t.find('.') != std::string::npos) {
        while (t.back() == '0') t.pop_back();
        if (t.back() == '.') t.pop_back();
    }
    if (t == "-0") t = "0";
    return t;
}

} // namespace vsx
