#include "nav/EventMarks.h"

#include "app/Settings.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"

namespace vsx {

std::string FormatEventMarkRecord(int n, const LocalDateTime& t, double e, double north, const std::string& hi,
                                  const std::string& lo, double heading)
{
    return "Event No:" + std::to_string(n) + ",Date & Time:" + formatDate(t) + " " + formatTimeCompact(t) +
           ",Easting:" + formatFixed(e, 2) + ",Northing:" + formatFixed(north, 2) + ",True Depth:" + hi +
           ",True Depth:" + lo + ",Heading:" + formatFixed(heading, 2);
}

int TakeNextEventNumber(const std::string& iniPath)
{
    IniFile ini(iniPath);
    const int n = ini.readInteger("EVENTS", "Event Number", 0) + 1;
    ini.writeInteger("EVENTS", "Event Number", n);
    return n;
}

void ResetEventNumber(const std::string& iniPath) { IniFile(iniPath).writeInteger("EVENTS", "Event Number", 0); }

bool AppendEventMarkRecord(const std::string& fileName, const std::string& record)
{
    return AppendEventsLogEntry(fileName, "\n" + record);
}

} // namespace vsx
