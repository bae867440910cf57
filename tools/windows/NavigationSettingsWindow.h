#pragma once
// The "Navigation Settings" window: how the own vessel and its track are drawn on the map, the
// map's refresh interval and the shallow-water alert depth, kept in [NAVIGATION_SETTINGS].
#include "platform/Colour.h"
#include "tools/NavigationSettings.h"

#include <QWidget>

class QCheckBox;

namespace vsx {

class ColorBox;
class NumberEdit;

class NavigationSettingsWindow : public QWidget {
    Q_OBJECT
public:
    explicit NavigationSettingsWindow(QWidget* parent = nullptr);

    // What the map loop, the helmsman window, the depth handler and the waterfall read. The
    // numbers are the last texts that were numbers; the edits tell whether their text is one.
    ColorValue vesselColor() const;
    int vesselWidth() const;
    ColorValue backgroundColor() const;
    ColorValue trackColorFixed() const;  // ColorTracklines1: fix quality 4
    ColorValue trackColorFloat() const;  // ColorTracklines0: fix quality 2, 3, 5
    bool drawTrackAsLine() const;
    int trackWidth() const;
    double trackDistance() const;  // metres between track points
    double depthAlert() const;     // shallow-water alert depth, metres
    int mapRefreshInterval() const;

    // The controls as the settings hold them, and back.
    NavigationSettings settings() const;
    void showSettings(const NavigationSettings& settings);

    ColorBox* VesselColor;
    NumberEdit* VesselWidth;
    NumberEdit* eVesselUpdateRate;
    ColorBox* fcadColor;
    ColorBox* ColorTracklines1;
    ColorBox* ColorTracklines0;
    QCheckBox* cLineOrDot;
    NumberEdit* TrackWidth;
    NumberEdit* TrackDistance;
    NumberEdit* edDepthAlert1;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void onBackgroundColorChosen(ColorValue color);
    void onVesselColorChosen(ColorValue color);
    void onVesselWidthChanged();
    void onTrackWidthChanged();
    void onTrackDistanceChanged();
    void onDepthAlertChanged();
    void onVesselUpdateRateChanged();

    int refreshInterval_ = 500;
};

} // namespace vsx
