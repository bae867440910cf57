#include "SmallFileSystem.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

namespace vsx::test {

namespace {
constexpr const char* kFiller = "/.filler";
}

SmallFileSystem::SmallFileSystem(const std::string& folder, const std::string& size) : folder_(folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (::geteuid() != 0) {
        why_ = "mounting a small file system takes root (this test runs as user " + std::to_string(::geteuid()) + ")";
        return;
    }
    const std::string options = "size=" + size + ",mode=0755";
    mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC, options.c_str()) == 0;
    if (!mounted_) why_ = "cannot mount a tmpfs on " + folder_ + ": " + std::strerror(errno);
}

SmallFileSystem::~SmallFileSystem()
{
    if (!mounted_) return;
    // A file some part of the program still holds open must not keep the mount: it goes now,
    // and the kernel lets go of it when the last file is closed.
    if (::umount2(folder_.c_str(), 0) != 0) ::umount2(folder_.c_str(), MNT_DETACH);
}

bool SmallFileSystem::fill()
{
    const std::string path = folder_ + kFiller;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const std::vector<char> block(64 * 1024, 'x');
    int error = 0;
    while (error == 0) {
        const ssize_t n = ::write(fd, block.data(), block.size());
        if (n < 0 && errno != EINTR) error = errno;
    }
    ::close(fd);
    return error == ENOSPC;
}

void SmallFileSystem::free() { ::unlink((folder_ + kFiller).c_str()); }

} // namespace vsx::test
