#include "input/SerialReceiverPortTarget.h"

#include "input/TVeldorSerialGPS.h"
#include "platform/Numbers.h"
#include "platform/SerialPortMap.h"
#include "platform/Text.h"

namespace vsx {

int receiverPortNumber(std::string_view portName)
{
    std::string_view rest = trimView(portName);
    if (startsWithIgnoreCaseAscii(rest, "COM")) rest.remove_prefix(3);
    const std::optional<long long> n = parseInteger(rest);
    if (!n || *n < 1 || *n > kMaxSerialPortNumber) return 0;
    return int(*n);
}

void SerialReceiverPortTarget::applyPortSettings(const ReceiverPortSettings& s)
{
    receiver_.PortNumber = receiverPortNumber(s.portName);
    receiver_.BaudRate = ValidBaudRate(s.baudRate);
    receiver_.DataBitsCode = s.dataBitsCode;
    receiver_.StopBitsCode = s.stopBitsCode;
    receiver_.ParityCode = s.parityCode;
    receiver_.PollInterval = s.pollInterval;
    receiver_.RawLogEnabled = s.rawLogEnabled;
    receiver_.RawLogTimeStamps = s.rawLogTimeStamps;
    receiver_.EnableDTR = s.enableDtr;
    receiver_.EnableRTS = s.enableRts;
    receiver_.RawLogFileName = s.rawLogFileName;
}

void SerialReceiverPortTarget::open() { receiver_.Open(); }
void SerialReceiverPortTarget::close() { receiver_.Close(); }
bool SerialReceiverPortTarget::isOpen() const { return receiver_.Connected(); }

std::vector<std::string> EnumerateProgramSerialPorts() { return EnumerateSerialPorts(serialPortSettingsFile()); }

} // namespace vsx
