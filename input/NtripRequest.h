#pragma once
// What the NTRIP client sends: the request for a mount point (NTRIP 1 or 2) with optional Basic
// authentication, and the GGA sentence that tells the caster where the vessel is.
#include <chrono>
#include <string>
#include <string_view>

namespace vsx {

// RFC 4648 Base64 of the 8-bit bytes of the text, padded with "=".
std::string Base64Encode(std::string_view bytes);

struct NtripRequestFields {
    std::string Host;
    std::string Username;
    std::string Password;
    std::string MountPoint;
    int ProtocolVersion = 0; // 0 NTRIP 1, 1 NTRIP 2, other: raw stream, no request
};

// The request text, ending with the empty line; empty for a raw stream.
std::string BuildNtripRequest(const NtripRequestFields& fields);

// The position that goes into the GGA, kept together so it is always read as one set.
struct GgaPosition {
    double Latitude = 0;  // degrees, north positive
    double Longitude = 0; // degrees, east positive
    double Height = 0;    // metres
};

// |angle| as NMEA degrees and minutes: degreeDigits digits of whole degrees, then the minutes with
// four decimals and two integer digits ("3330.0000" for 33.5 with 2 digits). The minutes are
// rounded first and carried into the degrees, so they never read 60.0000.
std::string FormatNmeaAngle(double angle, int degreeDigits);

// "$GPGGA,...*CS" (no line end) for the position at the given UTC time: fix quality 1,
// 10 satellites, HDOP 1.0, the height with one decimal, geoid separation 0.0.
std::string BuildGGA(const GgaPosition& position, std::chrono::system_clock::time_point utcNow);

} // namespace vsx
