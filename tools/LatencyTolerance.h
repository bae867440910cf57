#pragma once
// The latency window's rule: its group turns green while the map loop's last run took less than
// the tolerance and red otherwise. Both are whole milliseconds as the edits show them; a text
// that is not a whole number (the surveyor is still typing) decides nothing, so the colour stays
// as it was instead of raising an error at every map tick.
#include "platform/Colour.h"

#include <optional>
#include <string_view>

namespace vsx {

class IniFile;

inline constexpr ColorValue kLatencyGood = 0x00FF00;  // green
inline constexpr ColorValue kLatencyBad = 0x0000FF;   // red
inline constexpr int kDefaultLatencyTolerance = 500;

// The colour for the texts of the current latency and the tolerance; none when either is not a
// whole number.
std::optional<ColorValue> LatencyColour(std::string_view currentText, std::string_view toleranceText);

// [LATENCY] "eLatencyTol": read as a whole number (500 when missing or not one), written as typed.
int ReadLatencyTolerance(const IniFile& ini);
void WriteLatencyTolerance(IniFile& ini, std::string_view text);

} // namespace vsx
