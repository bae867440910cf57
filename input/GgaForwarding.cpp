#include "input/GgaForwarding.h"

#include "app/SharedValues.h"
#include "platform/Numbers.h"
#include "platform/SerialPortMap.h"
#include "platform/Text.h"

#include <cstdio>

namespace vsx {

bool ForwardEnabled = false;
bool ForwardUseUdp = true;
int ForwardUdpPort = kDefaultForwardUdpPort;
int ForwardBaseUdpPort = kDefaultForwardUdpPort;
int ForwardSerialBaud = kDefaultForwardSerialBaud;
int ForwardTarget = -1;
UdpSender ForwardSocket;
std::shared_ptr<SerialPort> ForwardSerialHandle;
long ForwardDroppedCount = 0;

bool GpsUdpEnabled = false;
int GpsUdpPort = kDefaultGpsUdpPort;
bool GpsUdpAutoConnect = false;
bool GpsUdpListening = false;
UdpListener GpsUdpSocket;

int ParsePortNumber(std::string_view text, int fallback)
{
    auto v = parseInteger(text);
    return (v && isValidUdpPort(*v)) ? int(*v) : fallback;
}

std::vector<std::string> ForwardTargetItems(const std::vector<VesselSensor>& sensors)
{
    std::vector<std::string> items {"ALL", "GPS"};
    for (const VesselSensor& s : sensors) items.push_back(toUpperAscii(s.Name.substr(0, 3)));
    return items;
}

int ForwardTargetOf(int itemIndex, std::string_view itemText)
{
    if (itemText == "ALL") return -1;
    return itemIndex - 1;
}

int ForwardPortFor(int target, int basePort) { return target <= 0 ? basePort : basePort + target; }

void CloseForwardTarget()
{
    ForwardSocket.close();
    if (ForwardSerialHandle) ForwardSerialHandle->close();
    ForwardSerialHandle.reset();
}

void OpenForwardTarget(const std::string& iniPath)
{
    CloseForwardTarget();
    if (ForwardUseUdp) {
        ForwardSocket.open();
        return;
    }
    const std::string device = resolveSerialPort(iniPath, ForwardSerialPort);
    if (device.empty()) return;
    SerialLineSettings line;
    line.baudRate = ForwardSerialBaud;
    std::string error;
    ForwardSerialHandle = SerialPort::open(device, line, &error);
    if (ForwardSerialHandle) ForwardSerialHandle->setWriteTimeout(std::chrono::milliseconds(0));
    else std::fprintf(stderr, "forwarding port %s not opened: %s\n", ForwardSerialPort.c_str(), error.c_str());
}

bool SendForwardBytes(std::string_view bytes, int udpPort)
{
    if (ForwardUseUdp) return ForwardSocket.isOpen() && ForwardSocket.sendTo(ForwardUdpIp, udpPort, bytes);
    if (!ForwardSerialHandle || !ForwardSerialHandle->isOpen()) return false;
    if (ForwardSerialHandle->write(bytes)) return true;
    if (ForwardDroppedCount++ == 0) std::fprintf(stderr, "forwarding port cannot keep up: sentences dropped\n");
    return false;
}

} // namespace vsx
