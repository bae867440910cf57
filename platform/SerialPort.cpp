#include "platform/SerialPort.h"

#include "platform/SerialTermios.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace vsx {
namespace {

// Opens the device and takes the exclusive lock; -1 with errno set on failure. flock is what
// keeps a second open out, even within one process and for root; TIOCEXCL also keeps out
// programs that do not lock (it is ignored for root, and not every device has it).
int openExclusive(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        errno = EBUSY;
        return -1;
    }
    ::ioctl(fd, TIOCEXCL);
    return fd;
}

std::string openFailureText(const std::string& path, int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
        return "Cannot open " + path + ": permission denied; add the user to the dialout group";
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return "Cannot open " + path + ": no such device; check that it is plugged in and that its path is right";
    case EBUSY:
        return "Cannot open " + path + ": the port is in use; close the program that holds it";
    default:
        return "Cannot open " + path + ": " + std::strerror(err);
    }
}

// A read or status error that means the device itself has gone (unplugged, hung up).
bool deviceGone(int err) { return err == EIO || err == ENXIO || err == ENODEV || err == EBADF || err == EPIPE; }

} // namespace

std::shared_ptr<SerialPort> SerialPort::open(const std::string& devicePath, const SerialLineSettings& settings,
                                             std::string* error, SerialOpenStep* failedStep)
{
    int fd = openExclusive(devicePath);
    if (fd < 0) {
        if (error) *error = openFailureText(devicePath, errno);
        if (failedStep) *failedStep = SerialOpenStep::OpenDevice;
        return nullptr;
    }
    std::string why;
    if (!serial::applyLineSettings(fd, settings, &why)) {
        ::close(fd);
        if (error) *error = "Cannot configure " + devicePath + ": " + why;
        if (failedStep) *failedStep = SerialOpenStep::ConfigureLine;
        return nullptr;
    }
    std::shared_ptr<SerialPort> port(new SerialPort(fd, devicePath));
    // Linux raises both lines on open; each is set as asked. Devices without modem lines refuse
    // this, which is no reason to refuse the port.
    port->setDtr(settings.dtr);
    port->setRts(settings.rts);
    port->purge();
    return port;
}

bool SerialPort::canOpen(const std::string& devicePath)
{
    int fd = openExclusive(devicePath);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

SerialPort::SerialPort(int fd, std::string path) : path_(std::move(path)), fd_(fd) {}

SerialPort::~SerialPort() { close(); }

bool SerialPort::isOpen() const
{
    std::shared_lock lock(fdMutex_);
    return fd_ >= 0;
}

void SerialPort::setWriteTimeout(std::chrono::milliseconds timeout)
{
    std::lock_guard lock(writeMutex_);
    writeTimeout_ = timeout;
}

bool SerialPort::write(const void* data, size_t size)
{
    std::lock_guard writer(writeMutex_);
    std::shared_lock lock(fdMutex_);
    if (fd_ < 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + writeTimeout_;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd_, p, size);
        if (n > 0) {
            p += n;
            size -= size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd pfd{fd_, POLLOUT, 0};
        int r = ::poll(&pfd, 1, int(left.count()));
        if (r < 0 && errno != EINTR) return false;
        if (r > 0 && (pfd.revents & (POLLERR | POLLHUP | POLLNVAL))) return false;
    }
    return true;
}

long SerialPort::read(void* buffer, size_t size)
{
    std::shared_lock lock(fdMutex_);
    if (fd_ < 0) return -1;
    if (size == 0) return 0;
    for (;;) {
        ssize_t n = ::read(fd_, buffer, size);
        if (n > 0) return long(n);
        // In raw mode a non-blocking read gives end-of-file only on hang-up.
        if (n == 0) return -1;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        return deviceGone(errno) ? -1 : 0;
    }
}

long SerialPort::bytesWaiting() const
{
    std::shared_lock lock(fdMutex_);
    if (fd_ < 0) return -1;
    int n = 0;
    if (::ioctl(fd_, FIONREAD, &n) != 0) return -1;
    return n;
}

bool SerialPort::purge()
{
    std::shared_lock lock(fdMutex_);
    return fd_ >= 0 && serial::flushQueues(fd_);
}

bool SerialPort::setModemLine(int bit, bool on)
{
    std::shared_lock lock(fdMutex_);
    if (fd_ < 0) return false;
    return ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) == 0;
}

bool SerialPort::setDtr(bool on) { return setModemLine(TIOCM_DTR, on); }
bool SerialPort::setRts(bool on) { return setModemLine(TIOCM_RTS, on); }

void SerialPort::close()
{
    std::unique_lock lock(fdMutex_);
    if (fd_ < 0) return;
    ::close(fd_);  // also releases the lock
    fd_ = -1;
}

} // namespace vsx
