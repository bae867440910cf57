#pragma once
// Watches the correction stream for the reference station's position (RTCM 3 messages 1005
// and 1006) and says when the station or its position changes. A frame split across two
// received blocks is completed with the next block.
#include "input/Rtcm3.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vsx {

struct RtcmBaseStation {
    int StationId = 0;
    double Latitude = 0;  // degrees, WGS-84
    double Longitude = 0; // degrees
    double Height = 0;    // metres
};

class RtcmBaseStationWatch {
public:
    // A move smaller than this (degrees, in latitude and in longitude) is the same position.
    static constexpr double SamePositionDegrees = 0.00001;

    // Scans one received block. Returns every plausible station position that differs from the
    // remembered base (another station ID, or a move of more than SamePositionDegrees), in
    // stream order; each becomes the remembered base.
    std::vector<RtcmBaseStation> Feed(const char* bytes, std::size_t count);

    const RtcmBaseStation& Base() const { return base_; }
    void SetBase(const RtcmBaseStation& base) { base_ = base; }

private:
    std::string carry_; // the start of a frame that the last block cut off
    RtcmBaseStation base_;
};

} // namespace vsx
