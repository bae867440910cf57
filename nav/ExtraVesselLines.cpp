#include "nav/ExtraVesselLines.h"

#include "input/NmeaParser.h"
#include "nav/RealtimeLogs.h"
#include "platform/ScanFormat.h"
#include "platform/Text.h"

namespace vsx {

namespace {
VesselFileWrite write(AppendFile& file, const std::string& text, const std::string& headerWhenEmpty = {})
{
    VesselFileWrite w;
    w.attempted = true;
    w.file = file.path();
    w.written = file.write(toCrLf(text), toCrLf(headerWhenEmpty));
    if (!w.written) w.reason = file.errorText();
    return w;
}

const ScanFormat& hdtFormat()
{
    static const ScanFormat f = *ScanFormat::compile("%*7s %lf");
    return f;
}
} // namespace

ExtraVesselLineResult HandleExtraVesselLine(MultiVesselEntry& v, std::string_view line, const LocalDateTime& now,
                                            const GridConverter& toGrid)
{
    ExtraVesselLineResult result;
    if (v.RawLogFile && v.RawLogFile->isOpen()) result.log = write(*v.RawLogFile, StampedLogLine(now, line) + "\n");
    if (line.find("HDT") != std::string_view::npos) {
        double heading = 0;
        v.Heading = hdtFormat().scan(line, &heading, 1) == 1 ? heading : 0;
    }
    if (line.find("GGA") == std::string_view::npos) return result;
    if (!nmeaSentenceUsable(line)) return result;
    const GgaSentence g = ReadGgaSentence(line);
    if (g.kind == GgaKind::Rejected) {
        result.rejectedGga = g.problem;
        return result;
    }
    v.FixQuality = g.fixQuality;
    if (g.kind != GgaKind::Position) return result;
    v.Latitude = g.latitude;
    v.Longitude = g.longitude;
    v.Height = g.altitude.value_or(v.Height);
    v.HasPosition = true;
    // A record needs this GGA's own grid position: never the easting of an earlier one.
    const auto en = toGrid ? toGrid(g.latitude, g.longitude) : std::nullopt;
    if (!en) return result;
    v.Easting = en->first;
    v.Northing = en->second;
    if (v.Easting == 0 || !v.CoordinatesFile || !v.CoordinatesFile->isOpen()) return result;
    // A file left empty (its header could not be written at the start) gets the header first.
    result.record = write(*v.CoordinatesFile,
                          ExtraVesselCoordinatesRecord(now, v.Latitude, v.Longitude, v.Easting, v.Northing, v.FixQuality) + "\n",
                          std::string(kExtraVesselCoordinatesHeader) + "\n");
    result.recordWritten = result.record.written;
    return result;
}

} // namespace vsx
