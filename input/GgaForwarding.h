#pragma once
// Where the GGA sentences of the antenna and of the vessel's sensor points go (another program,
// over UDP or a serial port), and the UDP input listener. The values are published by the device
// settings window; the GNSS line handler sends with them and the survey start and stop open and
// close the target. Interactive thread only.
#include "platform/SerialPort.h"
#include "platform/UdpSocket.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vsx {

struct VesselSensor;

inline constexpr int kDefaultForwardUdpPort = 10110;
inline constexpr int kDefaultForwardSerialBaud = 4800;
inline constexpr int kDefaultGpsUdpPort = 5000;

// Forwarding (ForwardUdpIp and ForwardSerialPort live with the other shared values).
extern bool ForwardEnabled;
extern bool ForwardUseUdp;
extern int ForwardUdpPort;
extern int ForwardBaseUdpPort;
extern int ForwardSerialBaud;
extern int ForwardTarget;  // -1 all positions, 0 the GNSS antenna, k sensor k-1
extern UdpSender ForwardSocket;
extern std::shared_ptr<SerialPort> ForwardSerialHandle;

// UDP input.
extern bool GpsUdpEnabled;
extern int GpsUdpPort;
extern bool GpsUdpAutoConnect;
extern bool GpsUdpListening;
extern UdpListener GpsUdpSocket;

// A typed port number: the value when it is a whole number in 1..65535, else the fallback.
int ParsePortNumber(std::string_view text, int fallback);

// The forwarding target choices: "ALL", "GPS", then the first three letters of each sensor's
// name in upper case.
std::vector<std::string> ForwardTargetItems(const std::vector<VesselSensor>& sensors);
// The target number of a choice: -1 for "ALL", else its position minus one.
int ForwardTargetOf(int itemIndex, std::string_view itemText);
// The port shown for a target: the base port for "ALL" and "GPS", base + k for sensor target k.
int ForwardPortFor(int target, int basePort);

// Closes any open target, then opens the one the published values name: a UDP socket, or the
// serial port ForwardSerialPort (through the [SERIAL_PORTS] map of the settings file `iniPath`)
// for writing at ForwardSerialBaud, 8N1. Writes to it never wait: what the port cannot take at
// once is dropped. Used by the enable box and the survey start alike, so a target is never open
// twice.
void OpenForwardTarget(const std::string& iniPath);
void CloseForwardTarget();
// Sends one sentence to the open target: UDP to ForwardUdpIp at `udpPort`, or the serial port.
// False when nothing was sent.
bool SendForwardBytes(std::string_view bytes, int udpPort);
// Sentences dropped because the serial target could not take them.
extern long ForwardDroppedCount;

} // namespace vsx
