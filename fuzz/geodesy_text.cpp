// Fuzz target for the coordinate text interface: the input is split at '|' into the texts the
// operations take (point or grid, datum, projection, ellipsoid, mode). Every answer must be the
// operation's failure text or numbers that read back as finite values; anything else aborts.
#include "geo/GeodesyText.h"
#include "platform/Numbers.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void check(const std::string& result, size_t count)
{
    if (result.empty() || result == "0") return;
    size_t numbers = 0, i = 0;
    while (i < result.size()) {
        while (i < result.size() && (result[i] == ' ' || result[i] == '\t')) ++i;
        const size_t start = i;
        while (i < result.size() && result[i] != ' ' && result[i] != '\t') ++i;
        if (i == start) break;
        if (!vsx::parseDouble(std::string_view(result).substr(start, i - start))) std::abort();
        ++numbers;
    }
    if (numbers != count) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= input.size(); ++i)
        if (i == input.size() || input[i] == '|') {
            parts.push_back(input.substr(start, i - start));
            start = i + 1;
        }
    while (parts.size() < 5) parts.emplace_back();
    const std::string& point = parts[0];
    const std::string& datum = parts[1];
    const std::string& projection = parts[2];
    const std::string& ellipsoid = parts[3];
    check(vsx::ConvertCoordinates(parts[4], point, datum), 3);
    check(vsx::ConvertCoordinates("XYZ", point, datum), 3);
    check(vsx::HelmertTransform("WGS", point + " " + datum), 3);
    check(vsx::HelmertTransform("Local", point + " " + datum), 3);
    check(vsx::ProjectGeodeticToGrid(point, projection, ellipsoid), 2);
    check(vsx::TmGridToGeographic(point, projection, ellipsoid), 2);
    check(vsx::ConvertLatLonToGrid(point, datum, projection, ellipsoid), 2);
    check(vsx::FormatBLH(point, datum, projection, ellipsoid), 2);
    return 0;
}
