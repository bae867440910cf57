// Pixel probes of the painter layer: the exclusive right and bottom edges, the left-out end
// pixel of lines, text placed by its top-left corner and point sizes at 96 DPI.
#include "canvas/QtGdiPainter.h"
#include "canvas/Shapes.h"

#include <QImage>
#include <QPainter>
#include <functional>
#include <gtest/gtest.h>

namespace vsx {
namespace {

QImage paint(const std::function<void(GdiPainter&)>& draw, int w = 40, int h = 40)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter qp(&img);
    QtGdiPainter p(qp);
    p.SetPenColor(clBlack);
    p.SetBrushStyle(GdiBrushStyle::Clear);
    draw(p);
    qp.end();
    return img;
}

bool ink(const QImage& img, int x, int y) { return img.pixel(x, y) != qRgb(255, 255, 255); }

// The box of all non-white pixels as left, top, right, bottom (inclusive).
QRect inkBox(const QImage& img)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (ink(img, x, y)) box |= QRect(x, y, 1, 1);
    return box;
}

TEST(QtGdiPainter, FiguresLeaveOutTheirRightAndBottomEdge)
{
    struct Case {
        const char* name;
        std::function<void(GdiPainter&)> draw;
        QRect expected;  // inclusive pixel box
    } cases[] = {
        {"Rectangle", [](GdiPainter& p) { p.Rectangle(2, 3, 7, 9); }, QRect(QPoint(2, 3), QPoint(6, 8))},
        {"FillRect", [](GdiPainter& p) { p.SetBrushStyle(GdiBrushStyle::Solid); p.SetBrushColor(clBlack); p.FillRect(2, 3, 7, 9); },
         QRect(QPoint(2, 3), QPoint(6, 8))},
        {"Ellipse", [](GdiPainter& p) { p.Ellipse(4, 4, 15, 15); }, QRect(QPoint(4, 4), QPoint(14, 14))},
        {"RoundRect", [](GdiPainter& p) { p.RoundRect(4, 4, 20, 15, 4, 4); }, QRect(QPoint(4, 4), QPoint(19, 14))},
        {"LineTo horizontal", [](GdiPainter& p) { p.MoveTo(2, 10); p.LineTo(10, 10); }, QRect(QPoint(2, 10), QPoint(9, 10))},
        {"LineTo vertical", [](GdiPainter& p) { p.MoveTo(5, 2); p.LineTo(5, 12); }, QRect(QPoint(5, 2), QPoint(5, 11))},
        {"Polyline", [](GdiPainter& p) { p.Polyline({{2, 2}, {10, 2}, {10, 8}}); }, QRect(QPoint(2, 2), QPoint(10, 7))},
    };
    for (const Case& c : cases) {
        const QImage img = paint(c.draw);
        EXPECT_EQ(inkBox(img), c.expected) << c.name;
    }
}

TEST(QtGdiPainter, FontPointsBecomePixelsAt96Dpi)
{
    EXPECT_EQ(fontPixelSize(8), 11);
    EXPECT_EQ(fontPixelSize(10), 13);
    EXPECT_EQ(fontPixelSize(12), 16);
    EXPECT_EQ(fontPixelSize(40), 53);
}

TEST(QtGdiPainter, TextIsPlacedByItsTopLeftCorner)
{
    const QImage img = paint([](GdiPainter& p) {
        GdiFont f;
        f.Size = 20;
        p.SetFont(f);
        p.TextOut(10, 12, "HH");
    }, 80, 60);
    const QRect box = inkBox(img);
    ASSERT_FALSE(box.isNull());
    EXPECT_GE(box.top(), 12);
    EXPECT_GE(box.left(), 10);
    EXPECT_LE(box.bottom(), 12 + fontPixelSize(20) + 8);
}

TEST(QtGdiPainter, PointStylesCoverTheirSquaresAndDiscs)
{
    // A 40 x 40 window on 40 x 40 pixels: world (20, 20) is pixel (20, 20).
    const ShapeView view{0, 40, 40, 0, 40, 40};
    struct Case {
        int style;
        QRect expected;
    } cases[] = {
        {0, QRect(20, 20, 1, 1)},
        {1, QRect(20, 20, 2, 2)},
        {2, QRect(QPoint(19, 19), QPoint(21, 21))},  // 3 x 3
        {3, QRect(QPoint(18, 18), QPoint(22, 22))},  // 5 x 5
        {5, QRect(QPoint(17, 17), QPoint(22, 22))},  // Ellipse(17, 17, 23, 23)
    };
    for (const Case& c : cases) {
        TVPoint pt(20, 20, 0);
        pt.PenWidth = c.style;
        const QImage img = paint([&](GdiPainter& p) { pt.Draw(p, view); });
        EXPECT_EQ(inkBox(img), c.expected) << "style " << c.style;
    }
}

TEST(QtGdiPainter, FarAwayGeometryIsClippedNotOverflowed)
{
    const ShapeView view{0, 40, 40, 0, 40, 40};
    TVLine line(-1e12, 20, 1e12, 20, 0);
    const QImage img = paint([&](GdiPainter& p) { line.Draw(p, view); });
    EXPECT_TRUE(ink(img, 0, 20));
    EXPECT_TRUE(ink(img, 39, 20));

    TVPolyline poly(shapecode::Polygon, 0);
    for (auto [x, y] : {std::pair{10.0, 10.0}, {1e13, 10.0}, {10.0, 30.0}}) poly.AddVertex(x, y);
    poly.BrushStyle = 0;
    poly.BrushColor = clBlack;
    const QImage filled = paint([&](GdiPainter& p) { poly.Draw(p, view); });
    EXPECT_TRUE(ink(filled, 30, 28));   // inside the long thin triangle near its left end
    EXPECT_FALSE(ink(filled, 5, 20));   // left of it
}

} // namespace
} // namespace vsx
