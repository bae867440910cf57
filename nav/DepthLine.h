#pragma once
// One echosounder line to corrected depths: recognise the line by the chosen message type, read
// its raw depths with the type's scan format, and correct them for sound velocity and draft:
// true depth = raw x sound velocity / 1500 + draft.
#include "input/SounderMessageType.h"
#include "platform/ScanFormat.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vsx {

struct DepthLineSettings {
    std::string messageType;
    const ScanFormat* format = nullptr;  // null: no usable format (every recognised line is corrupt)
    double soundVelocity = 1500.0;
    double draft = 0.0;
    // The profile's sound velocity for a raw depth (the line ⌊raw + 0.5⌋ of its column); no value
    // when the profile is off. Depths beyond the column take its last line.
    std::function<std::optional<double>(double rawDepth)> profileVelocity;
};

struct DepthLineResult {
    bool recognised = false;
    bool corrupt = false;  // recognised, but fewer values scanned than the type needs
    double rawHi = 0, rawLo = 0;
    double trueHi = 0, trueLo = 0;  // 0: no depth
    double soundVelocityUsed = 1500.0;
    std::optional<double> battery;
    std::string hiLabel = "--.--", loLabel = "--.--";
    // A sounding record is due: a raw depth the type carries is not 0.
    bool recordDue() const;
    bool onlyLowDepth = false;
};

DepthLineResult ProcessDepthLine(std::string_view line, const DepthLineSettings& settings);

} // namespace vsx
