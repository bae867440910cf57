#include "input/ReceiverPortSettings.h"

#include "platform/Numbers.h"
#include "platform/Text.h"

#include <vector>

namespace vsx {
namespace {
constexpr std::string_view kBaud[] = {"110",   "300",   "600",   "1200",  "2400",   "4800",   "9600",  "14400",
                                      "19200", "38400", "56000", "57600", "115200", "128000", "256000"};
constexpr std::string_view kDataWidth[] = {"5", "6", "7", "8"};
constexpr std::string_view kStopBits[] = {"1", "1.5", "2"};
constexpr std::string_view kParity[] = {"Even", "Mark", "None", "Odd", "Space"};
constexpr std::string_view kPriority[] = {"Higher", "Highest", "Idle", "Lower", "Lowest", "Normal", "TimeCritical"};
constexpr std::string_view kDelay[] = {"1",   "5",   "10",  "100",  "200",  "300",  "400",   "500",   "600",   "700",
                                       "800", "900", "1000", "2000", "3000", "5000", "10000", "20000", "50000", "100000"};
constexpr std::string_view kTrueFalse[] = {"True", "False"};

// Position of the item equal to the trimmed text plus one; `fallback` when no item matches.
int codeOfItem(std::span<const std::string_view> items, std::string_view text, int fallback)
{
    const std::string_view t = trimView(text);
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == t) return int(i) + 1;
    return fallback;
}
} // namespace

std::span<const std::string> portItems()
{
    static const std::vector<std::string> items = [] {
        std::vector<std::string> v;
        for (int n = 1; n <= 256; ++n) v.push_back("COM" + std::to_string(n));
        return v;
    }();
    return items;
}
std::span<const std::string_view> baudRateItems() { return kBaud; }
std::span<const std::string_view> dataWidthItems() { return kDataWidth; }
std::span<const std::string_view> stopBitsItems() { return kStopBits; }
std::span<const std::string_view> parityItems() { return kParity; }
std::span<const std::string_view> priorityItems() { return kPriority; }
std::span<const std::string_view> delayItems() { return kDelay; }
std::span<const std::string_view> trueFalseItems() { return kTrueFalse; }

bool strToBoolStrict(std::string_view text)
{
    const std::string_view t = trimView(text);
    if (equalsIgnoreCaseAscii(t, "true")) return true;
    if (equalsIgnoreCaseAscii(t, "false")) return false;
    if (auto n = parseInteger(t)) return *n != 0;
    throw ConversionError("'" + std::string(text) + "' is not a valid boolean value");
}

ReceiverPortSettings receiverPortSettingsFrom(const PortGroupTexts& texts, std::string rawLogFileName)
{
    ReceiverPortSettings s;
    s.portName = trim(texts.port);
    s.baudRate = strToInt(texts.baudRate);
    s.dataBitsCode = codeOfItem(kDataWidth, texts.dataWidth, 4);
    s.stopBitsCode = codeOfItem(kStopBits, texts.stopBits, 1);
    s.parityCode = 0;
    s.pollInterval = strToInt(texts.delay);
    s.rawLogEnabled = strToBoolStrict(texts.nmeaLog);
    s.rawLogTimeStamps = strToBoolStrict(texts.logTime);
    s.enableDtr = texts.enableDtr == "True";
    s.enableRts = texts.enableRts == "True";
    s.rawLogFileName = std::move(rawLogFileName);
    return s;
}

} // namespace vsx
