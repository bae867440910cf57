#include "ToolsFixture.h"

#include "app/Settings.h"
#include "app/windows/ColorBox.h"
#include "app/windows/NumberEdit.h"
#include "platform/IniFile.h"
#include "tools/NavigationSettings.h"
#include "tools/windows/NavigationSettingsWindow.h"

#include <QCheckBox>
#include <gtest/gtest.h>

using namespace vsx;
using vsx::test::ToolsFixture;

TEST(NavigationSettings, UpdateRateRule)
{
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"", 500}, {"20", 50}, {"0", 50}, {"50", 50}, {"51", 51}, {"5000", 5000}, {"abc", std::nullopt},
        {"99999999999", std::nullopt}};
    for (const auto& [text, interval] : cases) EXPECT_EQ(MapRefreshIntervalFor(text), interval) << text;
}

// A fresh install must not draw a black vessel on a black map: missing colours take the
// designed ones, and the first close writes them.
TEST(NavigationSettingsWindow, FirstShowWithoutSettingsAndCloseWritesTheDefaults)
{
    ToolsFixture f;
    NavigationSettingsWindow w;
    w.show();
    EXPECT_EQ(w.vesselColor(), clNavy);
    EXPECT_EQ(w.backgroundColor(), clWhite);
    EXPECT_EQ(w.trackColorFixed(), clGreen);
    EXPECT_EQ(w.trackColorFloat(), clYellow);
    EXPECT_EQ(w.VesselWidth->text(), "3");
    EXPECT_EQ(w.TrackWidth->text(), "3");
    EXPECT_EQ(w.TrackDistance->text(), "20");
    EXPECT_EQ(w.edDepthAlert1->text(), "1");
    EXPECT_TRUE(w.cLineOrDot->isChecked());
    EXPECT_EQ(f.host.background, -1) << "reading the settings does not recolour the map";
    w.close();
    IniFile ini(GetIniFileName());
    const std::vector<std::pair<const char*, const char*>> expected{
        {"VesselWidth", "3"},      {"TrackWidth", "3"},       {"TrackDistance", "20"},
        {"VesselColor", "8388608"}, {"ColorTracklines1", "32768"}, {"ColorTracklines0", "65535"},
        {"BackgroundColor", "16777215"}, {"cLineOrDot", "1"},     {"edDepthAlert", "1"}};
    std::vector<std::string> keys;
    for (const auto& [key, value] : expected) {
        keys.push_back(key);
        EXPECT_EQ(ini.readString("NAVIGATION_SETTINGS", key, "?"), value) << key;
    }
    EXPECT_EQ(ini.readSection("NAVIGATION_SETTINGS"), keys);
    EXPECT_TRUE(ini.sectionExists("Navset")) << "placement saved";
}

TEST(NavigationSettingsWindow, ChangeSaveReloadGivesTheSame)
{
    ToolsFixture f;
    NavigationSettings changed;
    changed.vesselColor = clRed;
    changed.vesselWidth = "5";
    changed.backgroundColor = rgbColor(1, 2, 3);  // not a named colour
    changed.trackColorFixed = clAqua;
    changed.trackColorFloat = clFuchsia;
    changed.drawAsLine = false;
    changed.trackWidth = "7";
    changed.trackDistance = "35";
    changed.depthAlert = "2.5";
    {
        NavigationSettingsWindow w;
        w.show();
        w.showSettings(changed);
        w.close();
    }
    NavigationSettingsWindow w;
    w.show();
    const NavigationSettings back = w.settings();
    EXPECT_EQ(back.vesselColor, changed.vesselColor);
    EXPECT_EQ(back.vesselWidth, changed.vesselWidth);
    EXPECT_EQ(back.backgroundColor, changed.backgroundColor);
    EXPECT_EQ(back.trackColorFixed, changed.trackColorFixed);
    EXPECT_EQ(back.trackColorFloat, changed.trackColorFloat);
    EXPECT_EQ(back.drawAsLine, changed.drawAsLine);
    EXPECT_EQ(back.trackWidth, changed.trackWidth);
    EXPECT_EQ(back.trackDistance, changed.trackDistance);
    EXPECT_EQ(back.depthAlert, changed.depthAlert);
    EXPECT_EQ(w.vesselWidth(), 5);
    EXPECT_EQ(w.trackWidth(), 7);
    EXPECT_EQ(w.trackDistance(), 35.0);
    EXPECT_EQ(w.depthAlert(), 2.5);
    EXPECT_FALSE(w.drawTrackAsLine());
    // The update rate is never stored.
    EXPECT_EQ(w.eVesselUpdateRate->text(), "500");
}

