// A sample survey map with every kind of content and overlay, painted through the widget as the
// screen shows it. Set VSX_CANVAS_SAMPLE_PNG to a file name to keep the picture.
#include "CanvasWidgetTestSupport.h"

#include <cmath>
#include <gtest/gtest.h>

namespace vsx {
namespace {

void buildSample(TVeldorCanvas& canvas)
{
    CanvasModel& m = canvas.Model();
    const double e0 = 500000, n0 = 4500000;
    m.SetWorldWindow(e0, n0 + 450, e0 + 800, n0);

    // Run lines and the route.
    const int runlines = m.AddLayer("Runlines");
    m.SetLayerColor(runlines, clGray);
    for (int i = 0; i < 8; ++i) m.AddLine(e0 + 100, n0 + 60 + i * 40, e0 + 700, n0 + 60 + i * 40, runlines);
    const int route = m.AddLayer("Veldor_Route");
    m.SetLayerColor(route, clPurple);
    m.SetLayerWidth(route, 2);
    m.AddPolyline({{e0 + 80, n0 + 40}, {e0 + 720, n0 + 40}, {e0 + 720, n0 + 380}, {e0 + 80, n0 + 380}}, route, 0);

    // Tracks: fixed and float segments along the lines.
    const int fix = m.AddLayer("track_fix"), flt = m.AddLayer("track_float");
    m.SetLayerColor(fix, clGreen);
    m.SetLayerWidth(fix, 2);
    m.SetLayerColor(flt, 0x00A5FF);
    m.SetLayerWidth(flt, 2);
    double px = e0 + 100, py = n0 + 60;
    for (int line = 0; line < 5; ++line) {
        for (int i = 1; i <= 120; ++i) {
            const double x = line % 2 == 0 ? e0 + 100 + i * 5 : e0 + 700 - i * 5;
            const double y = n0 + 60 + line * 40 + 2.5 * std::sin(i * 0.2 + line);
            m.AddLine(px, py, x, y, (i / 30) % 4 == 3 ? flt : fix);
            px = x, py = y;
        }
        if (line < 4) {
            m.AddLine(px, py, px, py + 40, fix);
            py += 40;
        }
    }

    // A filled polygon, a circle, a rectangle, points and texts.
    const int area = m.AddLayer("Area");
    m.SetLayerColor(area, clNavy);
    m.SetLayerBrushColor(area, 0xFFE0C0);
    m.SetLayerBrushStyle(area, 0);
    m.AddPolyline({{e0 + 560, n0 + 300}, {e0 + 690, n0 + 330}, {e0 + 650, n0 + 420}, {e0 + 540, n0 + 400}}, area, 1);
    const int marks = m.AddLayer("Marks");
    m.SetLayerColor(marks, clRed);
    m.SetLayerWidth(marks, 3);
    for (int i = 0; i < 6; ++i) m.AddPoint(e0 + 150 + i * 90, n0 + 420, marks);
    m.AddCircle(e0 + 200, n0 + 330, 25, marks);
    m.AddRectangle(e0 + 300, n0 + 300, e0 + 400, n0 + 350, marks);
    const int labels = m.AddLayer("Labels");
    m.SetLayerColor(labels, clBlack);
    m.AddTextFont("Arial,11,B");
    m.AddText(labels, "Buoy A", e0 + 160, n0 + 410, 1);
    m.AddText(labels, "Pier", e0 + 560, n0 + 410, 1);

    // The vessel on top.
    const int vessel = m.AddLayer("~~Veldor Vessel");
    m.SetLayerColor(vessel, clRed);
    m.SetLayerWidth(vessel, 2);
    const double vx = px, vy = py;
    m.AddLine(vx, vy, vx - 20, vy, vessel);
    m.AddLine(vx - 20, vy, vx - 12, vy + 5, vessel);
    m.AddLine(vx - 20, vy, vx - 12, vy - 5, vessel);
    m.AddCircle(vx, vy, 10, vessel);

    // Overlays.
    canvas.SetSoundingStyle(1, 15, "Arial", 9, clNavy);
    for (int i = 0; i < 24; ++i) canvas.AddSounding(e0 + 110 + i * 25, n0 + 75, 11.5 + 0.3 * std::sin(i));
    canvas.AddEventMarker(e0 + 300, n0 + 140, 1);
    canvas.AddEventMarker(e0 + 500, n0 + 180, 2);
    CanvasGrid grid;
    grid.Shown = true;
    canvas.SetGrid(grid);
    canvas.SetDepthHud(12.34, 12.1, true);
    canvas.SetHudValue(4.6, true);
    CanvasSettings& s = canvas.Settings();
    s.HudStatusText = "RTK FIX  E 500612.34  N 4500223.10  THdg: 271.4";
    s.HudFixQuality = 4;
    canvas.SetHeadingHudPlain(false);
    canvas.StartMeasure(e0 + 150, n0 + 270);
    canvas.UpdateMeasureEnd(e0 + 450, n0 + 350, std::hypot(300.0, 80.0), 75.07);
}

TEST(CanvasPaintSample, EverythingOnOneMap)
{
    auto canvas = test::makeCanvas(960, 540, 0, 0, 1, 1);
    buildSample(*canvas);
    const QImage img = test::frameOf(*canvas);
    if (const char* path = std::getenv("VSX_CANVAS_SAMPLE_PNG")) img.save(QString::fromLocal8Bit(path));

    EXPECT_GT(test::countPixels(img, clGreen), 1000) << "the fixed track";
    EXPECT_GT(test::countPixels(img, clLime), 1000) << "the heading HUD box";
    EXPECT_GT(test::countPixels(img, clYellow), 500) << "the measure label";
    EXPECT_GT(test::countPixels(img, 0xFFE0C0), 5000) << "the filled area";
    EXPECT_GT(test::countPixels(img, clSilver), 200) << "the grid";
    EXPECT_EQ(canvas->RebuildCount(), 1);
}

} // namespace
} // namespace vsx
