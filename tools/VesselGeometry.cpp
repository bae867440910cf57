#include "tools/VesselGeometry.h"

#include "platform/IniFile.h"
#include "platform/Numbers.h"

#include <algorithm>

namespace vsx {
namespace {
// The key names are spelt as the settings files have always held them.
constexpr const char* kCircles = "Number of circles";
constexpr const char* kInterval = "Cirecle offset interval";
constexpr const char* kRadius = "Radious of first circle";
constexpr const char* kBowArrow = "Arrow length to bow";
constexpr const char* kSideArrow = "Left right offset of arrow";
constexpr const char* kSpacing = "Runline Spacing";
} // namespace

const std::vector<std::string>& RunlineSpacingItems()
{
    static const std::vector<std::string> items{"0.5", "1", "2", "3", "4", "5", "6", "7",
                                                "8",   "9", "10", "20", "50", "100"};
    return items;
}

std::string RunlineSpacingItemFor(std::string_view stored)
{
    const auto& items = RunlineSpacingItems();
    return std::find(items.begin(), items.end(), stored) != items.end() ? std::string(stored) : std::string("10");
}

VesselShapeTexts LoadVesselShape(const IniFile& ini)
{
    VesselShapeTexts t;
    t.circles = formatInt(ini.readInteger(kVesselShapeSection, kCircles, 2));
    t.interval = formatGeneral(ini.readFloat(kVesselShapeSection, kInterval, 10.0));
    t.radius = formatGeneral(ini.readFloat(kVesselShapeSection, kRadius, 10.0));
    t.bowArrow = formatGeneral(ini.readFloat(kVesselShapeSection, kBowArrow, 100.0));
    t.sideArrow = formatGeneral(ini.readFloat(kVesselShapeSection, kSideArrow, 10.0));
    t.runlineSpacing = RunlineSpacingItemFor(ini.readString(kVesselShapeSection, kSpacing, "10"));
    return t;
}

void SaveVesselShape(IniFile& ini, const VesselShapeTexts& t)
{
    ini.writeString(kVesselShapeSection, kCircles, t.circles);
    ini.writeString(kVesselShapeSection, kInterval, t.interval);
    ini.writeString(kVesselShapeSection, kRadius, t.radius);
    ini.writeString(kVesselShapeSection, kBowArrow, t.bowArrow);
    ini.writeString(kVesselShapeSection, kSideArrow, t.sideArrow);
    ini.writeString(kVesselShapeSection, kSpacing, t.runlineSpacing);
}

std::optional<VesselShapeTexts> ShapeFromSpacing(std::string_view spacingText, const VesselShapeTexts& current)
{
    const double s = parseDouble(spacingText).value_or(10.0);
    if (s <= 0) return std::nullopt;
    VesselShapeTexts t = current;
    t.radius = t.interval = t.sideArrow = formatFixed(s, 2);
    t.bowArrow = formatFixed(10 * s, 2);
    return t;
}

} // namespace vsx
