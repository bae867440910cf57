#include "input/RtcmBaseStationWatch.h"

#include <cmath>

namespace vsx {

std::vector<RtcmBaseStation> RtcmBaseStationWatch::Feed(const char* bytes, std::size_t count)
{
    std::string data = std::move(carry_);
    data.append(bytes, count);
    carry_.clear();
    const RtcmScan scan = ScanRtcmFrames(data);
    std::vector<RtcmBaseStation> changes;
    for (const RtcmFrame& frame : scan.Frames) {
        const auto station = DecodeStationPosition(frame);
        if (!station || !IsPlausibleStationPosition(station->X, station->Y, station->Z)) continue;
        const GeodeticPosition g = EcefToGeodetic(station->X, station->Y, station->Z);
        if (station->StationId == base_.StationId && std::fabs(g.Latitude - base_.Latitude) <= SamePositionDegrees
            && std::fabs(g.Longitude - base_.Longitude) <= SamePositionDegrees)
            continue;
        base_ = {station->StationId, g.Latitude, g.Longitude, g.Height};
        changes.push_back(base_);
    }
    if (scan.IncompleteFrom < data.size()) carry_ = data.substr(scan.IncompleteFrom);
    return changes;
}

} // namespace vsx
