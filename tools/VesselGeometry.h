#pragma once
// The own vessel's map symbol: circles around the GNSS antenna and an arrow towards the bow,
// sized from the run-line spacing, kept in the settings section [VESSEL_SHAPE].
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vsx {

class IniFile;

inline constexpr const char* kVesselShapeSection = "VESSEL_SHAPE";

// The symbol sizes as numbers (metres; the count of circles).
struct VesselSymbolSizes {
    int circles = 2;
    double interval = 10.0;
    double radius = 10.0;
    double bowArrow = 100.0;
    double sideArrow = 10.0;
};

// The texts of the shape edits and the spacing box, as shown and as stored.
struct VesselShapeTexts {
    std::string circles = "2";
    std::string interval = "10";
    std::string radius = "10";
    std::string bowArrow = "100";
    std::string sideArrow = "10";
    std::string runlineSpacing = "10";
};

// The items of the run-line spacing list, in order.
const std::vector<std::string>& RunlineSpacingItems();
// The list item a stored spacing selects: itself when it is in the list, else "10".
std::string RunlineSpacingItemFor(std::string_view stored);

// Reads the section: the count as an integer, the lengths as floats in the shortest decimal
// form, each with its default when missing or not a number.
VesselShapeTexts LoadVesselShape(const IniFile& ini);
// Writes the texts as they stand, keys in their fixed order.
void SaveVesselShape(IniFile& ini, const VesselShapeTexts& texts);

// The sizes a spacing gives: radius, interval and side arrow = s, bow arrow = 10 s, each with two
// decimals; the count of circles is not touched. A spacing that is not a number counts as 10;
// a spacing of 0 or less gives nothing.
std::optional<VesselShapeTexts> ShapeFromSpacing(std::string_view spacingText, const VesselShapeTexts& current);

} // namespace vsx
