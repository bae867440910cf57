#pragma once
// Numbered event marks: the counter in [EVENTS] "Event Number" and the record each mark appends
// to the events log.
#include "platform/Clock.h"

#include <string>

namespace vsx {

// The record without its leading line break:
// "Event No:n,Date & Time:<date time>,Easting:e,Northing:n,True Depth:<hi>,True Depth:<lo>,Heading:h".
std::string FormatEventMarkRecord(int number, const LocalDateTime& time, double easting, double northing,
                                  const std::string& depthHiText, const std::string& depthLoText, double heading);

// Next number from the settings file and stores it; ResetEventNumber sets it back to 0.
int TakeNextEventNumber(const std::string& iniPath);
void ResetEventNumber(const std::string& iniPath);
// Appends "\n" + record (CR LF) to the events log, whole or not at all; false when it cannot be
// opened or written. The events log's watcher learns how it went, as for every entry.
bool AppendEventMarkRecord(const std::string& fileName, const std::string& record);

} // namespace vsx
