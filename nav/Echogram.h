#pragma once
// The echogram of the waterfall window: the recent depth history drawn as columns from the top
// down to each depth, the bottom profile, a depth grid and the current depth.
#include <array>
#include <cstddef>

class QPainter;
class QSize;

namespace vsx {

class EchogramHistory {
public:
    static constexpr int kCapacity = 200;

    // Appends a depth (0 or less: no depth) to the first `count` entries (clamped to 1..200),
    // dropping the oldest.
    void push(double depth, int count);
    int count() const { return count_; }
    double depth(int i) const { return depths_[size_t(i)]; }
    double row(int i) const { return rows_[size_t(i)]; }

    struct Range {
        double top, bottom, span;
    };
    // The vertical range over the valid depths: with more than 3 and a spread, min/max with a
    // margin of max(0.3, spread x 0.1) (top not above 0); otherwise the given range.
    Range range(double defaultTop, double defaultBottom) const;
    // Pixel rows of every entry for a drawing `height` pixels high.
    void computeRows(const Range& r, int height);

private:
    std::array<double, kCapacity> depths_ {};
    std::array<double, kCapacity> rows_ {};
    int count_ = 50;
};

// The depth grid step for a span: a 1, 2, 2.5 or 5 times a power of ten near a quarter of it.
double EchogramGridStep(double span);
// Decimals of the grid labels for a step.
int EchogramGridDecimals(double step);

// Draws the history (rows must be computed for `size`) and the current depth.
void PaintEchogram(QPainter& p, const QSize& size, const EchogramHistory& h, const EchogramHistory::Range& r,
                   double newDepth);

} // namespace vsx
