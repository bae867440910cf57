#include "nav/RealtimeLogs.h"

#include "platform/Numbers.h"
#include "platform/Text.h"

namespace vsx {

std::string SafeFileNamePart(std::string_view name)
{
    std::string clean;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        const bool bad = u < 0x20 || u == 0x7F || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' ||
                         c == '"' || c == '<' || c == '>' || c == '|';
        clean += bad ? '_' : c;
    }
    if (clean == "." || clean == "..") clean = "_";
    return cp1254ToUtf8(clean);
}

std::string SensorLogPath(const std::string& logFolder, const std::string& date, const std::string& sensorName)
{
    return logFolder + date + "." + SafeFileNamePart(toUpperAscii(sensorName.substr(0, 3))) + ".log";
}

std::string ExtraVesselGnssLogName(const std::string& logFolder, const std::string& date, const std::string& name)
{
    return logFolder + date + " " + SafeFileNamePart(name) + "_GNSS.log";
}

std::string ExtraVesselCoordinatesName(const std::string& logFolder, const std::string& date, const std::string& name)
{
    return logFolder + date + " " + SafeFileNamePart(name) + " Coordinates.csv";
}

std::string ExtraVesselCoordinatesRecord(const LocalDateTime& t, double lat, double lon, double e, double n, int fix)
{
    return formatDate(t) + " " + formatTimeCompact(t) + "," + formatFixed(lat, 10) + "," + formatFixed(lon, 10) + "," +
           formatFixed(e, 2) + "," + formatFixed(n, 2) + "," + std::to_string(fix);
}

std::string StampedLogLine(const LocalDateTime& t, std::string_view line)
{
    return formatDate(t) + " " + formatPadded(t.hour, 2) + ":" + formatPadded(t.minute, 2) + ":" +
           formatPadded(t.second, 2) + "." + formatPadded(t.millisecond, 3) + " " + std::string(line);
}

} // namespace vsx
