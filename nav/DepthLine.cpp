#include "nav/DepthLine.h"

#include "platform/Numbers.h"

namespace vsx {

namespace {
// The row of the chosen type; "OTHER" for a text that names none (no tag, one high depth).
const SounderMessageType& typeFor(std::string_view messageType)
{
    if (const SounderMessageType* t = findSounderMessageType(messageType)) return *t;
    return *findSounderMessageType(kOtherSounderMessageType);
}
} // namespace

bool DepthLineResult::recordDue() const { return onlyLowDepth ? rawLo != 0 : rawHi != 0; }

DepthLineResult ProcessDepthLine(std::string_view line, const DepthLineSettings& s)
{
    DepthLineResult r;
    const SounderMessageType& type = typeFor(s.messageType);
    r.soundVelocityUsed = s.soundVelocity;
    r.onlyLowDepth = type.valuesRequired == 1 && type.values[0] == SounderValue::LowFrequencyDepth;
    if (!sounderLineHasTags(type, line)) return r;
    r.recognised = true;

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
    if (got < wanted) {
        r.corrupt = true;
        return r;
    }
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
        label = formatFixed(depth, 2);
    };
    correct(r.rawHi, r.trueHi, r.hiLabel);
    correct(r.rawLo, r.trueLo, r.loLabel);
    return r;
}

} // namespace vsx
