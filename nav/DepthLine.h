#pragma once
// One echosounder line to corrected depths: recognise the line by the chosen message type, read
// its raw depths with the type's scan format, and correct them for sound velocity and draft:
// true depth = raw x sound velocity / 1500 + draft.
//
// A recognised line is corrupt when it scans short (the values read before the gap still count),
// and refused outright when it cannot be a measurement: a sentence whose checksum does not match,
// or a depth that is not a finite number above 0 and at most kDeepestSounding (raw or corrected).
// A refused line yields no depth, no battery value and no record. A raw depth of exactly 0 is the
// sounder's "no depth": not corrupt, it simply makes no record.
#include "input/SounderMessageType.h"
#include "platform/ScanFormat.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vsx {

// Deeper than any ocean: a sounding beyond it is a broken line, not a measurement.
inline constexpr double kDeepestSounding = 12000.0;

struct DepthLineSettings {
    std::string messageType;
    const ScanFormat* format = nullptr;  // null: no usable format (every recognised line is corrupt)
    double soundVelocity = 1500.0;
    double draft = 0.0;
    // The profile's sound velocity for a raw depth (the line ⌊raw + 0.5⌋ of its column); no value
    // when the profile is off. Depths beyond the column take its last line.
    std::function<std::optional<double>(double rawDepth)> profileVelocity;
};

// Why a recognised line is corrupt.
enum class DepthLineFault {
    None,
    TooFewValues,    // fewer values scanned than the type needs; those read still count
    WrongChecksum,   // refused: the sentence's "*hh" does not match its bytes
    ImpossibleDepth  // refused: a depth that is negative, not finite or deeper than any ocean
};

struct DepthLineResult {
    bool recognised = false;
    bool corrupt = false;  // recognised, but not read whole or refused (see fault)
    DepthLineFault fault = DepthLineFault::None;
    double rawHi = 0, rawLo = 0;
    double trueHi = 0, trueLo = 0;  // 0: no depth
    double soundVelocityUsed = 1500.0;
    std::optional<double> battery;
    std::string hiLabel = "--.--", loLabel = "--.--";
    bool onlyLowDepth = false;
    // The line's values are not taken at all.
    bool refused() const { return fault == DepthLineFault::WrongChecksum || fault == DepthLineFault::ImpossibleDepth; }
    // A sounding record is due: a raw depth the type carries is not 0, and the line is not refused.
    bool recordDue() const;
};

DepthLineResult ProcessDepthLine(std::string_view line, const DepthLineSettings& settings);

} // namespace vsx
