#pragma once
// One echosounder line through to the day's sounding files: recognition, raw depths, corrected
// depths, the depth alarm and the records. The window reads its controls into Inputs (each with
// its last valid value, so a half-typed number never drops a record) and shows the Output.
#include "nav/DepthLine.h"
#include "nav/SoundingFiles.h"

#include <string>

namespace vsx {

struct SounderLineInputs {
    DepthLineSettings depth;  // type, format, sound velocity, draft, profile
    double alarmLevel = 0;
    double manualTide = 0, rtkAntennaHeight = 0, rtkTide = 0;
    double latitude = 0, longitude = 0, easting = 0, northing = 0;
    int fixQuality = 0;
    LocalDateTime now;
    std::string csvFileName;  // the survey coordinates file
    std::string xyzFileName;  // the simple XYZ file
};

struct SounderLineOutput {
    DepthLineResult depth;
    std::string statusText;   // the status-bar text: the line, or "[CORRUPT] " + the line; empty when not recognised
    bool alarm = false;       // the high-frequency depth is at or above the alarm level (shallower)
    bool csvWritten = false;
    std::string csvFile;      // the file that took the record (an alternative name when the main one failed)
    bool xyzWritten = false;
};

SounderLineOutput HandleSounderLine(std::string_view line, const SounderLineInputs& in);

} // namespace vsx
