#include "nav/DepthLine.h"

#include "platform/Numbers.h"

namespace vsx {

namespace {
using Slot = SounderLineRule::Slot;
const std::vector<SounderLineRule>& rules()
{
    static const std::vector<SounderLineRule> table {
        {"Veldor SMT", {"SMT"}, {Slot::High, Slot::Battery}},
        {"NMEA DPT", {"DPT"}, {Slot::High}},
        {"NMEA DBT", {"DBT"}, {Slot::High}},
        {"Veldor XDR HI", {"XDHI"}, {Slot::High}},
        {"Veldor XDR LO", {"XDHI", "XDLO"}, {Slot::Low}},
        {"Veldor XDR H/L", {"XDHI", "XDLO"}, {Slot::High, Slot::Low}},
        {"ODC HI", {",B,"}, {Slot::High}},
        {"OTHER", {}, {Slot::High}},
    };
    return table;
}
} // namespace

const SounderLineRule& SounderRuleFor(std::string_view messageType)
{
    for (const auto& r : rules())
        if (r.type == messageType) return r;
    return rules().back();
}

bool DepthLineResult::recordDue() const { return onlyLowDepth ? rawLo != 0 : rawHi != 0; }

DepthLineResult ProcessDepthLine(std::string_view line, const DepthLineSettings& s)
{
    DepthLineResult r;
    const SounderLineRule& rule = SounderRuleFor(s.messageType);
    r.soundVelocityUsed = s.soundVelocity;
    r.onlyLowDepth = rule.onlyLowDepth();
    for (const auto& tag : rule.tags)
        if (line.find(tag) == std::string_view::npos) return r;
    r.recognised = true;

    double values[4] = {0, 0, 0, 0};
    const int wanted = int(rule.slots.size());
    const int got = s.format ? s.format->scan(line, values, wanted) : 0;
    for (int i = 0; i < got; ++i) {
        switch (rule.slots[size_t(i)]) {
        case Slot::High: r.rawHi = values[i]; break;
        case Slot::Low: r.rawLo = values[i]; break;
        case Slot::Battery: r.battery = values[i]; break;
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
