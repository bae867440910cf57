// Feeds bytes to the RTCM 3 frame scan, the station and descriptor decoders and the
// base-station watch (in two blocks, so frames split across blocks are exercised).
#include "input/Rtcm3.h"
#include "input/RtcmBaseStationWatch.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const vsx::RtcmScan scan = vsx::ScanRtcmFrames(bytes);
    std::size_t end = 0;
    for (const vsx::RtcmFrame& frame : scan.Frames) {
        // Frames lie inside the bytes, in order, without overlapping.
        if (frame.Offset < end || frame.Offset + frame.Size() > size) __builtin_trap();
        end = frame.Offset + frame.Size();
        if (const auto station = vsx::DecodeStationPosition(frame)) {
            const auto g = vsx::EcefToGeodetic(station->X, station->Y, station->Z);
            if (vsx::IsPlausibleStationPosition(station->X, station->Y, station->Z)
                && (!std::isfinite(g.Latitude) || std::fabs(g.Latitude) > 90.0))
                __builtin_trap();
        }
        vsx::DecodeDescriptors(frame);
        vsx::RtcmMessageName(frame.MessageNumber);
    }
    vsx::RtcmBaseStationWatch watch;
    const std::size_t half = size / 2;
    watch.Feed(bytes.data(), half);
    watch.Feed(bytes.data() + half, size - half);
    return 0;
}
