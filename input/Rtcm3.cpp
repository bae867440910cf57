#include "input/Rtcm3.h"

#include <array>
#include <cmath>

namespace vsx {
namespace {

const std::array<std::uint32_t, 256>& crcTable()
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i << 16;
            for (int bit = 0; bit < 8; ++bit) c = (c & 0x800000) ? ((c << 1) ^ 0x1864CFB) : (c << 1);
            t[i] = c & 0xFFFFFF;
        }
        return t;
    }();
    return table;
}

unsigned byteAt(std::string_view s, std::size_t i)
{
    return static_cast<unsigned char>(s[i]);
}

// Reads `length` bits (at most 64) from bit `pos` of the payload, most significant bit first.
// The caller checks that they lie inside the payload.
std::uint64_t bits(std::string_view payload, std::size_t pos, int length)
{
    std::uint64_t v = 0;
    for (int i = 0; i < length; ++i, ++pos) v = (v << 1) | ((byteAt(payload, pos / 8) >> (7 - pos % 8)) & 1u);
    return v;
}

std::int64_t signedBits(std::string_view payload, std::size_t pos, int length)
{
    const std::uint64_t v = bits(payload, pos, length);
    const std::uint64_t sign = std::uint64_t(1) << (length - 1);
    return (v & sign) ? std::int64_t(v) - std::int64_t(sign << 1) : std::int64_t(v);
}

int messageNumberOf(std::string_view payload)
{
    return payload.size() < 2 ? 0 : int(bits(payload, 0, 12));
}

// A counted text at payload byte `pos`; moves `pos` past what was read. Nothing when the
// counter itself lies outside the payload.
std::optional<std::string> countedText(std::string_view payload, std::size_t& pos, bool& counterRead)
{
    counterRead = pos < payload.size();
    if (!counterRead) return std::nullopt;
    const unsigned count = byteAt(payload, pos);
    ++pos;
    if (count < 1 || count > 31 || pos + count > payload.size()) return std::nullopt;
    std::string text(payload.substr(pos, count));
    pos += count;
    return text;
}

} // namespace

std::uint32_t Crc24q(const unsigned char* data, std::size_t size)
{
    const auto& table = crcTable();
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) crc = ((crc << 8) & 0xFFFFFF) ^ table[((crc >> 16) ^ data[i]) & 0xFF];
    return crc;
}

RtcmScan ScanRtcmFrames(std::string_view bytes)
{
    RtcmScan scan;
    scan.IncompleteFrom = bytes.size();
    const auto* raw = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        if (raw[i] != RtcmPreamble) {
            ++i;
            continue;
        }
        if (n - i < 3) { // the header itself is cut off
            if (scan.IncompleteFrom == n) scan.IncompleteFrom = i;
            ++i;
            continue;
        }
        const std::size_t length = (std::size_t(raw[i + 1] & 0x03) << 8) | raw[i + 2];
        if (i + length + 6 > n) {
            if (scan.IncompleteFrom == n && n - i < RtcmMaxFrameSize) scan.IncompleteFrom = i;
            ++i;
            continue;
        }
        const std::uint32_t stored = (std::uint32_t(raw[i + 3 + length]) << 16) | (std::uint32_t(raw[i + 4 + length]) << 8)
                                   | raw[i + 5 + length];
        if (Crc24q(raw + i, length + 3) != stored) {
            ++scan.CrcErrors;
            ++i;
            continue;
        }
        RtcmFrame frame;
        frame.Offset = i;
        frame.Payload = bytes.substr(i + 3, length);
        frame.MessageNumber = messageNumberOf(frame.Payload);
        scan.Frames.push_back(frame);
        // A frame that seemed cut off earlier was a false preamble inside this good one.
        if (scan.IncompleteFrom < i + frame.Size()) scan.IncompleteFrom = n;
        i += frame.Size();
    }
    return scan;
}

