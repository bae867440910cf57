#pragma once
// A line from an extra vessel's receiver, with what that receiver read of it and the fix it
// published from it (input/NmeaParser.h): its GNSS log, its heading (HDT), its fix quality (GGA)
// and one coordinates record per GGA with a fix. The record carries the position of that GGA
// itself, converted to grid at once, not the previous epoch's. A GGA with impossible values
// changes nothing and makes no record; the caller counts and reports it.
// Each line and record goes into its file whole or not at all; the result says how each write
// went, so the caller can say when a file stops taking them.
#include "app/SharedValues.h"
#include "input/NmeaParser.h"
#include "platform/Clock.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace vsx {

using GridConverter = std::function<std::optional<std::pair<double, double>>(double latitude, double longitude)>;

// One write into one of the vessel's files, for the caller's write-failure reporting.
struct VesselFileWrite {
    bool attempted = false;
    bool written = false;
    std::string file;
    std::string reason;  // the system's reason when not written
};

struct ExtraVesselLineResult {
    bool recordWritten = false;
    const char* rejectedGga = nullptr;  // a refused GGA: the field at fault
    VesselFileWrite log;                 // the line into the GNSS log
    VesselFileWrite record;              // the record into the coordinates file
};

ExtraVesselLineResult HandleExtraVesselLine(MultiVesselEntry& vessel, std::string_view line, const SentenceRead& sentence,
                                            const ReceiverFix& fix, const LocalDateTime& now,
                                            const GridConverter& toGrid);

} // namespace vsx
