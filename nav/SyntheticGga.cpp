#include "nav/SyntheticGga.h"

#include "platform/Numbers.h"
#include "platform/Text.h"

#include <cmath>
#include <cstdio>

namespace vsx {
namespace {

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// |value| as whole degrees and minutes rounded to 1e-6', carried into the degrees.
void degreesAndMinutes(double value, long long& degrees, double& minutes)
{
    const long long micro = std::llround(std::fabs(value) * 60.0 * 1e6);  // millionths of a minute
    degrees = micro / 60'000'000;
    minutes = double(micro % 60'000'000) / 1e6;
}

std::string coordinate(double value, int degreeDigits)
{
    long long d = 0;
    double m = 0;
    degreesAndMinutes(value, d, m);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%0*lld%09.6f", degreeDigits, d, m);
    return buffer;
}

} // namespace

std::string SensorTalker(std::string_view name)
{
    if (name.size() < 2 || !isAsciiLetter(name[0]) || !isAsciiLetter(name[1])) return "GP";
    return toUpperAscii(name.substr(0, 2));
}

std::string NmeaChecksumText(std::string_view body)
{
    unsigned char x = 0;
    for (char c : body) x ^= static_cast<unsigned char>(c);
    static const char* hex = "0123456789ABCDEF";
    return {hex[x >> 4], hex[x & 15]};
}

std::string SyntheticTimeField(std::string_view timeText)
{
    std::string time;
    for (char c : timeText)
        if (c != ':') time += c;
    return time + ".00";
}

std::string BuildSyntheticGga(std::string_view talker, std::string_view timeField, double latitude, double longitude,
                              int fixQuality)
{
    std::string body;
    body.reserve(96);
    body += talker;
    body += "GGA,";
    body += timeField;
    body += ',';
    body += coordinate(latitude, 2);
    body += latitude >= 0 ? ",N," : ",S,";
    body += coordinate(longitude, 3);
    body += longitude >= 0 ? ",E," : ",W,";
    body += formatInt(fixQuality);
    body += ",00,0.0,0.0,M,0.0,M,,";
    return '$' + body + '*' + NmeaChecksumText(body);
}

} // namespace vsx
