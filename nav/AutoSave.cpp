#include "nav/AutoSave.h"

#include "platform/Numbers.h"

namespace vsx {

std::string AutoSaveTimeStamp(const LocalDateTime& t) { return formatPadded(t.hour, 2) + formatPadded(t.minute, 2); }

std::string AutoSaveFileName(const std::string& projectFolder, const LocalDateTime& t)
{
    return projectFolder + formatDate(t) + " " + AutoSaveTimeStamp(t) + ".vltx";
}

} // namespace vsx
