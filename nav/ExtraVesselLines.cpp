#include "nav/ExtraVesselLines.h"

#include "input/NmeaParser.h"
#include "nav/GnssLineHandler.h"
#include "nav/RealtimeLogs.h"
#include "platform/ScanFormat.h"

namespace vsx {

namespace {
const ScanFormat& hdtFormat()
{
    static const ScanFormat f = *ScanFormat::compile("%*7s %lf");
    return f;
}
const ScanFormat& ggaFixFormat()
{
    static const ScanFormat f = *ScanFormat::compile("%*6s,%*lf,%*lf,%*1s,%*lf,%*1s,%d");
    return f;
}
} // namespace

bool HandleExtraVesselLine(MultiVesselEntry& v, std::string_view line, const LocalDateTime& now,
                           const GridConverter& toGrid)
{
    if (v.RawLogFile && v.RawLogFile->isOpen()) v.RawLogFile->writeText(StampedLogLine(now, line) + "\n");
    if (line.find("HDT") != std::string_view::npos) {
        double heading = 0;
        v.Heading = hdtFormat().scan(line, &heading, 1) == 1 ? heading : 0;
    }
    if (line.find("GGA") == std::string_view::npos) return false;
    double fix = 0;
    v.FixQuality = ggaFixFormat().scan(line, &fix, 1) == 1 ? int(fix) : 0;
    if (nmeaChecksum(line) == NmeaChecksum::Invalid) return false;
    const GgaReading f = ReadGga(line);
    if (v.FixQuality > 0 && (f.latitude != 0 || f.longitude != 0)) {
        v.Latitude = f.latitude;
        v.Longitude = f.longitude;
        v.Height = f.altitude;
        v.HasPosition = true;
        if (toGrid) {
            if (auto en = toGrid(f.latitude, f.longitude)) {
                v.Easting = en->first;
                v.Northing = en->second;
            }
        }
    }
    if (!v.HasPosition || v.Easting == 0 || !v.CoordinatesFile || !v.CoordinatesFile->isOpen()) return false;
    return v.CoordinatesFile->writeText(
        ExtraVesselCoordinatesRecord(now, v.Latitude, v.Longitude, v.Easting, v.Northing, v.FixQuality) + "\n");
}

} // namespace vsx
