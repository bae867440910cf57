#pragma once
// One echosounder line through to the day's sounding files: recognition, raw depths, corrected
// depths, the depth alarm and the records. The window reads its controls into Inputs (each with
// its last valid value, so a half-typed number never drops a record) and shows the Output.
#include "nav/CurrentPosition.h"
#include "nav/DepthLine.h"
#include "nav/SoundingFiles.h"

#include <string>

namespace vsx {

struct SounderLineInputs {
    DepthLineSettings depth;  // type, format, sound velocity, draft, profile
    double alarmLevel = 0;
    double manualTide = 0, rtkAntennaHeight = 0, rtkTide = 0;
    SoundingPosition position;  // the receiver's current position, if any (nav/CurrentPosition.h)
    LocalDateTime now;
    std::string csvFileName;  // the survey coordinates file
    std::string xyzFileName;  // the simple XYZ file
};

struct SounderLineOutput {
    DepthLineResult depth;
    std::string statusText;   // the status-bar text: the line, or "[CORRUPT] " + the line; empty when not recognised
    bool alarm = false;       // the high-frequency depth is at or above the alarm level (shallower)
    // A depth is ready for the echogram: every recognised line that scanned whole, and every line
    // that made a record (a corrupt one included).
    bool newDepth = false;
    // A corrupt line that made no record (a refused one, or one that scanned nothing it could
    // record): counted, so that the run can say how many lines its files left out.
    bool leftOut = false;
    bool csvAttempted = false;  // a record was due and went to the survey CSV (written or not)
    bool csvWritten = false;
    bool csvHeaderWritten = false;  // the record opened a new survey file
    std::string csvFile;      // the file that took the record (an alternative name while the main one is held)
    std::string csvError;     // the system's reason when no file took the record (csvAttempted only)
    bool xyzAttempted = false;  // only a real depth at a current grid position goes to the XYZ file
    bool xyzWritten = false;
    std::string xyzError;
};

SounderLineOutput HandleSounderLine(std::string_view line, const SounderLineInputs& in);

} // namespace vsx
