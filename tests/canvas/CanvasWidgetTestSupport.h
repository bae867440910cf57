#pragma once
// Helpers for the map widget tests: a canvas of a fixed size over a chosen world window, and
// pixel counts on rendered frames.
#include "canvas/VeldorCanvas.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <memory>

namespace vsx::test {

// A canvas of w x h pixels showing world x in [xmin, xmax], y in [ymin, ymax] (not shown), with
// settings of its own.
inline std::unique_ptr<TVeldorCanvas> makeCanvas(int w, int h, double xmin, double ymin, double xmax, double ymax)
{
    auto c = std::make_unique<TVeldorCanvas>();
    c->SetSettings(std::make_shared<CanvasSettings>());  // not the process-wide one
    c->resize(w, h);
    c->Model().Resize(w, h);
    c->Model().SetWorldWindow(xmin, ymax, xmax, ymin);
    return c;
}

inline QImage frameOf(TVeldorCanvas& c)
{
    QImage img;
    c.RenderFrame(img);
    return img;
}

inline bool sameColour(QRgb a, ColorValue c) { return (a & 0xFFFFFF) == (toQColor(c).rgb() & 0xFFFFFF); }

inline int countPixels(const QImage& img, ColorValue c, QRect area = {})
{
    if (area.isNull()) area = img.rect();
    area &= img.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (sameColour(img.pixel(x, y), c)) ++n;
    return n;
}

// The bounding box of the pixels of colour c (null when none).
inline QRect boundsOf(const QImage& img, ColorValue c)
{
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (sameColour(img.pixel(x, y), c)) r |= QRect(x, y, 1, 1);
    return r;
}

} // namespace vsx::test