TEST(NavigationSettingsWindow, EditHandlersActOnTheMapLayersThatExist)
{
    ToolsFixture f;
    f.host.layers = {{kVesselLayer, 1}, {"track_fix", 1}, {"track_nofix", 1}};
    NavigationSettingsWindow w;
    EXPECT_EQ(f.host.refreshInterval, 500) << "the shown rate is in force from the start";

    w.VesselWidth->setText("4");
    EXPECT_EQ(f.host.layerWidth[kVesselLayer], 4);
    w.VesselWidth->setText("");
    EXPECT_EQ(w.VesselWidth->text(), "2");
    EXPECT_EQ(f.host.layerWidth[kVesselLayer], 2);

    w.TrackWidth->setText("");
    EXPECT_EQ(w.TrackWidth->text(), "2");
    EXPECT_EQ(f.host.layerWidth["track_fix"], 2);
    EXPECT_EQ(f.host.layerWidth["track_nofix"], 2);
    EXPECT_EQ(f.host.layerWidth.count("track_float"), 0u) << "a missing layer is skipped";

    w.TrackDistance->setText("");
    EXPECT_EQ(w.TrackDistance->text(), "1");
    w.edDepthAlert1->setText("");
    EXPECT_EQ(w.edDepthAlert1->text(), "0");
    EXPECT_EQ(w.depthAlert(), 0.0);

    for (const auto& [text, ms] : std::vector<std::pair<const char*, int>>{{"20", 50}, {"51", 51}, {"", 500}}) {
        w.eVesselUpdateRate->setText(text);
        EXPECT_EQ(f.host.refreshInterval, ms) << text;
        EXPECT_EQ(w.mapRefreshInterval(), ms);
    }

    // A text that is no number (only code can set one) changes nothing; readers keep the last value.
    const int repaints = f.host.repaints;
    w.VesselWidth->setText("x");
    EXPECT_EQ(f.host.layerWidth[kVesselLayer], 2);
    EXPECT_EQ(w.vesselWidth(), 2);
    EXPECT_EQ(f.host.repaints, repaints);
    w.edDepthAlert1->setText("1.");
    w.edDepthAlert1->setText("1.-");
    EXPECT_EQ(w.depthAlert(), 1.0);

    // The user's colour choices reach the map at once.
    const int blue = w.VesselColor->findText("Blue");
    w.VesselColor->setCurrentIndex(blue);
    emit w.VesselColor->activated(blue);
    EXPECT_EQ(f.host.layerColor[kVesselLayer], clBlue);
    EXPECT_EQ(w.vesselColor(), clBlue);
    EXPECT_GT(f.host.repaints, repaints);
    const int black = w.fcadColor->findText("Black");
    emit w.fcadColor->activated(black);
    EXPECT_EQ(f.host.background, clBlack);
}

TEST(ColorBox, NamedCustomAndCancelled)
{
    ColorBox box(nullptr, clSkyBlue);
    EXPECT_EQ(box.currentText(), "Sky Blue");
    int chosen = 0;
    ColorValue last = -1;
    QObject::connect(&box, &ColorBox::colorChosen, [&](ColorValue c) {
        ++chosen;
        last = c;
    });
    box.setColor(0x123456);
    EXPECT_EQ(box.color(), 0x123456);
    EXPECT_EQ(box.currentText(), "Custom...");
    EXPECT_EQ(chosen, 0) << "code does not run the change handler";

    ColorBox::setCustomChooser([](const QColor& current, QWidget*) -> std::optional<QColor> {
        EXPECT_EQ(fromQColor(current), 0x123456);
        return QColor(0x10, 0x20, 0x30);
    });
    emit box.activated(0);
    EXPECT_EQ(last, rgbColor(0x10, 0x20, 0x30));
    ColorBox::setCustomChooser([](const QColor&, QWidget*) { return std::optional<QColor>(); });
    emit box.activated(0);
    EXPECT_EQ(chosen, 1) << "a cancelled dialog chooses nothing";
    EXPECT_EQ(box.color(), rgbColor(0x10, 0x20, 0x30));
    ColorBox::setCustomChooser({});
    emit box.activated(box.findText("Lime"));
    EXPECT_EQ(last, clLime);
    EXPECT_EQ(chosen, 2);
}
