#include "tools/NavigationSettings.h"

#include "platform/IniFile.h"
#include "platform/Numbers.h"

#include <climits>

namespace vsx {

NavigationSettings LoadNavigationSettings(const IniFile& ini)
{
    const NavigationSettings d;
    const char* s = kNavigationSettingsSection;
    NavigationSettings n;
    n.vesselWidth = ini.readString(s, "VesselWidth", d.vesselWidth);
    n.trackWidth = ini.readString(s, "TrackWidth", d.trackWidth);
    n.trackDistance = ini.readString(s, "TrackDistance", d.trackDistance);
    n.vesselColor = ini.readInteger(s, "VesselColor", d.vesselColor);
    n.trackColorFixed = ini.readInteger(s, "ColorTracklines1", d.trackColorFixed);
    n.trackColorFloat = ini.readInteger(s, "ColorTracklines0", d.trackColorFloat);
    n.backgroundColor = ini.readInteger(s, "BackgroundColor", d.backgroundColor);
    n.drawAsLine = ini.readBool(s, "cLineOrDot", d.drawAsLine);
    n.depthAlert = ini.readString(s, "edDepthAlert", d.depthAlert);
    return n;
}

void SaveNavigationSettings(IniFile& ini, const NavigationSettings& n)
{
    const char* s = kNavigationSettingsSection;
    ini.writeString(s, "VesselWidth", n.vesselWidth);
    ini.writeString(s, "TrackWidth", n.trackWidth);
    ini.writeString(s, "TrackDistance", n.trackDistance);
    ini.writeInteger(s, "VesselColor", n.vesselColor);
    ini.writeInteger(s, "ColorTracklines1", n.trackColorFixed);
    ini.writeInteger(s, "ColorTracklines0", n.trackColorFloat);
    ini.writeInteger(s, "BackgroundColor", n.backgroundColor);
    ini.writeBool(s, "cLineOrDot", n.drawAsLine);
    ini.writeString(s, "edDepthAlert", n.depthAlert);
}

std::optional<int> MapRefreshIntervalFor(std::string_view text)
{
    if (text.empty()) return 500;
    const auto v = parseInteger(text);
    if (!v || *v > INT_MAX) return std::nullopt;
    return *v < 51 ? 50 : int(*v);
}

} // namespace vsx
