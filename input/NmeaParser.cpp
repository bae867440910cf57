#include "input/NmeaParser.h"

#include "platform/Clock.h"
#include "platform/Numbers.h"

#include <charconv>
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

// A field as a number, as parseDouble reads it; the plain decimals of a sentence take the short
// way (the line path reads several in every sentence).
std::optional<double> fieldNumber(std::string_view text)
{
    if (text.empty()) return std::nullopt;
    double v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::general);
    if (error == std::errc() && end == text.data() + text.size() && std::isfinite(v)) return v;
    return parseDouble(text);
}

double numberOrZero(std::string_view text) { return fieldNumber(text).value_or(0.0); }

// A field of digits alone (as the callers have checked) as a number.
int digitsValue(std::string_view digits)
{
    int v = 0;
    for (char c : digits) v = v * 10 + (c - '0');
    return v;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isCapital(char c) { return c >= 'A' && c <= 'Z'; }

bool allDigits(std::string_view text)
{
    if (text.empty()) return false;
    for (char c : text)
        if (!isDigit(c)) return false;
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
    const auto degrees = fieldNumber(whole.substr(0, whole.size() - 2));
    const auto minutes = fieldNumber(value.substr(whole.size() - 2));
    if (!degrees || !minutes || !(*minutes < 60.0)) return std::nullopt;
    const double v = *degrees + *minutes / 60.0;
    return hemisphere[0] == negative ? -v : v;
}

// An altitude-like field: none when empty, else finite and within the limit.
bool heightField(std::string_view text, std::optional<double>& out)
{
    out.reset();
    if (text.empty()) return true;
    const auto v = fieldNumber(text);
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

// "hhmmss" with an optional fraction ("101500.20").
bool wellFormedTime(std::string_view f)
{
    if (f.size() < 6) return false;
    for (size_t i = 0; i < 6; ++i)
        if (!isDigit(f[i])) return false;
    if (f.size() == 6) return true;
    return f[6] == '.' && f.size() > 7 && allDigits(f.substr(7));
}

// ---- The sentence readers -------------------------------------------------------------------

struct Reading {
    const std::vector<std::string_view>& f;
    ReceiverFix& fix;
    SentenceRead& read;
    FixTimePoint now;
};

// A number field, usable when it is a finite number.
void takeNumber(FixValue<double>& value, std::string_view text, FixTimePoint now)
{
    const auto v = fieldNumber(text);
    if (v) value.take(*v, now);
    else value.none();
}

void readGga(Reading& r)
{
    const auto& f = r.f;
    ReceiverFix& fix = r.fix;
    const GgaSentence g = ReadGgaSentence(f);
    if (g.kind == GgaKind::Rejected) {
        r.read.outcome = SentenceRead::Outcome::Refused;
        r.read.problem = g.problem;
        return;
    }
    r.read.outcome = SentenceRead::Outcome::Read;
    r.read.carried = kFixTime | kFixPosition | kFixQuality | kFixSatellites | kFixHdop | kFixAltitude |
                     (f.size() > 11 ? kFixGeoidSeparation : 0u) | (f.size() > 13 ? kFixAge : 0u);
    if (wellFormedTime(f[1])) fix.time.take(std::string(f[1]), r.now);
    else fix.time.none();
    fix.fixQuality.take(g.fixQuality, r.now);
    if (g.satellites) fix.satellites.take(*g.satellites, r.now);
    else fix.satellites.none();
    takeNumber(fix.hdop, f[8], r.now);
    if (f.size() > 13) takeNumber(fix.age, f[13], r.now);
    fix.current.Heard(r.now);
    if (g.kind == GgaKind::Position) {
        if (g.altitude) fix.altitude.take(*g.altitude, r.now);
        else fix.altitude.none();  // the last altitude stays the one the position takes
        if (g.geoidSeparation) fix.geoidSeparation.take(*g.geoidSeparation, r.now);
        else fix.geoidSeparation.none();
        fix.position.take({g.latitude, g.longitude}, r.now);
        fix.current.Take({g.latitude, g.longitude, fix.altitude.value, g.fixQuality}, r.now);
    } else {
        fix.position.none();
        fix.altitude.none();
        fix.geoidSeparation.none();
        fix.current.Lose();
    }
    // An empty GGA of a receiver without a fix has empty position fields; one with a fix always
    // has them. A fix at exactly 00:00:00 UTC is a time like any other.
    const bool positionFields = !f[2].empty() && !f[3].empty() && !f[4].empty() && !f[5].empty() && !f[6].empty();
    r.read.emptyGga = f[1].empty() || !positionFields;
}

void readRmc(Reading& r)
{
    const auto& f = r.f;
    r.read.outcome = SentenceRead::Outcome::Read;
    r.read.carried = kFixSpeed | (f.size() > 8 ? kFixCourse : 0u);
    takeNumber(r.fix.speed, f[7], r.now);
    if (f.size() > 8) takeNumber(r.fix.course, f[8], r.now);
}

void readVtg(Reading& r)
{
    const auto& f = r.f;
    r.read.outcome = SentenceRead::Outcome::Read;
    r.read.carried = kFixSpeed | kFixCourse;
    takeNumber(r.fix.course, f[1], r.now);
    // Knots as given; from the km/h field when only that one is given.
    takeNumber(r.fix.speed, f[5], r.now);
    if (!r.fix.speed.valid) {
        const auto kmh = fieldNumber(f[7]);
        if (kmh) r.fix.speed.take(*kmh / 1.852, r.now);
    }
}

void readHdt(Reading& r)
{
    r.read.outcome = SentenceRead::Outcome::Read;
    r.read.carried = kFixHeading;
    takeNumber(r.fix.heading, r.f[1], r.now);
}

// The sentence table: type (three characters), the fewest fields (address included) a sentence
// of it must have, its reader (none: recognised, and it changes nothing) and, for a type whose
// sentence cut short would give values nobody measured, what it must be to be used without a
// checksum (none: used as it comes).
struct SentenceRule {
    std::string_view type;
    SentenceType kind;
    size_t minFields;
    void (*read)(Reading&);
    bool (*wholeWithoutChecksum)(const std::vector<std::string_view>&);
};

constexpr SentenceRule kSentenceRules[] = {
    {"GGA", SentenceType::Gga, 10, readGga, GgaComplete}, {"RMC", SentenceType::Rmc, 8, readRmc, nullptr},
    {"VTG", SentenceType::Vtg, 8, readVtg, nullptr},      {"HDT", SentenceType::Hdt, 2, readHdt, nullptr},
    {"ZDA", SentenceType::Zda, 0, nullptr, nullptr},      {"GSA", SentenceType::Gsa, 0, nullptr, nullptr},
};

// The rule of a standard address; none for a proprietary one or a type the table does not hold.
const SentenceRule* ruleFor(const NmeaAddress& address)
{
    if (address.proprietary) return nullptr;
    const std::string_view type = address.type;
    for (const SentenceRule& r : kSentenceRules)
        if (r.type[0] == type[0] && r.type[1] == type[1] && r.type[2] == type[2]) return &r;
    return nullptr;
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
    NmeaAddress address;
    if (!ReadNmeaAddress(sentence.substr(0, sentence.find(',')), address)) return true;
    const SentenceRule* rule = ruleFor(address);
    if (!rule || !rule->wholeWithoutChecksum) return true;
    std::vector<std::string_view> fields;
    SplitFields(sentence, fields);
    return rule->wholeWithoutChecksum(fields);
}

GgaSentence ReadGgaSentence(const std::vector<std::string_view>& f)
{
    if (f.size() < 10) return rejected("field count");
    const bool noPositionFields = f[2].empty() && f[3].empty() && f[4].empty() && f[5].empty();
    GgaSentence g;
    if (!f[7].empty() && allDigits(f[7]) && f[7].size() <= 3) g.satellites = digitsValue(f[7]);
    if (f[6].empty() && noPositionFields) {
        g.kind = GgaKind::NoFix;
        return g;
    }
    if (f[6].size() > 2 || !allDigits(f[6]) || digitsValue(f[6]) > 8) return rejected("fix quality");
    const int quality = digitsValue(f[6]);
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
    if (f.size() > 11 && !heightField(f[11], g.geoidSeparation)) return rejected("geoid separation");
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

bool ReadNmeaAddress(std::string_view field, NmeaAddress& address)
{
    address.talker = address.type = {};
    address.proprietary = false;
    if (field.size() < 3 || (field[0] != '$' && field[0] != '!')) return false;
    const std::string_view a = field.substr(1);
    const auto capitalOrDigit = [](char c) { return isCapital(c) || isDigit(c); };
    if (a[0] == 'P') {
        for (char c : a)
            if (!capitalOrDigit(c)) return false;
        address.proprietary = true;
        return true;
    }
    if (a.size() != 5 || !isCapital(a[0]) || !isCapital(a[1]) || !capitalOrDigit(a[2]) || !capitalOrDigit(a[3]) ||
        !capitalOrDigit(a[4]))
        return false;
    address.talker = a.substr(0, 2);
    address.type = a.substr(2);
    return true;
}

const SentenceRead& NmeaParser::Read(std::string_view line, NmeaChecksum checksum, FixTimePoint now)
{
    // Field by field: a whole new SentenceRead copied in costs a stall on every line.
    read_.checksum = checksum;
    read_.type = SentenceType::None;
    read_.outcome = SentenceRead::Outcome::NotRead;
    read_.problem = "";
    read_.carried = 0;
    read_.emptyGga = false;
    read_.address.talker = read_.address.type = {};
    read_.address.proprietary = false;
    if (line.empty() || line[0] != '$') return read_;
    // The address ends at the first ',' (or at the checksum of a sentence without fields).
    const size_t addressEnd = line.find(',');
    std::string_view address = line.substr(0, addressEnd);
    if (const size_t star = address.find('*'); star != std::string_view::npos) address = address.substr(0, star);
    if (!ReadNmeaAddress(address, read_.address)) return read_;
    read_.type = SentenceType::Other;
    const SentenceRule* rule = ruleFor(read_.address);
    if (!rule) return read_;
    read_.type = rule->kind;
    // A sentence changed on the way is not used; the owner still sees the line.
    if (checksum == NmeaChecksum::Invalid) return read_;
    if (!rule->read) {
        read_.outcome = SentenceRead::Outcome::Read;
        return read_;
    }
    if (const size_t star = line.find('*', address.size()); star != std::string_view::npos) line = line.substr(0, star);
    SplitFields(line, fields_);
    // Cut short without a checksum: not used, as a wrong checksum is not.
    if (checksum == NmeaChecksum::Absent && rule->wholeWithoutChecksum && !rule->wholeWithoutChecksum(fields_))
        return read_;
    if (fields_.size() < rule->minFields) {
        read_.outcome = SentenceRead::Outcome::Refused;
        read_.problem = "field count";
    } else {
        Reading r{fields_, fix_, read_, now};
        rule->read(r);
    }
    if (read_.type == SentenceType::Gga && read_.outcome == SentenceRead::Outcome::Refused) ++rejectedGga_;
    return read_;
}

void NmeaParser::Commit(Listener& listener)
{
    if (read_.outcome != SentenceRead::Outcome::Read) return;
    auto given = [&](unsigned field, const auto& value) { return read_.carries(field) && value.valid; };
    switch (read_.type) {
    case SentenceType::Gga: {
        values_.fixQuality = fix_.fixQuality.value;
        if (given(kFixSatellites, fix_.satellites)) values_.satellites = fix_.satellites.value;
        // A GGA without a fix moves nothing: the last position stays and no event is raised.
        if (!fix_.position.valid) return;
        const double latitude = fix_.position.value.latitude, longitude = fix_.position.value.longitude;
        const double altitude = fix_.altitude.value;
        if (latitude == values_.latitude && longitude == values_.longitude && altitude == values_.altitude) return;
        values_.latitude = latitude;
        values_.longitude = longitude;
        values_.altitude = altitude;
        listener.positionChanged(latitude, longitude, altitude);
        return;
    }
    case SentenceType::Rmc:
        // The speed event comes before the course of the same sentence is stored.
        if (given(kFixSpeed, fix_.speed)) {
            const double speed = fix_.speed.value * 1.852;
            if (speed != values_.speed) {
                values_.speed = speed;
                if (!listener.speedChanged(speed)) return;
            }
        }
        if (given(kFixCourse, fix_.course)) values_.course = fix_.course.value;
        return;
    case SentenceType::Vtg:
        // Here the course is stored before the speed event.
        if (given(kFixCourse, fix_.course)) values_.course = fix_.course.value;
        if (given(kFixSpeed, fix_.speed)) {
            const double speed = fix_.speed.value * 1.852;
            if (speed != values_.speed) {
                values_.speed = speed;
                listener.speedChanged(speed);
            }
        }
        return;
    default:
        return;
    }
}

void NmeaParser::ParseSentence(std::string_view line, Listener& listener)
{
    // As if a checksum vouched for it: neither a checksum nor completeness is looked at.
    Read(line, NmeaChecksum::Valid, clock().monotonic());
    Commit(listener);
}

void NmeaParser::reset()
{
    fix_ = {};
    values_ = {};
    read_ = {};
}

} // namespace vsx
