#pragma once
// Binds a serial receiver to a port group of the device settings window, and the window's port
// list to the serial ports of the program's settings file.
#include "input/DeviceSettingsTargets.h"

#include <string>
#include <string_view>
#include <vector>

namespace vsx {

class TVeldorSerialGPS;

class SerialReceiverPortTarget : public ReceiverPortTarget {
public:
    explicit SerialReceiverPortTarget(TVeldorSerialGPS& receiver) : receiver_(receiver) {}
    // The receiver's fields for its next open; the rate goes through the receiver's rate check.
    void applyPortSettings(const ReceiverPortSettings& settings) override;
    void open() override;
    void close() override;
    bool isOpen() const override;

private:
    TVeldorSerialGPS& receiver_;
};

// The receiver's port number for a port name: n for "COMn" (any letter case) or a bare n. An
// empty name, or one that names no port, gives 0, which the receiver refuses to open: no text
// ever turns into COM1 by default.
int receiverPortNumber(std::string_view portName);

// The ports of the program's settings file that can be opened now (for SerialPortLister).
std::vector<std::string> EnumerateProgramSerialPorts();

} // namespace vsx
