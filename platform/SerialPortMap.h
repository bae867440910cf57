#pragma once
// Port names. Everywhere in the program and its files a serial port is "COM" followed by 1 to
// 256; the section [SERIAL_PORTS] of the settings file says which device each name stands for
// ("COM3=/dev/serial/by-id/usb-..."). Devices found without a name get the lowest free number,
// and the mapping is written at once, so a receiver keeps its name across restarts and replugs.
// Every function takes the settings file's path.
#include <string>
#include <string_view>
#include <vector>

namespace vsx {

inline constexpr std::string_view kSerialPortsSection = "SERIAL_PORTS";
inline constexpr int kMaxSerialPortNumber = 256;

// Where the device search looks; tests point it at a made-up tree.
struct SerialDeviceFolders {
    std::string dev = "/dev/";            // device nodes, with serial/by-id/ inside
    std::string sysTty = "/sys/class/tty/";  // <name>/type tells a real UART (not 0) from an empty slot
};

// Serial devices present now, in the order they are given names: /dev/serial/by-id/* (stable
// per USB adapter), then ttyUSB*, ttyACM*, ttyS* with a real UART and rfcomm*, each group in
// natural order (ttyUSB2 before ttyUSB10). A node already reached through a by-id link is left out.
std::vector<std::string> findSerialDevices(const SerialDeviceFolders& folders = {});

// The device a port name stands for: the [SERIAL_PORTS] entry, or the text itself when it is
// already a device path ("/dev/..."). Empty when the name is not mapped.
std::string serialDevicePath(const std::string& iniPath, std::string_view portName);

// Gives every device in the list that has no name yet the lowest free "COMn" and writes the new
// entries into the settings file. A device counts as named when its path, or the node it leads
// to, is already mapped. Returns the names given.
std::vector<std::string> assignSerialPortNames(const std::string& iniPath, const std::vector<std::string>& devices);

// The device of a port name, naming the devices present first when the name is not mapped yet
// (a fresh settings file). Empty when the name stays unmapped.
std::string resolveSerialPort(const std::string& iniPath, std::string_view portName,
                              const SerialDeviceFolders& folders = {});

// The names of the devices present (the system's list of serial ports), in ascending number,
// after naming new devices.
std::vector<std::string> listSerialPorts(const std::string& iniPath, const SerialDeviceFolders& folders = {});

// The names of ports that could be opened at this moment, in ascending number: like
// listSerialPorts, less every port held open (by this program's receivers or another program).
std::vector<std::string> EnumerateSerialPorts(const std::string& iniPath, const SerialDeviceFolders& folders = {});

// The number n of "COMn" (any letter case, no blanks), or 0 when the text is not such a name
// within 1..kMaxSerialPortNumber.
int serialPortNumber(std::string_view portName);

} // namespace vsx
