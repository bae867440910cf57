#pragma once
// A serial device that can be unplugged and plugged in again on the same path, as a USB adapter
// comes back under its /dev/serial/by-id name: a symbolic link that points at the slave of a
// fresh pseudo-terminal while the device is in. Unplugging hangs the program's side up (the
// master closes) and removes the link; plugging in makes a new pseudo-terminal and points the
// link at it.
#include "PtyPair.h"

#include <memory>
#include <string>
#include <string_view>

namespace vsx::test {

class PluggableDevice {
public:
    // linkPath: where the device appears; it is plugged in at once.
    explicit PluggableDevice(std::string linkPath);
    ~PluggableDevice();

    const std::string& path() const { return link_; }
    bool pluggedIn() const { return pty_ != nullptr; }
    void unplug();
    void plugIn();

    // The device side of the current pseudo-terminal; -1 while unplugged.
    int masterFd() const { return pty_ ? pty_->masterFd() : -1; }
    // Bytes from the device; false while unplugged.
    bool write(std::string_view bytes);
    // Writes "[SERIAL_PORTS] <portName>=<link path>" into the settings file.
    void mapTo(const std::string& iniPath, const std::string& portName) const;

private:
    std::string link_;
    std::unique_ptr<PtyPair> pty_;
};

} // namespace vsx::test
