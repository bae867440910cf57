#include "nav/DepthLine.h"

#include "input/NmeaParser.h"
#include "platform/Numbers.h"

#include <cmath>

namespace vsx {

namespace {
// The row of the chosen type; "OTHER" for a text that names none (no tag, one high depth).
const SounderMessageType& typeFor(std::string_view messageType)
{
    if (const SounderMessageType* t = findSounderMessageType(messageType)) return *t;
    return *findSounderMessageType(kOtherSounderMessageType);
}

// A depth that can be a sounding: finite, above 0 and no deeper than any ocean.
bool possibleDepth(double metres) { return std::isfinite(metres) && metres > 0 && metres <= kDeepestSounding; }

// A recognised line none of whose values is taken.
DepthLineResult refusedLine(DepthLineResult r, DepthLineFault fault)
{
    DepthLineResult out;
    out.recognised = true;
    out.corrupt = true;
    out.fault = fault;
    out.onlyLowDepth = r.onlyLowDepth;
    out.soundVelocityUsed = r.soundVelocityUsed;
    return out;
}
} // namespace

bool DepthLineResult::recordDue() const
{
    if (refused()) return false;
    return onlyLowDepth ? rawLo != 0 : rawHi != 0;
}

DepthLineResult ProcessDepthLine(std::string_view line, const DepthLineSettings& s)
{
    DepthLineResult r;
    const SounderMessageType& type = typeFor(s.messageType);
    r.soundVelocityUsed = s.soundVelocity;
    r.onlyLowDepth = type.valuesRequired == 1 && type.values[0] == SounderValue::LowFrequencyDepth;
    if (!sounderLineHasTags(type, line)) return r;
    r.recognised = true;
    // Maker formats carry no checksum and are read as they come; a sentence that carries one
    // must match it, as on the GNSS port.
    if (nmeaChecksum(line) == NmeaChecksum::Invalid) return refusedLine(r, DepthLineFault::WrongChecksum);

    double values[2] = {0, 0};
    const int wanted = type.valuesRequired;
    // Sounders leave the fields they do not measure empty; the depths behind them still count.
    const int got = s.format ? s.format->scan(line, values, wanted, ScanFormat::EmptyFields::SkippedMayBeEmpty) : 0;
    for (int i = 0; i < got; ++i) {
        switch (type.values[size_t(i)]) {
        case SounderValue::HighFrequencyDepth: r.rawHi = values[i]; break;
        case SounderValue::LowFrequencyDepth: r.rawLo = values[i]; break;
        case SounderValue::BatteryVoltage: r.battery = values[i]; break;
        case SounderValue::None: break;
        }
    }
    // 0 is the sounder's "no depth"; any other raw depth must be one the sea can have.
    for (double raw : {r.rawHi, r.rawLo})
        if (raw != 0 && !possibleDepth(raw)) return refusedLine(r, DepthLineFault::ImpossibleDepth);
    if (got < wanted) {
        r.corrupt = true;
        r.fault = DepthLineFault::TooFewValues;
        return r;
    }
    bool possible = true;
    auto correct = [&](double raw, double& depth, std::string& label) {
        if (raw <= 0.0001) return;
        double v = s.soundVelocity;
        if (s.profileVelocity) {
            if (auto pv = s.profileVelocity(raw)) {
                v = *pv;
                r.soundVelocityUsed = v;
            }
        }
        depth = raw * v / 1500.0 + s.draft;
        // A velocity or draft far out of range can still make an impossible depth of a good raw one.
        if (!std::isfinite(depth) || depth > kDeepestSounding) possible = false;
        label = formatFixed(depth, 2);
    };
    correct(r.rawHi, r.trueHi, r.hiLabel);
    correct(r.rawLo, r.trueLo, r.loLabel);
    if (!possible) return refusedLine(r, DepthLineFault::ImpossibleDepth);
    return r;
}

} // namespace vsx
