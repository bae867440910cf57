// Overlays and HUDs of the map widget: their texts and layout rules as tables, and a few pixel
// probes of what is drawn where.
#include "CanvasWidgetTestSupport.h"

#include "app/SharedValues.h"
#include "canvas/CanvasOverlays.h"

#include <gtest/gtest.h>

namespace vsx {
namespace {

using test::boundsOf;
using test::countPixels;
using test::frameOf;
using test::makeCanvas;

TEST(CanvasHud, SpeedHudTexts)
{
    struct Case {
        double depth1, depth2;
        bool showDepth;
        double speed;
        bool showSpeed;
        SpeedHudText text;
    } cases[] = {
        {12.34, 0, true, 0, false, {"12.3", "4m", "", ""}},
        {7.5, 3.25, true, 0, false, {"7.5", "0m/3.25m", "", ""}},
        {0, 0, true, 0, false, {"--.-", "m", "", ""}},
        {-3, 5, true, 0, false, {"--.-", "m", "", ""}},
        {0.125, 0, true, 0, false, {"0.1", "3m", "", ""}},
        {12.34, 0, false, 4.25, true, {"", "", "4.3", "kn"}},
        {12.34, 1.5, true, 10, true, {"12.3", "4m/1.50m", "10.0", "kn"}},
        {12.34, 0, false, 4.25, false, {"", "", "", ""}},
    };
    for (const Case& c : cases) {
        HudState hud;
        hud.Depth1 = c.depth1, hud.Depth2 = c.depth2, hud.ShowDepth = c.showDepth;
        hud.Speed = c.speed, hud.ShowSpeed = c.showSpeed;
        const SpeedHudText t = ComposeSpeedHud(hud);
        EXPECT_EQ(t.Large1, c.text.Large1) << c.depth1;
        EXPECT_EQ(t.Small1, c.text.Small1) << c.depth1;
        EXPECT_EQ(t.Large2, c.text.Large2) << c.speed;
        EXPECT_EQ(t.Small2, c.text.Small2) << c.speed;
    }
    EXPECT_TRUE(ComposeSpeedHud(HudState{}).Empty());
}

TEST(CanvasHud, HeadingHudColoursByFixQuality)
{
    struct Case {
        bool noPosition;
        int quality;
        ColorValue box, text;
    } cases[] = {
        {true, 4, clRed, clWhite},    {false, 0, clRed, clWhite},    {false, 1, clRed, clWhite},
        {false, 2, clAqua, clBlack},  {false, 3, clYellow, clBlack}, {false, 4, clLime, clBlack},
        {false, 5, clYellow, clBlack}, {false, 6, clYellow, clBlack}, {false, 7, clLime, clBlack},
        {false, 9, clYellow, clBlack},
    };
    for (const Case& c : cases) {
        const HeadingHudColors s = HeadingHudStyle(c.noPosition, c.quality);
        EXPECT_EQ(s.Box, c.box) << c.noPosition << " " << c.quality;
        EXPECT_EQ(s.Text, c.text) << c.noPosition << " " << c.quality;
    }
    CanvasSettings settings;
    settings.HudStatusText = "E 500000.00 N 4500000.00";
    EXPECT_EQ(HeadingHudText(settings), "E 500000.00 N 4500000.00");
    settings.NoValidPosition = true;
    EXPECT_EQ(HeadingHudText(settings), "NO VALID POSITION RECEIVED");
}

TEST(CanvasHud, ScaleBar)
{
    struct Case {
        double worldWidth;
        int controlWidth;
        double length;
        int pixels;
        const char* label;
    } cases[] = {
        {900, 1000, 100, 111, "100 m"},
        {1000, 1000, 200, 150, "200 m"},  // asks for 150 m; drawn at the limit, labelled 200 m
        {0.5, 1000, 0.1, 150, "10 cm"},
        {20000, 1000, 2000, 100, "2.0 km"},
        {40000, 1000, 5000, 125, "5.0 km"},
        {13000, 1000, 2000, 150, "2.0 km"},  // 2000 m is 153 px: clamped
        {100, 1000, 20, 150, "20 m"},
        {400, 1000, 50, 125, "50 m"},
    };
    for (const Case& c : cases) {
        const ScaleBarLayout bar = ComputeScaleBar(c.worldWidth, c.controlWidth);
        ASSERT_TRUE(bar.Shown) << c.worldWidth;
        EXPECT_DOUBLE_EQ(bar.Length, c.length) << c.worldWidth;
        EXPECT_EQ(bar.Pixels, c.pixels) << c.worldWidth;
        EXPECT_EQ(bar.Label, c.label) << c.worldWidth;
    }
    EXPECT_FALSE(ComputeScaleBar(0, 1000).Shown);
    EXPECT_FALSE(ComputeScaleBar(1000, 0).Shown) << "a control without width draws no bar";
}

TEST(CanvasHud, CornersCycleAndClamp)
{
    auto canvas = makeCanvas(400, 300, 0, 0, 400, 300);
    for (int i = 0; i < 4; ++i) canvas->CycleSpeedHudPosition();
    EXPECT_EQ(canvas->SpeedHudCorner(), 0);
    canvas->CycleHeadingHudPosition();
    EXPECT_EQ(canvas->HeadingHudCorner(), 1);
    canvas->SetSpeedHudCorner(7);
    EXPECT_EQ(canvas->SpeedHudCorner(), 0);

    struct Case {
        int corner;
        QPoint speed, heading;  // for a text of 100 x 20 pixels
    } cases[] = {{0, {10, 270}, {8, 8}}, {1, {290, 270}, {292, 8}}, {2, {290, 10}, {292, 270}}, {3, {10, 10}, {8, 270}}};
    for (const Case& c : cases) {
        EXPECT_EQ(SpeedHudOrigin(c.corner, 400, 300, 100, 20), c.speed) << c.corner;
        EXPECT_EQ(HeadingHudOrigin(c.corner, 400, 300, 100, 20), c.heading) << c.corner;
    }
}

TEST(CanvasHud, HeadingHudIsHitWhereItIsDrawn)
{
    auto canvas = makeCanvas(400, 300, 0, 0, 400, 300);
    EXPECT_FALSE(canvas->HitHeadingHud(10, 10)) << "no text, no box";
    canvas->Settings().HudStatusText = "FIX 4 E 500000.00 N 4500000.00";
    canvas->Settings().HudFixQuality = 4;
    for (int corner = 0; corner < 4; ++corner) {
        canvas->SetHeadingHudCorner(corner);
        const QRect box = boundsOf(frameOf(*canvas), clLime);
        ASSERT_FALSE(box.isNull()) << corner;
        EXPECT_TRUE(canvas->HitHeadingHud(box.center().x(), box.center().y())) << corner;
        EXPECT_TRUE(canvas->HitHeadingHud(box.left() + 1, box.top() + 1)) << corner;
        EXPECT_FALSE(canvas->HitHeadingHud(box.right() + 3, box.center().y())) << corner;
        EXPECT_EQ(canvas->HitHeadingHud(10, 10), corner == 0) << "the top-left corner only when the HUD is there";
    }
}

TEST(CanvasHud, HeadingHudBoxAndHeadingHighlight)
{
    auto canvas = makeCanvas(400, 300, 0, 0, 400, 300);
    CanvasSettings& s = canvas->Settings();
    s.HudStatusText = "FIX 5 E 1.00 THdg: 123.4";
    s.HudFixQuality = 5;
    QImage img = frameOf(*canvas);
    EXPECT_TRUE(test::sameColour(img.pixel(4, 14), clYellow)) << "box colour by fix quality";
    EXPECT_EQ(countPixels(img, clRed), 0) << "plain: no highlight";

    canvas->SetHeadingHudPlain(false);
    img = frameOf(*canvas);
    const QRect red = boundsOf(img, clRed);
    ASSERT_FALSE(red.isNull()) << "the heading part on red";
    const QRect yellow = boundsOf(img, clYellow);
    EXPECT_GT(red.left(), yellow.left() + 20) << "the highlight starts at the heading part";

    s.NoValidPosition = true;
    img = frameOf(*canvas);
    EXPECT_TRUE(test::sameColour(img.pixel(4, 14), clRed)) << "no position: red whatever the quality";
    EXPECT_GT(countPixels(img, clWhite, QRect(0, 0, 400, 40)), 0);
}

TEST(CanvasHud, SpeedHudDrawnOnlyWhenSomethingIsShown)
{
    auto canvas = makeCanvas(400, 300, 0, 0, 400, 300);
    canvas->Model().SetBackgroundColor(clBlack);
    const QRect bottomLeft(0, 150, 200, 150);
    canvas->SetDepthHud(12.34, 0, false);
    canvas->SetHudValue(5, false);
    EXPECT_EQ(countPixels(frameOf(*canvas), clWhite, bottomLeft), 0);

    CanvasSettings& s = canvas->Settings();
    s.OverlaySpeedColor = clRed;
    s.OverlayDepthColor = clBlue;
    canvas->SetHudValue(5, true);
    QImage img = frameOf(*canvas);
    EXPECT_GT(countPixels(img, clWhite, bottomLeft), 500) << "the white box";
    EXPECT_GT(countPixels(img, clRed, bottomLeft), 20) << "the speed";
    EXPECT_EQ(countPixels(img, clBlue, bottomLeft), 0);

    canvas->SetDepthHud(12.34, 0, true);
    img = frameOf(*canvas);
    const QRect depth = boundsOf(img, clBlue), speed = boundsOf(img, clRed);
    ASSERT_FALSE(depth.isNull());
    EXPECT_LT(depth.right(), speed.left()) << "depth first, then speed";

    canvas->CycleSpeedHudPosition();  // bottom right
    EXPECT_GT(boundsOf(frameOf(*canvas), clBlue).left(), depth.left());
    canvas->CycleSpeedHudPosition();  // top right
    EXPECT_LT(boundsOf(frameOf(*canvas), clBlue).top(), 100);
}

TEST(CanvasHud, DepthLabelsAndEventMarks)
{
    auto canvas = makeCanvas(400, 300, 0, 0, 400, 300);
    canvas->SetSoundingStyle(1, 10, "Arial", 12, clBlue);
    canvas->AddSounding(100, 150, 12.34);
    canvas->AddSounding(5000, 150, 9.9);  // far outside: skipped
    canvas->Settings().EventLabelColor = clGreen;
    canvas->Settings().EventLabelFontSize = 20;
    canvas->AddEventMarker(300, 150, 17);
    const QImage img = frameOf(*canvas);
    const QRect label = boundsOf(img, clBlue), mark = boundsOf(img, clGreen);
    ASSERT_FALSE(label.isNull());
    ASSERT_FALSE(mark.isNull());
    EXPECT_NEAR(label.center().x(), 100, 3) << "centred on the label's place";
    EXPECT_NEAR(label.center().y(), 150, 6);
    EXPECT_NEAR(mark.center().x(), 300, 3);
    EXPECT_GT(mark.height(), label.height()) << "marks in their own, larger font";

    canvas->SetSoundingStyle(0, 10, "Arial", 12, clBlue);
    EXPECT_EQ(countPixels(frameOf(*canvas), clBlue), 0) << "labels hidden";
}

TEST(CanvasHud, MeasureLineAndItsTexts)
{
    const MeasureTexts t = ComposeMeasureTexts(50, 36.8699);
    EXPECT_EQ(t.Distance, "50.00 m");
    EXPECT_EQ(t.Bearing, "36.9\u00B0");

    auto canvas = makeCanvas(400, 300, 0, 0, 400, 300);
    canvas->StartMeasure(100, 100);
    EXPECT_EQ(countPixels(frameOf(*canvas), clBlue), 0) << "nothing while both ends coincide";
    canvas->UpdateMeasureEnd(300, 250, 250, 53.13);
    const QImage img = frameOf(*canvas);
    EXPECT_GT(countPixels(img, clRed), 100) << "circle and start dot";
    EXPECT_GT(countPixels(img, clBlue), 40) << "line and end cross";
    EXPECT_GT(countPixels(img, clYellow), 300) << "the label box";
    canvas->EndMeasure();
    EXPECT_EQ(countPixels(frameOf(*canvas), clYellow), 0);
}

} // namespace
} // namespace vsx

// The event-mark style the device settings window publishes reaches every map that sets none.
TEST(CanvasSettingsShared, EventMarkStyleFollowsTheSettingsWindow)
{
    vsx::CanvasSettings s;
    vsx::EventLabelFontSize = 31;
    vsx::EventLabelColor = vsx::clBlue;
    EXPECT_EQ(s.EventMarkFontSize(), 31);
    EXPECT_EQ(s.EventMarkColor(), vsx::clBlue);
    s.EventLabelFontSize = 12;
    EXPECT_EQ(s.EventMarkFontSize(), 12);
    vsx::EventLabelFontSize = 24;
    vsx::EventLabelColor = vsx::clRed;
}
