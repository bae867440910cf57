#include "input/NtripRequest.h"

#include "platform/Clock.h"
#include "platform/Numbers.h"

#include <cmath>
#include <cstdio>

namespace vsx {

std::string Base64Encode(std::string_view bytes)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned v = unsigned(static_cast<unsigned char>(bytes[i])) << 16
                         | unsigned(static_cast<unsigned char>(bytes[i + 1])) << 8
                         | unsigned(static_cast<unsigned char>(bytes[i + 2]));
        out += alphabet[(v >> 18) & 63];
        out += alphabet[(v >> 12) & 63];
        out += alphabet[(v >> 6) & 63];
        out += alphabet[v & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        unsigned v = unsigned(static_cast<unsigned char>(bytes[i])) << 16;
        if (rest == 2) v |= unsigned(static_cast<unsigned char>(bytes[i + 1])) << 8;
        out += alphabet[(v >> 18) & 63];
        out += alphabet[(v >> 12) & 63];
        out += rest == 2 ? alphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string BuildNtripRequest(const NtripRequestFields& f)
{
    if (f.ProtocolVersion != 0 && f.ProtocolVersion != 1) return {};
    const std::string agent = "User-Agent: NTRIP VeldorNTRIPClient/1.0\r\n";
    const std::string auth = f.Username.empty()
        ? std::string()
        : "Authorization: Basic " + Base64Encode(f.Username + ":" + f.Password) + "\r\n";
    if (f.ProtocolVersion == 0) return "GET /" + f.MountPoint + " HTTP/1.0\r\n" + agent + auth + "\r\n";
    return "GET /" + f.MountPoint + " HTTP/1.1\r\n" + "Host: " + f.Host + "\r\n" + "Ntrip-Version: Ntrip/2.0\r\n"
         + agent + auth + "\r\n";
}

std::string FormatNmeaAngle(double angle, int degreeDigits)
{
    const double a = std::isfinite(angle) ? std::fabs(angle) : 0.0;
    long long degrees = static_cast<long long>(std::floor(a));
    std::string minutes = formatFixed((a - double(degrees)) * 60.0, 4);
    if (minutes == "60.0000") {
        ++degrees;
        minutes = "0.0000";
    }
    if (minutes.size() < 7) minutes.insert(0, 7 - minutes.size(), '0');
    return formatPadded(degrees, degreeDigits) + minutes;
}

std::string BuildGGA(const GgaPosition& p, std::chrono::system_clock::time_point utcNow)
{
    const LocalDateTime t = toUtc(utcNow);
    std::string body = "GPGGA,";
    body += formatPadded(t.hour, 2) + formatPadded(t.minute, 2) + formatPadded(t.second, 2) + ",";
    body += FormatNmeaAngle(p.Latitude, 2) + (p.Latitude >= 0 ? ",N," : ",S,");
    body += FormatNmeaAngle(p.Longitude, 3) + (p.Longitude >= 0 ? ",E," : ",W,");
    body += "1,10,1.0," + formatFixed(p.Height, 1) + ",M,0.0,M,,";
    unsigned char sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", unsigned(sum));
    return "$" + body + "*" + hex;
}

} // namespace vsx
