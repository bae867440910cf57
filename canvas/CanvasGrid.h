#pragma once
// The map grid: its settings (fields of each canvas, written by the device settings window and
// the helmsman window) and the choice of the line spacing.
#include "platform/Colour.h"

#include <string>

namespace vsx {

struct CanvasGrid {
    bool Shown = false;
    bool AutoSpacing = true;  // spacing chosen from the view
    double StepX = 100;       // fixed spacing in metres; 0 or less also chooses from the view
    double StepY = 100;
    ColorValue LineColor = clSilver;
    int OnTop = 0;            // 1 draws the grid over the shapes
};

// The nice value (1, 2 or 5 times a power of ten) for `e`: m = e / 10^floor(log10 e) gives
// 1, 2, 5 or 10 times that power for m below 1.5, 3.5, 7.5 and otherwise. 0 for e <= 0.
double NiceValue(double e);

// Most grid lines drawn across the view in each direction. A finer spacing typed by hand is
// widened (x2, x5, x10, ...) until it fits, so that a tiny step cannot stall the map.
inline constexpr double MaxGridLines = 500;

struct GridSpacing {
    double X = 0, Y = 0;
};
// Spacing for a view `width` x `height` world units wide whose lines cover `spanX` x `spanY`
// (larger than the view when the map is rotated).
GridSpacing ChooseGridSpacing(const CanvasGrid& grid, double width, double spanX, double spanY);

// A grid label: up to one decimal for a step of 1 or more, else up to three; no trailing zeros.
std::string GridLabel(double value, double step);

} // namespace vsx
