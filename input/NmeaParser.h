#pragma once
// The receiver's own reading of NMEA 0183 sentences: GGA gives position, antenna altitude, fix
// quality and satellites in use; RMC and VTG give speed and course. The talker is ignored
// (GPGGA, GNGGA and GLGGA are all GGA). A GGA gives a position only when every value of it is
// possible (ReadGgaSentence); in RMC and VTG unreadable numbers read as 0; sentences with too few
// fields are ignored.
#include <optional>
#include <string_view>
#include <vector>

namespace vsx {

// The last values read. Speed in km/h, angles in degrees (north and east positive), altitude in m.
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

// Whether a sentence may be used. A checksum must match when there is one. Without one, a GGA is
// used only when it is whole (GgaComplete): a GGA cut short by a cable glitch, or glued to noise,
// would otherwise give a position or an antenna height the receiver never sent. Other types
// without a checksum are used as they come. `checksum` is nmeaChecksum(sentence).
bool nmeaSentenceUsable(std::string_view sentence, NmeaChecksum checksum);
inline bool nmeaSentenceUsable(std::string_view sentence) { return nmeaSentenceUsable(sentence, nmeaChecksum(sentence)); }

// ddmm.mmmm (or dddmm.mmmm when the hemisphere is "E" or "W") to signed degrees. An empty value,
// or one whose first '.' is missing or before the third character, gives 0.
double NmeaToDegrees(std::string_view value, std::string_view hemisphere);

// Cuts at every ',' (empty fields count: n commas give n + 1 fields). The views point into text.
void SplitFields(std::string_view text, std::vector<std::string_view>& fields);

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

class NmeaParser {
public:
    // Told of every change as it is stored. Returning false stops the sentence there (the
    // receiver was closed or destroyed by the handler); nothing more of it is stored.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual bool positionChanged(double latitude, double longitude, double altitude) = 0;
        virtual bool speedChanged(double speedKmh) = 0;
    };

    // One trimmed line starting with '$'. The checksum is not looked at here; the caller decides
    // whether a sentence with a wrong one may be used.
    void ParseSentence(std::string_view line, Listener& listener);

    const NmeaFix& fix() const { return fix_; }
    void reset() { fix_ = {}; }
    // GGA sentences refused for malformed or impossible values (they change nothing).
    long rejectedGga() const { return rejectedGga_; }

private:
    void ParseGGA(Listener& listener);
    void ParseRMC(Listener& listener);
    void ParseVTG(Listener& listener);

    NmeaFix fix_;
    long rejectedGga_ = 0;
    std::vector<std::string_view> fields_;  // kept to reuse its storage
};

} // namespace vsx
