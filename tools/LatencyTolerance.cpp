#include "tools/LatencyTolerance.h"

#include "platform/IniFile.h"
#include "platform/Numbers.h"

#include <limits>

namespace vsx {

namespace {
constexpr const char* kSection = "LATENCY";
constexpr const char* kKey = "eLatencyTol";

std::optional<long long> wholeNumber(std::string_view text)
{
    const auto v = parseInteger(text);
    if (!v || *v < std::numeric_limits<int>::min() || *v > std::numeric_limits<int>::max()) return std::nullopt;
    return v;
}
} // namespace

std::optional<ColorValue> LatencyColour(std::string_view currentText, std::string_view toleranceText)
{
    const auto current = wholeNumber(currentText);
    const auto tolerance = wholeNumber(toleranceText);
    if (!current || !tolerance) return std::nullopt;
    return *current < *tolerance ? kLatencyGood : kLatencyBad;
}

int ReadLatencyTolerance(const IniFile& ini)
{
    return ini.readInteger(kSection, kKey, kDefaultLatencyTolerance);
}

void WriteLatencyTolerance(IniFile& ini, std::string_view text) { ini.writeString(kSection, kKey, text); }

} // namespace vsx
