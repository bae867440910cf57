#include "nav/ExtraVesselLines.h"

#include "input/NmeaParser.h"
#include "nav/RealtimeLogs.h"
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
} // namespace

ExtraVesselLineResult HandleExtraVesselLine(MultiVesselEntry& v, std::string_view line, const SentenceRead& sentence,
                                            const ReceiverFix& fix, const LocalDateTime& now,
                                            const GridConverter& toGrid)
{
    ExtraVesselLineResult result;
    if (v.RawLogFile && v.RawLogFile->isOpen()) result.log = write(*v.RawLogFile, StampedLogLine(now, line) + "\n");
    // An HDT without a readable heading leaves none: the receiver's course is drawn instead.
    if (sentence.read(SentenceType::Hdt)) v.Heading = fix.heading.valid ? fix.heading.value : 0;
    if (sentence.type != SentenceType::Gga) return result;
    if (sentence.outcome == SentenceRead::Outcome::Refused) {
        result.rejectedGga = sentence.problem;
        return result;
    }
    // A wrong checksum, or a GGA cut short without one: nothing taken.
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
    // A file left empty (its header could not be written at the start) gets the header first.
    result.record = write(*v.CoordinatesFile,
                          ExtraVesselCoordinatesRecord(now, v.Latitude, v.Longitude, v.Easting, v.Northing, v.FixQuality) + "\n",
                          std::string(kExtraVesselCoordinatesHeader) + "\n");
    result.recordWritten = result.record.written;
    return result;
}

} // namespace vsx
