#include "nav/ExtraVesselLines.h"

#include "nav/RealtimeLogs.h"

namespace vsx {

ExtraVesselLineResult HandleExtraVesselLine(MultiVesselEntry& v, std::string_view line, const SentenceRead& sentence,
                                            const ReceiverFix& fix, const LocalDateTime& now,
                                            const GridConverter& toGrid)
{
    ExtraVesselLineResult result;
    if (v.RawLogFile && v.RawLogFile->isOpen()) v.RawLogFile->writeText(StampedLogLine(now, line) + "\n");
    // An HDT without a readable heading leaves none: the receiver's course is drawn instead.
    if (sentence.read(SentenceType::Hdt)) v.Heading = fix.heading.valid ? fix.heading.value : 0;
    if (sentence.type != SentenceType::Gga) return result;
    if (sentence.outcome == SentenceRead::Outcome::Refused) {
        result.rejectedGga = sentence.problem;
        return result;
    }
    if (sentence.outcome != SentenceRead::Outcome::Read) return result;
    v.FixQuality = fix.fixQuality.value;
    if (!fix.position.valid) return result;
    v.Latitude = fix.position.value.latitude;
    v.Longitude = fix.position.value.longitude;
    v.Height = fix.altitude.value;
    v.HasPosition = true;
    // A record needs this GGA's own grid position: never the easting of an earlier one.
    const auto en = toGrid ? toGrid(v.Latitude, v.Longitude) : std::nullopt;
    if (!en) return result;
    v.Easting = en->first;
    v.Northing = en->second;
    if (v.Easting == 0 || !v.CoordinatesFile || !v.CoordinatesFile->isOpen()) return result;
    result.recordWritten = v.CoordinatesFile->writeText(
        ExtraVesselCoordinatesRecord(now, v.Latitude, v.Longitude, v.Easting, v.Northing, v.FixQuality) + "\n");
    return result;
}

} // namespace vsx
