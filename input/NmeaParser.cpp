#include "input/NmeaParser.h"

#include "platform/Numbers.h"

#include <cmath>

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

bool allDigits(std::string_view text)
{
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// "ddmm.mmm" or "dddmm.mmm" with its hemisphere letter: degrees before the last two whole digits,
// minutes (below 60) from there on. Nothing but digits and one '.' is taken.
std::optional<double> strictDegrees(std::string_view value, std::string_view hemisphere, char positive, char negative)
{
    if (hemisphere.size() != 1 || (hemisphere[0] != positive && hemisphere[0] != negative)) return std::nullopt;
    const size_t dot = value.find('.');
    const std::string_view whole = value.substr(0, dot);
    if (whole.size() < 3 || !allDigits(whole)) return std::nullopt;
    if (dot != std::string_view::npos && !allDigits(value.substr(dot + 1))) return std::nullopt;
    const auto degrees = parseDouble(whole.substr(0, whole.size() - 2));
    const auto minutes = parseDouble(value.substr(whole.size() - 2));
    if (!degrees || !minutes || !(*minutes < 60.0)) return std::nullopt;
    const double v = *degrees + *minutes / 60.0;
    return hemisphere[0] == negative ? -v : v;
}

// An altitude-like field: none when empty, else finite and within the limit.
bool heightField(std::string_view text, std::optional<double>& out)
{
    out.reset();
    if (text.empty()) return true;
    const auto v = parseDouble(text);
    if (!v || !(std::fabs(*v) <= kMaxGgaAltitude)) return false;
    out = *v;
    return true;
}

// Digits with at most one '.' among them, at least one digit; a leading '-' when `allowSign`.
bool decimalText(std::string_view text, bool allowSign)
{
    if (allowSign && !text.empty() && text[0] == '-') text.remove_prefix(1);
    bool digit = false, dot = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') digit = true;
        else if (c == '.' && !dot) dot = true;
        else return false;
    }
    return digit;
}

// Digits, then an optional '.' and more digits: a time "hhmmss[.ss]" (6 whole digits) or an angle
// "ddmm.mmm" / "dddmm.mmm" (at least 3).
bool digitsWithFraction(std::string_view text, size_t minWhole, size_t maxWhole)
{
    const size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    if (whole.size() < minWhole || whole.size() > maxWhole || !allDigits(whole)) return false;
    return dot == std::string_view::npos || allDigits(text.substr(dot + 1));
}

// An angle with its hemisphere letter, or both empty.
bool angleText(std::string_view value, std::string_view hemisphere, char positive, char negative)
{
    if (value.empty() && hemisphere.empty()) return true;
    return hemisphere.size() == 1 && (hemisphere[0] == positive || hemisphere[0] == negative) &&
           digitsWithFraction(value, 3, 5);
}

GgaSentence rejected(const char* problem)
{
    GgaSentence g;
    g.problem = problem;
    return g;
}

} // namespace

bool GgaComplete(const std::vector<std::string_view>& f)
{
    if (f.size() != 15) return false;
    const auto digits = [](std::string_view t, size_t most) { return t.empty() || (t.size() <= most && allDigits(t)); };
    const auto number = [](std::string_view t, bool allowSign) { return t.empty() || decimalText(t, allowSign); };
    const auto unit = [](std::string_view t) { return t.empty() || t == "M"; };
    return (f[1].empty() || digitsWithFraction(f[1], 6, 6)) && angleText(f[2], f[3], 'N', 'S') &&
           angleText(f[4], f[5], 'E', 'W') && digits(f[6], 2) && digits(f[7], 3) && number(f[8], false) &&
           number(f[9], true) && unit(f[10]) && number(f[11], true) && unit(f[12]) && number(f[13], false) &&
           digits(f[14], 4);
}

bool nmeaSentenceUsable(std::string_view sentence, NmeaChecksum checksum)
{
    if (checksum != NmeaChecksum::Absent) return checksum == NmeaChecksum::Valid;
    const std::string_view address = sentence.substr(0, sentence.find(','));
    if (address.find("GGA") == std::string_view::npos) return true;
    std::vector<std::string_view> fields;
    SplitFields(sentence, fields);
    return GgaComplete(fields);
}

GgaSentence ReadGgaSentence(const std::vector<std::string_view>& f)
{
    if (f.size() < 10) return rejected("field count");
    const bool noPositionFields = f[2].empty() && f[3].empty() && f[4].empty() && f[5].empty();
    GgaSentence g;
    if (!f[7].empty() && allDigits(f[7]) && f[7].size() <= 3) g.satellites = integerOrZero(f[7]);
    if (f[6].empty() && noPositionFields) {
        g.kind = GgaKind::NoFix;
        return g;
    }
    if (f[6].size() > 2 || !allDigits(f[6]) || integerOrZero(f[6]) > 8) return rejected("fix quality");
    const int quality = integerOrZero(f[6]);
    if (quality == 0) {
        g.kind = GgaKind::NoFix;
        return g;
    }
    if (noPositionFields) return rejected("position fields");
    const auto latitude = strictDegrees(f[2], f[3], 'N', 'S');
    if (!latitude || !(std::fabs(*latitude) <= 90.0)) return rejected("latitude");
    const auto longitude = strictDegrees(f[4], f[5], 'E', 'W');
    if (!longitude || !(std::fabs(*longitude) <= 180.0)) return rejected("longitude");
    if (!heightField(f[9], g.altitude)) return rejected("altitude");
    std::optional<double> geoid;
    if (f.size() > 11 && !heightField(f[11], geoid)) return rejected("geoid separation");
    g.kind = GgaKind::Position;
    g.latitude = *latitude;
    g.longitude = *longitude;
    g.fixQuality = quality;
    return g;
}

GgaSentence ReadGgaSentence(std::string_view line)
{
    if (const size_t star = line.find('*'); star != std::string_view::npos) line = line.substr(0, star);
    std::vector<std::string_view> fields;
    SplitFields(line, fields);
    return ReadGgaSentence(fields);
}

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
    const GgaSentence g = ReadGgaSentence(fields_);
    if (g.kind == GgaKind::Rejected) {
        ++rejectedGga_;
        return;
    }
    fix_.fixQuality = g.fixQuality;
    if (g.satellites) fix_.satellites = *g.satellites;
    // A GGA without a fix moves nothing: the last position stays and no event is raised.
    if (g.kind != GgaKind::Position) return;
    const double latitude = g.latitude, longitude = g.longitude;
    const double altitude = g.altitude.value_or(fix_.altitude);
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
