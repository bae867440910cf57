#pragma once
// RTCM 3 frames as they come in an NTRIP correction stream: the frame scan with its CRC-24Q
// check, the message names, and the reference station's messages (position 1005/1006,
// descriptors 1007/1008/1033) with the WGS-84 position they carry.
//
// Frame: 0xD3, 6 reserved bits, a 10-bit payload length L, L payload bytes (the first 12 bits
// are the message number), 24 bits of CRC-24Q over everything before it. L + 6 bytes in all.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vsx {

constexpr unsigned char RtcmPreamble = 0xD3;
constexpr std::size_t RtcmMaxFrameSize = 1023 + 6;

// CRC-24Q (polynomial 0x1864CFB, initial value 0) of the bytes.
std::uint32_t Crc24q(const unsigned char* data, std::size_t size);

struct RtcmFrame {
    std::size_t Offset = 0;   // of the preamble in the scanned bytes
    std::string_view Payload; // L bytes, pointing into the scanned bytes
    int MessageNumber = 0;    // 0 when the payload is shorter than 2 bytes
    std::size_t Size() const { return Payload.size() + 6; }
};

struct RtcmScan {
    std::vector<RtcmFrame> Frames; // CRC-checked frames, in stream order
    int CrcErrors = 0;             // complete frames whose CRC did not match
    // Where a frame starts that runs past the end of the bytes (the next block will complete
    // it); the size of the bytes when there is none.
    std::size_t IncompleteFrom = 0;
};

// Finds the frames in bytes. After a good frame the scan goes on behind it; anywhere else it
// moves on by one byte, so a false preamble (inside a payload, or a frame with a bad CRC) is
// never taken for a frame and never hides the real frames behind it.
// The frames point into `bytes`, which must outlive the result.
RtcmScan ScanRtcmFrames(std::string_view bytes);
RtcmScan ScanRtcmFrames(std::string&& bytes) = delete;

// The message's name, "Unknown" for numbers without one.
std::string RtcmMessageName(int number);

// Station antenna reference point, messages 1005 and 1006.
struct RtcmStationPosition {
    int MessageNumber = 0;
    int StationId = 0;
    int ItrfRealization = 0; // the year after 2000, 0 when not given
    bool Gps = false, Glonass = false, Galileo = false;
    bool ReferenceStationIndicator = false; // false: a physical station
    double X = 0, Y = 0, Z = 0;             // earth-centred, metres
    std::optional<double> AntennaHeight;    // 1006 only, metres
};

// Nothing unless the frame is a 1005 or 1006 with a payload of at least 19 bytes.
std::optional<RtcmStationPosition> DecodeStationPosition(const RtcmFrame& frame);

// Antenna and receiver descriptors, messages 1007, 1008 and 1033. A text is present only when
// its counter is 1 to 31 and its characters lie inside the payload.
struct RtcmDescriptors {
    int MessageNumber = 0;
    int StationId = 0;
    std::optional<std::string> AntennaDescriptor;
    std::optional<int> SetupId;
    std::optional<std::string> AntennaSerial;    // 1008, 1033
    std::optional<std::string> ReceiverType;     // 1033
    std::optional<std::string> ReceiverFirmware; // 1033
    std::optional<std::string> ReceiverSerial;   // 1033
};

std::optional<RtcmDescriptors> DecodeDescriptors(const RtcmFrame& frame);

struct GeodeticPosition {
    double Latitude = 0;  // degrees
    double Longitude = 0; // degrees
    double Height = 0;    // metres above the WGS-84 ellipsoid
};

// WGS-84 latitude, longitude and height of an earth-centred position (ten fixed iterations).
GeodeticPosition EcefToGeodetic(double x, double y, double z);

// A station position is believed only when its distance from the earth's centre lies strictly
// between 6000 and 7000 km.
bool IsPlausibleStationPosition(double x, double y, double z);

} // namespace vsx
