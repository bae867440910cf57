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
    if (!d.recordDue()) return out;

    SoundingRecord r;
    r.time = in.now;
    r.latitude = in.latitude;
    r.longitude = in.longitude;
    r.easting = in.easting;
    r.northing = in.northing;
    r.manualTide = in.manualTide;
    r.trueHi = d.trueHi;
    r.trueLo = d.trueLo;
    r.rawHi = d.rawHi;
    r.rawLo = d.rawLo;
    r.messageType = in.depth.messageType;
    r.soundVelocity = d.soundVelocityUsed;
    r.draft = in.depth.draft;  // the draft this line's depths were corrected with
    r.fixQuality = in.fixQuality;
    r.rtkAntennaHeight = in.rtkAntennaHeight;
    r.rtkTide = in.rtkTide;
    const CsvAppendResult csv = AppendSurveyCsvRecord(in.csvFileName, r);
    out.csvWritten = csv.written;
    out.csvFile = csv.fileName;

    // The XYZ file holds soundings only: a real depth at a real position. A type that carries
    // only the low-frequency depth writes that one.
    const double z = d.onlyLowDepth ? d.trueLo : d.trueHi;
    if (z > 0 && (in.easting != 0 || in.northing != 0))
        out.xyzWritten = AppendSimpleXyzRecord(in.xyzFileName, in.easting, in.northing, in.manualTide - z);
    return out;
}

} // namespace vsx
