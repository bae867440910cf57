#include "nav/SounderLineHandler.h"

namespace vsx {

SounderLineOutput HandleSounderLine(std::string_view line, const SounderLineInputs& in)
{
    SounderLineOutput out;
    out.depth = ProcessDepthLine(line, in.depth);
    const DepthLineResult& d = out.depth;
    if (!d.recognised) return out;
    out.statusText = d.corrupt ? "[CORRUPT] " + std::string(line) : std::string(line);
    out.alarm = d.trueHi <= in.alarmLevel;
    out.newDepth = !d.corrupt;
    if (!d.recordDue()) {
        out.leftOut = d.corrupt;
        return out;
    }
    out.newDepth = true;

    SoundingRecord r;
    r.time = in.now;
    r.latitude = in.position.latitude;
    r.longitude = in.position.longitude;
    r.easting = in.position.easting;
    r.northing = in.position.northing;
    r.manualTide = in.manualTide;
    r.trueHi = d.trueHi;
    r.trueLo = d.trueLo;
    r.rawHi = d.rawHi;
    r.rawLo = d.rawLo;
    r.messageType = in.depth.messageType;
    r.soundVelocity = d.soundVelocityUsed;
    r.draft = in.depth.draft;  // the draft this line's depths were corrected with
    // Without a position the record has no fix, and no RTK height of an earlier one either:
    // those columns read as before any fix.
    const bool positioned = in.position.latitude.has_value();
    r.fixQuality = positioned ? in.position.fixQuality : 0;
    r.rtkAntennaHeight = positioned ? in.rtkAntennaHeight : 0;
    r.rtkTide = positioned ? in.rtkTide : 0;
    const CsvAppendResult csv = AppendSurveyCsvRecord(in.csvFileName, r);
    out.csvAttempted = true;
    out.csvWritten = csv.written;
    out.csvFile = csv.fileName;
    out.csvHeaderWritten = csv.headerWritten;
    out.csvError = csv.error;

    // The XYZ file holds soundings only: a real depth at a current position. A type that carries
    // only the low-frequency depth writes that one.
    const double z = d.onlyLowDepth ? d.trueLo : d.trueHi;
    const auto& e = in.position.easting;
    const auto& n = in.position.northing;
    if (z > 0 && e && n && (*e != 0 || *n != 0)) {
        out.xyzAttempted = true;
        out.xyzWritten = AppendSimpleXyzRecord(in.xyzFileName, *e, *n, in.manualTide - z, &out.xyzError);
    }
    return out;
}

} // namespace vsx
