#pragma once
// The vertical geometry of the echosounder installation, the sound velocity, the tide and the
// survey's identification, as typed in the offsets window and kept in [ECHOSOUNDER_OFFSETS],
// with the checks a survey start makes on them.
#include "tools/LocalText.h"

#include <optional>
#include <string>

namespace vsx {

class IniFile;

inline constexpr const char* kEchosounderOffsetsSection = "ECHOSOUNDER_OFFSETS";

// The edits' texts, as typed.
struct OffsetsTexts {
    std::string offsetA;   // transducer draft below the water line
    std::string offsetB;   // transducer to GNSS antenna
    std::string offsetC;   // antenna height above the water line
    std::string soundVelocity;
    std::string tideHeight;
    std::string location;
    std::string surveyBoat;
    std::string surveyor;
};

// The stored texts; a number not stored gives the text of its OffsetNumbers default.
OffsetsTexts LoadOffsets(const IniFile& ini);
// Writes the nine keys in their fixed order; `clockText` is the clock label at the start.
void SaveOffsets(IniFile& ini, const OffsetsTexts& texts, const std::string& clockText);

enum class OffsetsField { None, OffsetA, OffsetB, OffsetC, SoundVelocity, TideHeight, Location, SurveyBoat, Surveyor };

// A + C must equal B within this many metres; SV must lie within these bounds (m/s).
inline constexpr double kOffsetsTolerance = 0.025;
inline constexpr double kMinSoundVelocity = 1300.0;
inline constexpr double kMaxSoundVelocity = 1700.0;

struct OffsetsCheck {
    bool ok = true;
    OffsetsField field = OffsetsField::None;  // the field to correct
    LocalText message{"", ""};
};

// The checks in their order: the five numbers (each a whole finite number, blanks around it
// allowed), the three texts (not empty), A + C = B within the tolerance, the SV range.
OffsetsCheck CheckOffsets(const OffsetsTexts& texts);

// The four numbers the depths and heights are computed with.
struct OffsetNumbers {
    double draft = 0;            // A
    double soundVelocity = 1500;
    double antennaHeight = 0;    // C
    double tide = 0;
};

// The numbers of `texts` when the start's checks accept every number in them (the survey's
// identification texts aside); nothing when any number would be refused.
std::optional<OffsetNumbers> AcceptedOffsetNumbers(const OffsetsTexts& texts);

// Shown (as a warning only) when the clock label is not in the compact "hhnnsszzz" form.
inline constexpr LocalText kTimeFormatWarning{
    "Time format does not fit requirements. The date and time fromat must be YYYY-DD-MM HHmmssfff",
    "Tarih ve saat formatı gereksinimleri karşılamıyor. Bilgisayar tarih ve zaman formatının YYYY-DD-MM "
    "HHmmssfff olduguna emin olunuz."};
// Added to the SV message while the SV edit is locked by the sound-velocity profile.
inline constexpr LocalText kSvLockedByProfileHint{
    "Untick \"Use Sound Velocity Profile\" in the Sound Velocity window to edit SV.",
    "SV değerini düzenlemek için Sound Velocity penceresinde \"Use Sound Velocity Profile\" seçimini kaldırınız."};

} // namespace vsx
