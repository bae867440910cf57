#include "PluggableDevice.h"

#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/SerialPortMap.h"

#include <filesystem>

namespace vsx::test {

PluggableDevice::PluggableDevice(std::string linkPath) : link_(std::move(linkPath)) { plugIn(); }

PluggableDevice::~PluggableDevice() { unplug(); }

void PluggableDevice::unplug()
{
    if (pty_) pty_->closeMaster();
    pty_.reset();
    std::error_code ignored;
    std::filesystem::remove(link_, ignored);
}

void PluggableDevice::plugIn()
{
    unplug();
    pty_ = std::make_unique<PtyPair>();
    std::filesystem::create_symlink(pty_->slavePath(), link_);
}

bool PluggableDevice::write(std::string_view bytes) { return pty_ && pty_->write(bytes); }

void PluggableDevice::mapTo(const std::string& iniPath, const std::string& portName) const
{
    makeFolders(std::filesystem::path(iniPath).parent_path().string());
    IniFile ini(iniPath);
    ini.writeString(kSerialPortsSection, portName, link_);
}

} // namespace vsx::test
