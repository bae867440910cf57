#pragma once
// Builds RTCM 3 frames for tests: a bit writer for payloads and the frame around them.
#include "input/Rtcm3.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace vsx::test {

class RtcmBits {
public:
    RtcmBits& put(std::uint64_t value, int length)
    {
        for (int i = length - 1; i >= 0; --i) {
            if (bit_ % 8 == 0) bytes_ += '\0';
            // Fields wider than 64 bits are zero above bit 63 (a shift that far is undefined).
            if (i < 64 && ((value >> i) & 1u)) bytes_.back() = char(static_cast<unsigned char>(bytes_.back()) | (0x80u >> (bit_ % 8)));
            ++bit_;
        }
        return *this;
    }
    RtcmBits& putSigned(std::int64_t value, int length) { return put(std::uint64_t(value), length); }
    RtcmBits& text(const std::string& s)
    {
        put(s.size(), 8);
        for (char c : s) put(static_cast<unsigned char>(c), 8);
        return *this;
    }
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
    int bit_ = 0;
};

inline std::string rtcmFrame(const std::string& payload)
{
    std::string f;
    f += char(0xD3);
    f += char((payload.size() >> 8) & 0x03);
    f += char(payload.size() & 0xFF);
    f += payload;
    const std::uint32_t crc = Crc24q(reinterpret_cast<const unsigned char*>(f.data()), f.size());
    f += char((crc >> 16) & 0xFF);
    f += char((crc >> 8) & 0xFF);
    f += char(crc & 0xFF);
    return f;
}

// A 1005 (or, with a height, 1006) frame for the station at the earth-centred position (metres).
inline std::string stationFrame(int station, double x, double y, double z, int number = 1005, double height = 0)
{
    RtcmBits b;
    b.put(std::uint64_t(number), 12).put(std::uint64_t(station), 12).put(14, 6).put(1, 1).put(1, 1).put(0, 1).put(0, 1);
    b.putSigned(std::llround(x * 10000), 38).put(0, 2).putSigned(std::llround(y * 10000), 38).put(0, 2);
    b.putSigned(std::llround(z * 10000), 38);
    if (number == 1006) b.put(std::uint64_t(std::llround(height * 10000)), 16);
    return rtcmFrame(b.bytes());
}

} // namespace vsx::test
