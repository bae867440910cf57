#pragma once
// One serial-port settings group of the device settings window (the GNSS receiver's or the
// echosounder's): the eleven texts as shown and stored, the items the boxes offer, and the
// settings "GPS Set" / "SBES Set" hand to the receiver.
#include <array>
#include <span>
#include <string>
#include <string_view>

namespace vsx {

// The texts of the eleven boxes, in the order they are stored. The other boxes start with
// their design texts; the port starts empty, since only the user knows which device it is.
struct PortGroupTexts {
    std::string port;
    std::string baudRate = "9600";
    std::string dataWidth = "8";
    std::string stopBits = "1";
    std::string parity = "None";
    std::string priority = "Normal";
    std::string delay = "5";
    std::string nmeaLog = "False";
    std::string logTime = "False";
    std::string enableDtr = "True";
    std::string enableRts = "True";

    // The eleven texts in stored order.
    std::array<std::string*, 11> fields()
    {
        return {&port, &baudRate, &dataWidth, &stopBits, &parity, &priority, &delay, &nmeaLog, &logTime, &enableDtr, &enableRts};
    }
    std::array<const std::string*, 11> fields() const
    {
        return {&port, &baudRate, &dataWidth, &stopBits, &parity, &priority, &delay, &nmeaLog, &logTime, &enableDtr, &enableRts};
    }

    bool operator==(const PortGroupTexts&) const = default;
};

// Items of the boxes, in list order.
std::span<const std::string> portItems();  // "COM1" ... "COM256"
std::span<const std::string_view> baudRateItems();
std::span<const std::string_view> dataWidthItems();
std::span<const std::string_view> stopBitsItems();
std::span<const std::string_view> parityItems();
std::span<const std::string_view> priorityItems();
std::span<const std::string_view> delayItems();
std::span<const std::string_view> trueFalseItems();

// What a receiver is given; the field meanings are the receiver's own.
struct ReceiverPortSettings {
    // The port name as typed ("COM3"), never replaced by a default: an empty name means the
    // receiver has no port, and its next open fails instead of taking some other device.
    std::string portName;
    int baudRate = 9600;      // as typed; the receiver applies its own rate check
    int dataBitsCode = 4;     // 1 = five bits ... 4 = eight
    int stopBitsCode = 1;     // 1 = one, 2 = one and a half, 3 = two
    int parityCode = 0;       // always none: the Parity box is only stored
    int pollInterval = 5;     // milliseconds
    bool rawLogEnabled = false;
    bool rawLogTimeStamps = false;
    bool enableDtr = true;
    bool enableRts = true;
    std::string rawLogFileName;

    bool operator==(const ReceiverPortSettings&) const = default;
};

// Raw log suffixes, each beginning with a blank.
inline constexpr std::string_view kGnssRawLogSuffix = " VSX_GNSS_V3.log";
inline constexpr std::string_view kSounderRawLogSuffix = " VSX_SBES_V3.log";

// Converts a group. Every field is checked before anything is returned, so a Delay or Baud
// text that is not an integer, or a log text that is not a boolean, throws ConversionError
// (naming the field by its caption) and leaves the receiver exactly as it was. Data width and stop bits are matched against the
// box items by text; a text that is not an item gives eight data bits and one stop bit.
ReceiverPortSettings receiverPortSettingsFrom(const PortGroupTexts& texts, std::string rawLogFileName);

// "True"/"False" in any letter case, or an integer (non-zero is true); anything else throws
// ConversionError ("'yes' is not a valid boolean value", led by `field` when given).
bool strToBoolStrict(std::string_view text, std::string_view field = {});

} // namespace vsx
