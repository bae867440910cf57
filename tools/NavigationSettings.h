#pragma once
// How the own vessel and its track are drawn on the map, kept in [NAVIGATION_SETTINGS].
#include "platform/Colour.h"

#include <optional>
#include <string>
#include <string_view>

namespace vsx {

class IniFile;

inline constexpr const char* kNavigationSettingsSection = "NAVIGATION_SETTINGS";

// The window's values; the edits' texts are kept as typed. Missing keys give these defaults.
// The colours default to the window's designed ones (navy vessel, white map, green and yellow
// tracks): black for all four would draw a black vessel on a black map on a fresh install.
struct NavigationSettings {
    ColorValue vesselColor = clNavy;
    std::string vesselWidth = "3";
    ColorValue backgroundColor = clWhite;
    ColorValue trackColorFixed = clGreen;   // ColorTracklines1
    ColorValue trackColorFloat = clYellow;  // ColorTracklines0
    bool drawAsLine = true;                 // cLineOrDot
    std::string trackWidth = "3";
    std::string trackDistance = "20";
    std::string depthAlert = "1";
};

NavigationSettings LoadNavigationSettings(const IniFile& ini);
void SaveNavigationSettings(IniFile& ini, const NavigationSettings& settings);

// The map refresh interval a typed update rate gives: 500 ms for an empty text, at least 50 ms;
// nothing for a text that is not a whole number.
std::optional<int> MapRefreshIntervalFor(std::string_view updateRateText);

} // namespace vsx
