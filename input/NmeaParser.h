#pragma once
// The receiver's one reading of NMEA 0183 sentences. A line is read once: its checksum is known
// from the cutting (input/NmeaLineCutter.h), its address is recognised once by one rule (a talker
// of two letters and a sentence type of three, or a proprietary address starting with 'P'), and
// the sentence table (type, fewest fields, reader) reads it into the published fix
// (input/ReceiverFix.h): GGA gives time, position, fix quality, satellites, HDOP, heights and the
// age of corrections; RMC and VTG speed and course; HDT heading. The talker is not looked at
// (GPGGA, GNGGA and GLGGA are all GGA). A GGA gives a position only when every value of it is
// possible (ReadGgaSentence). A sentence with a wrong checksum, too few fields or a type the table
// does not hold changes nothing.
//
// The receiver's last values of the component's own interface (NmeaFix: the getters and the
// position and speed events) follow the fix after the owner has seen the line (Commit).
#include "input/ReceiverFix.h"

#include <optional>
#include <string_view>
#include <vector>

namespace vsx {

// The last values as the receiver's getters give them. Speed in km/h, angles in degrees (north
// and east positive), altitude in m.
struct NmeaFix {
    double latitude = 0, longitude = 0, altitude = 0;
    double speed = 0, course = 0;
    int fixQuality = 0, satellites = 0;
};

// Whether a sentence carries a checksum ("*hh" after the body, hh the XOR of the bytes between
// '$' or '!' and '*') and whether it matches. A '*' that is not followed by exactly two hex
// digits counts as a wrong checksum.
enum class NmeaChecksum { Absent, Valid, Invalid };
NmeaChecksum nmeaChecksum(std::string_view sentence);

// Whether the reading (NmeaParser::Read) uses a sentence's values, as far as its checksum and
// completeness go. A checksum must match when there is one. Without one, a GGA is used only when
// it is whole (GgaComplete): a GGA cut short by a cable glitch, or glued to noise, would otherwise
// give a position or an antenna height the receiver never sent. Other types without a checksum
// are used as they come. `checksum` is nmeaChecksum(sentence).
bool nmeaSentenceUsable(std::string_view sentence, NmeaChecksum checksum);
inline bool nmeaSentenceUsable(std::string_view sentence) { return nmeaSentenceUsable(sentence, nmeaChecksum(sentence)); }

// ddmm.mmmm (or dddmm.mmmm when the hemisphere is "E" or "W") to signed degrees. An empty value,
// or one whose first '.' is missing or before the third character, gives 0.
double NmeaToDegrees(std::string_view value, std::string_view hemisphere);

// Cuts at every ',' (empty fields count: n commas give n + 1 fields). The views point into text.
void SplitFields(std::string_view text, std::vector<std::string_view>& fields);

// The address field of a sentence ("$GPGGA", "$PSTI"): a talker of two capital letters and a
// sentence type of three capitals or digits, or a proprietary address ('P' and the maker's own
// letters; type and talker then empty). False when the field is neither.
struct NmeaAddress {
    std::string_view talker, type;
    bool proprietary = false;
};
bool ReadNmeaAddress(std::string_view field, NmeaAddress& address);

// What a GGA sentence is worth as a position.
enum class GgaKind {
    Position,  // a fix (quality 1 to 8) with a usable position
    NoFix,     // quality 0, or no position fields at all: the receiver says it has no position
    Rejected,  // malformed or impossible values: no position, and nothing else is taken from it
};

// The highest antenna altitude (and geoid separation) a GGA may report, in metres either way.
inline constexpr double kMaxGgaAltitude = 100000.0;

// A GGA read with every value checked: latitude and longitude as ddmm.mmm / dddmm.mmm with N/S and
// E/W, finite and within +-90 and +-180 degrees; a fix quality the standard defines (0 to 8);
// altitude and geoid separation, when given, finite and within +-kMaxGgaAltitude.
struct GgaSentence {
    GgaKind kind = GgaKind::Rejected;
    const char* problem = "";  // for Rejected: what is at fault ("latitude", "fix quality", ...)
    double latitude = 0, longitude = 0;
    std::optional<double> altitude;  // empty field: none
    std::optional<double> geoidSeparation;
    int fixQuality = 0;              // 0 unless Position
    std::optional<int> satellites;
};
// Every field of a GGA is there (15 with the address: time, latitude and N/S, longitude and E/W,
// fix quality, satellites, HDOP, altitude and M, geoid separation and M, age of the corrections,
// reference station) and each is well formed or empty: a time hhmmss[.ss], angles ddmm.mmm and
// dddmm.mmm with their hemisphere letter, the quality, satellites and station in digits, the
// other numbers in decimal notation, units "M". Whether the values are possible is
// ReadGgaSentence's question. The sentence without its checksum: fields[0] is the address.
bool GgaComplete(const std::vector<std::string_view>& fields);

// The sentence without its checksum: fields[0] is the address ("$GPGGA").
GgaSentence ReadGgaSentence(const std::vector<std::string_view>& fields);
// A whole line; text from '*' on is the checksum and is not read.
GgaSentence ReadGgaSentence(std::string_view line);

enum class SentenceType { None, Gga, Rmc, Vtg, Hdt, Zda, Gsa, Other };

// The values of the fix a sentence carries (usable or not), as bits.
enum FixField : unsigned {
    kFixTime = 1u << 0,
    kFixPosition = 1u << 1,
    kFixQuality = 1u << 2,
    kFixSatellites = 1u << 3,
    kFixHdop = 1u << 4,
    kFixAltitude = 1u << 5,
    kFixGeoidSeparation = 1u << 6,
    kFixAge = 1u << 7,
    kFixSpeed = 1u << 8,
    kFixCourse = 1u << 9,
    kFixHeading = 1u << 10,
};

// What the reading made of one line.
struct SentenceRead {
    enum class Outcome {
        NotRead,  // not a sentence, a type the table does not hold, a wrong checksum, or cut
                  // short without one (nmeaSentenceUsable)
        Read,     // its values are in the fix
        Refused,  // recognised, but too few fields or impossible values: nothing taken
    };
    NmeaChecksum checksum = NmeaChecksum::Absent;
    SentenceType type = SentenceType::None;
    NmeaAddress address;
    Outcome outcome = Outcome::NotRead;
    const char* problem = "";  // Refused: what is at fault ("field count", "latitude", ...)
    unsigned carried = 0;      // FixField bits of the values the sentence carried
    // A GGA without a time, position fields or fix quality: nothing to forward or show as a fix.
    bool emptyGga = false;

