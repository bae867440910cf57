#pragma once
// The survey-start report: one dated block of the offsets appended to the day's offsets log.
#include "tools/EchosounderOffsets.h"

#include <string>

namespace vsx {

// LogFolder + today + " Offsets.log".
std::string OffsetsReportFileName();

// The report block as written to the file: in English or Turkish, 8-bit Windows-1254 text with
// CR LF line ends, starting with two line breaks and with no line end after the last value.
// `soundVelocityProfileUsed` replaces the SV value by the profile note.
std::string BuildOffsetsReport(const OffsetsTexts& texts, const std::string& clockText, bool soundVelocityProfileUsed,
                               bool english);

// The clock label's text: local date and time as "YYYY-MM-DD hhnnsszzz".
std::string OffsetsClockText();

} // namespace vsx
