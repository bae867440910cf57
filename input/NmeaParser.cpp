#include "input/NmeaParser.h"

#include "platform/Numbers.h"

namespace vsx {
namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

double numberOrZero(std::string_view text) { return parseDouble(text).value_or(0.0); }

int integerOrZero(std::string_view text) { return strToIntDef(text, 0); }

} // namespace

NmeaChecksum nmeaChecksum(std::string_view sentence)
{
    if (sentence.empty() || (sentence[0] != '$' && sentence[0] != '!')) return NmeaChecksum::Absent;
    size_t star = sentence.find('*');
    if (star == std::string_view::npos) return NmeaChecksum::Absent;
    if (sentence.size() != star + 3) return NmeaChecksum::Invalid;
    int hi = hexDigit(sentence[star + 1]), lo = hexDigit(sentence[star + 2]);
    if (hi < 0 || lo < 0) return NmeaChecksum::Invalid;
    unsigned char sum = 0;
    for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(sentence[i]);
    return sum == (hi << 4 | lo) ? NmeaChecksum::Valid : NmeaChecksum::Invalid;
}

double NmeaToDegrees(std::string_view value, std::string_view hemisphere)
{
    if (value.empty()) return 0;
    size_t dot = value.find('.');
    if (dot == std::string_view::npos || dot < 2) return 0;
    const size_t k = (hemisphere == "E" || hemisphere == "W") ? 3 : 2;
    double degrees = numberOrZero(value.substr(0, k));
    double minutes = value.size() > k ? numberOrZero(value.substr(k)) : 0.0;
    double result = degrees + minutes / 60.0;
    return (hemisphere == "S" || hemisphere == "W") ? -result : result;
}

void SplitFields(std::string_view text, std::vector<std::string_view>& fields)
{
    fields.clear();
    size_t from = 0;
    for (;;) {
        size_t comma = text.find(',', from);
        if (comma == std::string_view::npos) {
            fields.push_back(text.substr(from));
            return;
        }
        fields.push_back(text.substr(from, comma - from));
        from = comma + 1;
    }
}

void NmeaParser::ParseSentence(std::string_view line, Listener& listener)
{
    size_t star = line.find('*');
    if (star != std::string_view::npos) line = line.substr(0, star);
    if (line.size() < 6) return;
    std::string_view type = line.substr(3, 3);
    if (type == "GGA" || type == "RMC" || type == "VTG") {
        SplitFields(line, fields_);
        if (type == "GGA") ParseGGA(listener);
        else if (type == "RMC") ParseRMC(listener);
        else ParseVTG(listener);
    }
    // ZDA, GSA and every other type change nothing.
}

void NmeaParser::ParseGGA(Listener& listener)
{
    const auto& f = fields_;
    if (f.size() < 10) return;
    double latitude = NmeaToDegrees(f[2], f[3]);
    double longitude = NmeaToDegrees(f[4], f[5]);
    if (!f[6].empty()) fix_.fixQuality = integerOrZero(f[6]);
    if (!f[7].empty()) fix_.satellites = integerOrZero(f[7]);
    double altitude = f[9].empty() ? fix_.altitude : numberOrZero(f[9]);
    if (latitude == fix_.latitude && longitude == fix_.longitude && altitude == fix_.altitude) return;
    fix_.latitude = latitude;
    fix_.longitude = longitude;
    fix_.altitude = altitude;
    listener.positionChanged(latitude, longitude, altitude);
}

void NmeaParser::ParseRMC(Listener& listener)
{
    const auto& f = fields_;
    if (f.size() < 8) return;
    if (!f[7].empty()) {
        double speed = numberOrZero(f[7]) * 1.852;
        if (speed != fix_.speed) {
            fix_.speed = speed;
            if (!listener.speedChanged(speed)) return;
        }
    }
    if (f.size() > 8 && !f[8].empty()) fix_.course = numberOrZero(f[8]);
}

void NmeaParser::ParseVTG(Listener& listener)
{
    const auto& f = fields_;
    if (f.size() < 8) return;
    if (!f[1].empty()) fix_.course = numberOrZero(f[1]);
    if (!f[7].empty()) {
        double speed = numberOrZero(f[7]);
        if (speed != fix_.speed) {
            fix_.speed = speed;
            listener.speedChanged(speed);
        }
    }
}

} // namespace vsx