std::string RtcmMessageName(int number)
{
    switch (number) {
    case 1001: return "GPS L1 Observations";
    case 1002: return "GPS L1 Extended Observations";
    case 1003: return "GPS L1/L2 Observations";
    case 1004: return "GPS L1/L2 Extended Observations";
    case 1005: return "Station ARP (Antenna Reference Point)";
    case 1006: return "Station ARP with Height";
    case 1007: return "Antenna Descriptor";
    case 1008: return "Antenna Descriptor & Serial";
    case 1009: return "GLONASS L1 Observations";
    case 1010: return "GLONASS L1 Extended Observations";
    case 1011: return "GLONASS L1/L2 Observations";
    case 1012: return "GLONASS L1/L2 Extended Observations";
    case 1013: return "System Parameters";
    case 1019: return "GPS Ephemeris";
    case 1020: return "GLONASS Ephemeris";
    case 1029: return "Text String (Unicode)";
    case 1030: return "GPS Network RTK Residual";
    case 1031: return "GLONASS Network RTK Residual";
    case 1032: return "Physical Reference Station Position";
    case 1033: return "Receiver & Antenna Descriptors";
    case 1230: return "GLONASS Code-Phase Biases";
    case 4072:
    case 4073: return "u-blox Proprietary";
    default: break;
    }
    struct Msm { int base; const char* system; const char* fullSuffix; };
    static const Msm msm[] = {
        {1070, "GPS", " (Full GPS)"}, {1080, "GLONASS", " (Full GLONASS)"}, {1090, "Galileo", " (Full Galileo)"},
        {1100, "SBAS", ""},           {1110, "QZSS", ""},                   {1120, "BeiDou", " (Full BeiDou)"},
        {1130, "NavIC", ""},
    };
    for (const Msm& m : msm) {
        const int k = number - m.base;
        if (k >= 1 && k <= 7)
            return std::string(m.system) + " MSM" + std::to_string(k) + (k == 7 ? m.fullSuffix : "");
    }
    return "Unknown";
}

std::optional<RtcmStationPosition> DecodeStationPosition(const RtcmFrame& frame)
{
    const std::string_view p = frame.Payload;
    const int number = messageNumberOf(p);
    if ((number != 1005 && number != 1006) || p.size() < 19) return std::nullopt;
    RtcmStationPosition s;
    s.MessageNumber = number;
    s.StationId = int(bits(p, 12, 12));
    s.ItrfRealization = int(bits(p, 24, 6));
    s.Gps = bits(p, 30, 1) != 0;
    s.Glonass = bits(p, 31, 1) != 0;
    s.Galileo = bits(p, 32, 1) != 0;
    s.ReferenceStationIndicator = bits(p, 33, 1) != 0;
    s.X = double(signedBits(p, 34, 38)) * 0.0001;
    s.Y = double(signedBits(p, 74, 38)) * 0.0001;
    s.Z = double(signedBits(p, 114, 38)) * 0.0001;
    if (number == 1006 && p.size() >= 21) s.AntennaHeight = double(bits(p, 152, 16)) * 0.0001;
    return s;
}

std::optional<RtcmDescriptors> DecodeDescriptors(const RtcmFrame& frame)
{
    const std::string_view p = frame.Payload;
    const int number = messageNumberOf(p);
    if (number != 1007 && number != 1008 && number != 1033) return std::nullopt;
    RtcmDescriptors d;
    d.MessageNumber = number;
    if (p.size() >= 3) d.StationId = int(bits(p, 12, 12));
    std::size_t pos = 3;
    bool counterRead = false;
    d.AntennaDescriptor = countedText(p, pos, counterRead);
    if (!counterRead) return d;
    if (pos >= p.size()) return d;
    d.SetupId = int(byteAt(p, pos));
    ++pos;
    if (number == 1007) return d;
    d.AntennaSerial = countedText(p, pos, counterRead);
    if (number == 1008 || !counterRead) return d;
    d.ReceiverType = countedText(p, pos, counterRead);
    if (!counterRead) return d;
    d.ReceiverFirmware = countedText(p, pos, counterRead);
    if (!counterRead) return d;
    d.ReceiverSerial = countedText(p, pos, counterRead);
    return d;
}

GeodeticPosition EcefToGeodetic(double x, double y, double z)
{
    constexpr double a = 6378137.0;
    constexpr double e2 = 0.0066943799901413165;
    constexpr double pi = 3.14159265358979323846;
    const double p = std::sqrt(x * x + y * y);
    const double lon = std::atan2(y, x);
    double lat = std::atan2(z, p * (1.0 - e2));
    double n = a;
    for (int i = 0; i < 10; ++i) {
        const double s = std::sin(lat);
        n = a / std::sqrt(1.0 - e2 * s * s);
        lat = std::atan2(z + e2 * n * s, p);
    }
    const double s = std::sin(lat);
    n = a / std::sqrt(1.0 - e2 * s * s);
    return {lat * 180.0 / pi, lon * 180.0 / pi, p / std::cos(lat) - n};
}

bool IsPlausibleStationPosition(double x, double y, double z)
{
    const double r = std::sqrt(x * x + y * y + z * z);
    return r > 6000000.0 && r < 7000000.0;
}

} // namespace vsx
