#include "input/SounderMessageType.h"

namespace vsx {
namespace {
using V = SounderValue;
using Box = LowFrequencyBoxAction;

constexpr SounderMessageType kTypes[] = {
    {"Veldor SMT", "%*8s,%lf,%lf", {"SMT", ""}, {V::HighFrequencyDepth, V::BatteryVoltage}, 2, Box::Hidden},
    {"NMEA DPT", "%*6s,%lf", {"DPT", ""}, {V::HighFrequencyDepth, V::None}, 1, Box::Hidden},
    {"NMEA DBT", "%*6s,%*lf,%*1s,%lf", {"DBT", ""}, {V::HighFrequencyDepth, V::None}, 1, Box::Hidden},
    {"Veldor XDR HI", "%*8s,%lf", {"XDHI", ""}, {V::HighFrequencyDepth, V::None}, 1, Box::Hidden},
    {"Veldor XDR LO", "%*8s,%*lf,%*8s,%lf", {"XDHI", "XDLO"}, {V::LowFrequencyDepth, V::None}, 1, Box::Shown},
    {"Veldor XDR H/L", "%*8s,%lf,%*8s,%lf", {"XDHI", "XDLO"}, {V::HighFrequencyDepth, V::LowFrequencyDepth}, 2,
     Box::Shown},
    {"ODC HI", "%*42s,%lf", {",B,", ""}, {V::HighFrequencyDepth, V::None}, 1, Box::Hidden},
    {"OTHER", "", {"", ""}, {V::HighFrequencyDepth, V::None}, 1, Box::Unchanged},
};
} // namespace

std::span<const SounderMessageType> sounderMessageTypes() { return kTypes; }

const SounderMessageType* findSounderMessageType(std::string_view text)
{
    for (const SounderMessageType& t : kTypes)
        if (t.text == text) return &t;
    return nullptr;
}

std::string_view scanFormatForSounderType(std::string_view text)
{
    const SounderMessageType* t = findSounderMessageType(text);
    return t ? t->scanFormat : std::string_view();
}

std::string_view defaultSounderScanFormat() { return scanFormatForSounderType(kDefaultSounderMessageType); }

bool sounderLineHasTags(const SounderMessageType& type, std::string_view line)
{
    for (std::string_view tag : type.tags)
        if (!tag.empty() && line.find(tag) == std::string_view::npos) return false;
    return true;
}

} // namespace vsx
