#pragma once
// The RTCM 3 report of the NTRIP window: which messages the last received bytes hold and how
// often, the reference station's position, antenna and receiver, the satellite signals on offer,
// the position the vessel sends to the caster, and the distance and bearing to the station.
// Only frames whose CRC matches are read, so a stray preamble inside a payload, or the cut-off
// frame the bytes usually start with, is never taken for a message.
#include "input/RtcmBaseStationWatch.h"
#include "platform/Clock.h"

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vsx {

// What the NTRIP client sends to the caster.
struct RtcmReportVessel {
    double Latitude = 0, Longitude = 0, Height = 0;
    bool ManualPosition = false;
};

struct RtcmReportInputs {
    std::string_view Bytes;
    LocalDateTime Now;
    int UtcOffsetMinutes = 0; // local time minus UTC at that moment, daylight saving included
    std::optional<RtcmReportVessel> Vessel; // nothing without a client
};

struct RtcmReport {
    std::vector<std::string> Lines;
    std::map<int, int> Counts; // frames per message number
    int Total = 0;
    // The station position of the last plausible 1005 or 1006 frame.
    std::optional<RtcmBaseStation> Base;
};

RtcmReport BuildRtcmReport(const RtcmReportInputs& inputs);

// "#id: latitude, longitude, heightm": degrees with 8 decimals, the height with 2, as the
// window's "Base " log line and the events log's "NTRIP Base Station " entry show a station.
std::string BaseStationText(const RtcmBaseStation& station);

// "GMT+03:00", "GMT-05:00", "GMT+05:30", "GMT-03:30".
std::string TimeZoneText(int utcOffsetMinutes);
// The local zone's offset from UTC at the moment, daylight saving included.
int LocalUtcOffsetMinutes(std::chrono::system_clock::time_point at);

// Great-circle distance (metres, sphere of 6371 km) and initial bearing (degrees from north,
// 0 to 360) from the first position to the second, both in degrees.
double HaversineDistance(double lat1, double lon1, double lat2, double lon2);
double InitialBearing(double lat1, double lon1, double lat2, double lon2);

} // namespace vsx
