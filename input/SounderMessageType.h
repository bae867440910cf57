#pragma once
// The echosounder message types the user can choose in the device settings window. Each type
// names the sentence the sounder sends, the texts a line must contain to be taken as one, the
// scan format that reads its depth values and what the real-time window does with its
// low-frequency depth box. The type text and the format are stored together in the settings file.
#include <array>
#include <span>
#include <string_view>

namespace vsx {

// What the real-time window is asked to do with its low-frequency depth box.
enum class LowFrequencyBoxAction { Hidden, Shown, Unchanged };

// Where the values read by the scan format go, in the order they are read.
enum class SounderValue { None, HighFrequencyDepth, LowFrequencyDepth, BatteryVoltage };

struct SounderMessageType {
    std::string_view text;        // as shown in the list and stored; compared exactly, with case
    std::string_view scanFormat;  // the format choosing the type puts into the format edit
    std::array<std::string_view, 2> tags;        // every non-empty one must occur in a line (with case)
    std::array<SounderValue, 2> values;          // targets of the scanned values
    int valuesRequired;                          // fewer values read make the line corrupt
    LowFrequencyBoxAction lowFrequencyBox;
};

inline constexpr std::string_view kDefaultSounderMessageType = "Veldor SMT";
inline constexpr std::string_view kOtherSounderMessageType = "OTHER";

// The rows in the order the list shows them.
std::span<const SounderMessageType> sounderMessageTypes();

// The row whose text equals `text` exactly (with case), or null.
const SounderMessageType* findSounderMessageType(std::string_view text);

// The format that goes with a type: its row's format, empty for "OTHER" and unknown texts.
std::string_view scanFormatForSounderType(std::string_view text);

// The format of the default type; a fresh install starts with this pair.
std::string_view defaultSounderScanFormat();

// True when the line contains every tag of the type.
bool sounderLineHasTags(const SounderMessageType& type, std::string_view line);

} // namespace vsx