    bool read(SentenceType t) const { return type == t && outcome == Outcome::Read; }
    bool carries(unsigned fields) const { return (carried & fields) == fields; }
};

class NmeaParser {
public:
    // Told of every change of the last values as it is stored. Returning false stops there (the
    // receiver was closed or destroyed by the handler); nothing more is stored.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual bool positionChanged(double latitude, double longitude, double altitude) = 0;
        virtual bool speedChanged(double speedKmh) = 0;
    };

    // Reads one trimmed line, whose checksum state the cutting found, into the fix, as heard at
    // `now`. The result describes the line until the next Read.
    const SentenceRead& Read(std::string_view line, NmeaChecksum checksum, FixTimePoint now);
    // Takes what the last line read changed into the last values, telling `listener` of each
    // change (position from GGA; speed, then course from RMC; course, then speed from VTG).
    void Commit(Listener& listener);
    // Read and Commit of a line taken as it is, heard now: neither its checksum nor (without one)
    // its completeness is looked at.
    void ParseSentence(std::string_view line, Listener& listener);

    const ReceiverFix& published() const { return fix_; }
    const SentenceRead& lastRead() const { return read_; }
    const NmeaFix& fix() const { return values_; }
    // Closed or lost: nothing of the fix or the last values stays.
    void reset();
    // A new run: nothing heard and no position (ReceiverFix::Forget).
    void forget() { fix_.Forget(); }
    // GGA sentences refused for too few fields or impossible values (they change nothing).
    long rejectedGga() const { return rejectedGga_; }

private:
    ReceiverFix fix_;
    NmeaFix values_;
    SentenceRead read_;
    long rejectedGga_ = 0;
    std::vector<std::string_view> fields_;  // kept to reuse its storage
};

} // namespace vsx
