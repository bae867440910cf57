#include "PtyPair.h"

#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/SerialPortMap.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <unistd.h>

namespace vsx::test {

PtyPair::PtyPair()
{
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
    slavePath_ = name;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
}

PtyPair::~PtyPair()
{
    closeMaster();
    if (slave_ >= 0) ::close(slave_);
}

bool PtyPair::write(std::string_view bytes)
{
    while (!bytes.empty()) {
        if (master_ < 0) return false;
        ssize_t n = ::write(master_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(size_t(n));
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd p{master_, POLLOUT, 0};
        ::poll(&p, 1, 100);
    }
    return true;
}

std::string PtyPair::readAll(int quietMs)
{
    std::string out;
    char buf[4096];
    while (master_ >= 0) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, quietMs) <= 0 || !(p.revents & POLLIN)) break;
        ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0) break;
        out.append(buf, size_t(n));
    }
    return out;
}

void PtyPair::closeMaster()
{
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

void PtyPair::mapTo(const std::string& iniPath, const std::string& portName) const
{
    makeFolders(std::filesystem::path(iniPath).parent_path().string());
    IniFile ini(iniPath);
    ini.writeString(kSerialPortsSection, portName, slavePath_);
}

} // namespace vsx::test
