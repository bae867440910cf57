#pragma once
// The name of the time-stamped project save: ProjectFolder + today + " " + "HHMM" + ".vltx". All
// saves within one minute go to one file; after midnight the name takes the new date while the
// folder stays the start day's.
#include "platform/Clock.h"

#include <string>

namespace vsx {

std::string AutoSaveTimeStamp(const LocalDateTime& t);
std::string AutoSaveFileName(const std::string& projectFolder, const LocalDateTime& t);

} // namespace vsx
