#pragma once
// The profile graph without its window: the points of the per-metre table, the axes, the mapping
// between values and plot pixels, dragging a point's velocity, the lasso selection and the wheel
// zoom. Velocity runs along the horizontal axis, depth grows downwards.
#include "tools/SoundVelocityProfile.h"

#include <vector>

namespace vsx {

struct SvpGraphPoint {
    int Depth = 0;      // metres
    double SV = 0;      // m/s
    int Hits = 1;       // samples behind the entry
    bool Selected = false;
};

struct PlotPixel {
    int x = 0, y = 0;
};

class SvpGraphModel {
public:
    static constexpr int kMarginLeft = 60, kMarginTop = 20, kMarginRight = 20, kMarginBottom = 40;
    static constexpr int kHitDistance = 7;       // pixels, both ways, from a marker's centre
    static constexpr int kLassoStep = 3;         // a lasso point is added beyond this many pixels
    static constexpr double kMinSpan = 5.0;      // the wheel never zooms in further
    static constexpr double kMaxSpan = 100000.0; // nor out further

    // "depth,sv,hits" lines (hits 1 when a line holds two numbers); lines with fewer numbers are
    // skipped. The loaded points are what DataChanged compares with.
    void LoadPoints(const TextLines& lines);
    // One "depth,sv,hits" line per point in point order, the velocity with two decimals.
    TextLines WritePoints() const;
    // Points edited elsewhere (the grid); unselected.
    void SetPoints(std::vector<SvpGraphPoint> points);
    const std::vector<SvpGraphPoint>& Points() const { return points_; }
    // The points differ from those loaded in a depth, a velocity, a count or their number.
    bool DataChanged() const;

    void FitAxes();
    void SetPlotSize(int width, int height);
    double SvMin = 1300, SvMax = 1700, DepthMin = 0, DepthMax = 100;

    // Value to pixel (whole pixels, kept as a double so a far zoom cannot overflow) and back.
    double ScreenX(double sv) const;
    double ScreenY(double depth) const;
    double SvAt(double x) const;
    double DepthAt(double y) const;
    // The marker centre of a point, clamped far outside the plot.
    PlotPixel Marker(const SvpGraphPoint& p) const;

    // The first point whose marker centre lies within kHitDistance of (x, y); -1 when none.
    int HitTest(int x, int y) const;

    // Dragging changes a point's velocity only, within 1300..1700 m/s (beyond, it stays).
    void BeginDrag(int index);
    bool DragTo(int x);  // true when the velocity changed
    void EndDrag();      // refits the axes
    bool Dragging() const { return dragIndex_ >= 0; }
    int DragIndex() const { return dragIndex_; }

    void BeginLasso(int x, int y);
    bool ExtendLasso(int x, int y);  // true when the point was added
    // Ends the lasso; with three points or more the points inside it become the selection.
    void EndLasso();
    bool LassoActive() const { return lassoActive_; }
    const std::vector<PlotPixel>& Lasso() const { return lasso_; }
    // Even-odd rule on the lasso polygon in integer arithmetic; outside with fewer than three points.
    bool PointInLasso(int x, int y) const;

    int SelectedCount() const;
    void SelectOnly(int index);
    // Keeps the unselected points, forgets the lasso, refits the axes.
    void DeleteSelected();

    // Zooms both axes about the value under (x, y): forward by 0.9, back by 1.1.
    void Zoom(bool forward, int x, int y);

    // Grid line values: every 10 m/s, and every 10, 50 or 100 m by the depth range; the step
    // grows tenfold while it would give more than kMaxGridLines lines.
    std::vector<double> SvGridLines() const;
    std::vector<double> DepthGridLines() const;
    static constexpr int kMaxGridLines = 200;

private:
    std::vector<double> gridLines(double min, double max, double step, bool horizontal) const;

    std::vector<SvpGraphPoint> points_, loaded_;
    std::vector<PlotPixel> lasso_;
    bool lassoActive_ = false;
    int dragIndex_ = -1;
    int width_ = 0, height_ = 0;
};

} // namespace vsx
