#include "canvas/XyzCells.h"

#include "canvas/FileNumbers.h"
#include "platform/AtomicFile.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>

namespace vsx {

namespace {

constexpr double kTiny = 1e-9;

std::vector<XyzPoint> readPoints(std::string_view text)
{
    std::vector<XyzPoint> points;
    filenum::LineReader lines(text);
    std::string_view view;
    std::string line;
    while (lines.next(view)) {
        if (view.empty() || view[0] == '#' || view[0] == ';') continue;
        line.assign(view);
        std::replace(line.begin(), line.end(), ',', ' ');
        filenum::FieldReader f(line);
        XyzPoint p;
        // Non-finite values ("nan") are not numbers: such a line is skipped.
        if (!filenum::leadingDouble(f.word(), p.X) || !filenum::leadingDouble(f.word(), p.Y) ||
            !filenum::leadingDouble(f.word(), p.Z))
            continue;
        points.push_back(p);
    }
    return points;
}

}  // namespace

XyzGrid DetectXyzGrid(const std::vector<XyzPoint>& pts)
{
    XyzGrid grid;
    const std::size_t n = pts.size();
    if (n < 11) return grid;
    const std::size_t f = std::min<std::size_t>(n, 1000);

    // Spacing: the smallest non-zero difference between near neighbours in file order.
    double dx = 1e30, dy = 1e30;
    for (std::size_t i = 0; i + 1 < f; ++i) {
        const std::size_t last = std::min({n, i + 50, std::size_t(1000)});
        for (std::size_t j = i + 1; j < last; ++j) {
            const double ddx = std::fabs(pts[j].X - pts[i].X), ddy = std::fabs(pts[j].Y - pts[i].Y);
            if (ddx > kTiny && ddx < dx) dx = ddx;
            if (ddy > kTiny && ddy < dy) dy = ddy;
        }
    }
    if (!(dx > 0 && dx < 1e20 && dy > 0 && dy < 1e20)) return grid;

    // Regularity: differences that are whole multiples of the spacing.
    int tests = 0, hits = 0;
    auto test = [&](double d, double spacing) {
        if (d <= kTiny) return;
        ++tests;
        const double q = d / spacing;
        if (std::fabs(q - std::round(q)) <= 0.1) ++hits;
    };
    for (std::size_t i = 0; i < f && tests < 100; ++i) {
        const std::size_t last = std::min({n, i + 10, std::size_t(1000)});
        for (std::size_t j = i + 1; j < last; ++j) {
            test(std::fabs(pts[j].X - pts[i].X), dx);
            test(std::fabs(pts[j].Y - pts[i].Y), dy);
        }
    }
    if (tests == 0 || hits * 100 / tests < 80) return grid;

    // Rounded coordinates make every difference a multiple of 0.01: scattered soundings would be
    // taken for a grid of centimetre cells. A grid must also fill its extent reasonably.
    double minX = pts[0].X, maxX = minX, minY = pts[0].Y, maxY = minY;
    for (const XyzPoint& p : pts) {
        minX = std::min(minX, p.X), maxX = std::max(maxX, p.X);
        minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
    }
    const double cells = ((maxX - minX) / dx + 1) * ((maxY - minY) / dy + 1);
    if (!(cells <= 4.0 * double(n))) return grid;

    grid.IsGrid = true;
    grid.Dx = dx;
    grid.Dy = dy;
    return grid;
}

ColorValue DepthRampColor(double z, double zmin, double zmax)
{
    const double range = zmax - zmin;
    double a = (z - zmin) / (range > 0 ? range : 1.0);
    if (!std::isfinite(a)) a = 0;  // a NaN position would make the integer conversions undefined
    a = std::clamp(a, 0.0, 1.0);
    if (a < 0.25) return rgbColor(255, int(a * 4 * 255), 0);
    if (a < 0.5) return rgbColor(int((1 - (a - 0.25) * 4) * 255), 255, 0);
    if (a < 0.75) return rgbColor(0, 255, int((a - 0.5) * 4 * 255));
    return rgbColor(0, int((1 - (a - 0.75) * 4) * 255), 255);
}

double PlaneDistance(double x1, double y1, double x2, double y2) { return std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1)); }

double PlaneDirection(double x1, double y1, double x2, double y2)
{
    constexpr double twoPi = 2 * std::numbers::pi;
    double a = std::atan2(y2 - y1, x2 - x1);
    if (a < 0) a += twoPi;
    return a < twoPi ? a : 0.0;  // a tiny negative angle can round up to exactly 2 pi
}

bool ImportXyzCells(CanvasModel& model, const std::string& path, int layerId, double zmin, double zmax)
{
    std::error_code ec;
    std::string text;
    if (!std::filesystem::is_regular_file(path, ec) || !readFile(path, text)) return false;
    const std::vector<XyzPoint> points = readPoints(text);
    if (points.empty()) return false;
    if (zmin == 0 && zmax == 0) {
        zmin = zmax = points[0].Z;
        for (const XyzPoint& p : points) zmin = std::min(zmin, p.Z), zmax = std::max(zmax, p.Z);
    }
    const XyzGrid grid = DetectXyzGrid(points);
    for (const XyzPoint& p : points) {
        const ColorValue colour = DepthRampColor(p.Z, zmin, zmax);
        if (grid.IsGrid) {
            auto cell = std::make_unique<TVRectangle>(p.X - grid.Dx / 2, p.Y - grid.Dy / 2, p.X + grid.Dx / 2,
                                                      p.Y + grid.Dy / 2, layerId);
            cell->Value = p.Z;
            cell->PenColor = cell->BrushColor = colour;
            cell->BrushStyle = 0;
            cell->PenWidth = 0;  // a bare fill
            model.AppendShape(std::move(cell));
        } else {
            auto point = std::make_unique<TVPoint>(p.X, p.Y, layerId, 1, p.Z);
            point->PenColor = colour;
            point->PenWidth = 0;  // point style 0: one pixel
            point->MinX = p.X - 3, point->MaxX = p.X + 3, point->MinY = p.Y - 3, point->MaxY = p.Y + 3;
            model.AppendShape(std::move(point));
        }
    }
    model.Redraw();
    model.ZoomExtents();
    return true;
}

}  // namespace vsx
