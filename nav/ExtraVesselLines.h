#pragma once
// A line from an extra vessel's receiver, with what that receiver read of it and the fix it
// published from it (input/NmeaParser.h): its GNSS log, its heading (HDT), its fix quality (GGA)
// and one coordinates record per GGA with a fix. The record carries the position of that GGA
// itself, converted to grid at once, not the previous epoch's. A GGA with impossible values
// changes nothing and makes no record; the caller counts and reports it.
#include "app/SharedValues.h"
#include "input/NmeaParser.h"
#include "platform/Clock.h"

#include <functional>
#include <optional>
#include <string_view>
#include <utility>

namespace vsx {

using GridConverter = std::function<std::optional<std::pair<double, double>>(double latitude, double longitude)>;

struct ExtraVesselLineResult {
    bool recordWritten = false;
    const char* rejectedGga = nullptr;  // a refused GGA: the field at fault
};

ExtraVesselLineResult HandleExtraVesselLine(MultiVesselEntry& vessel, std::string_view line, const SentenceRead& sentence,
                                            const ReceiverFix& fix, const LocalDateTime& now,
                                            const GridConverter& toGrid);

} // namespace vsx
