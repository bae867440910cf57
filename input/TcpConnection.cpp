#include "input/TcpConnection.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace vsx {

StopSignal::StopSignal() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

StopSignal::~StopSignal()
{
    if (fd_ >= 0) ::close(fd_);
}

void StopSignal::Raise()
{
    raised_ = true;
    if (fd_ >= 0) {
        const std::uint64_t one = 1;
        ssize_t r;
        do r = ::write(fd_, &one, sizeof one);
        while (r < 0 && errno == EINTR);
    }
}

bool StopSignal::WaitFor(int timeoutMs) const
{
    if (Raised()) return true;
    pollfd p{fd_, POLLIN, 0};
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        const int r = ::poll(&p, 1, int(std::max<long long>(0, left.count())));
        if (r > 0 || Raised()) return true;
        if (r == 0) return false;
        if (errno != EINTR) return Raised();
    }
}

namespace {

// The lookup's result, shared between the waiting worker and the helper thread.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool found = false;
    in_addr address{};
};

int pollRetry(pollfd* fds, nfds_t count, std::chrono::steady_clock::time_point end)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        const int r = ::poll(fds, count, int(std::max<long long>(0, left.count())));
        if (r >= 0 || errno != EINTR) return r;
    }
}

} // namespace

IoStatus ResolveIPv4(const std::string& host, int port, const StopSignal& stop, sockaddr_in& address)
{
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) == 1) return IoStatus::Ok;

    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host] {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &list);
        std::lock_guard lock(lookup->mutex);
        if (rc == 0 && list) {
            lookup->found = true;
            lookup->address = reinterpret_cast<const sockaddr_in*>(list->ai_addr)->sin_addr;
        }
        if (list) ::freeaddrinfo(list);
        lookup->finished = true;
        lookup->done.notify_all();
    }).detach();

    std::unique_lock lock(lookup->mutex);
    while (!lookup->finished) {
        if (stop.Raised()) return IoStatus::Stopped;
        lookup->done.wait_for(lock, std::chrono::milliseconds(20));
    }
    if (!lookup->found) return IoStatus::Failed;
    address.sin_addr = lookup->address;
    return IoStatus::Ok;
}

bool TcpConnection::Create()
{
    Close();
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    return fd_ >= 0;
}

IoStatus TcpConnection::waitFor(short events, int timeoutMs)
{
    if (stop_.Raised()) return IoStatus::Stopped;
    pollfd fds[2] = {{fd_, events, 0}, {stop_.fd(), POLLIN, 0}};
    const int r = pollRetry(fds, 2, std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs));
    if (stop_.Raised() || (fds[1].revents & POLLIN)) return IoStatus::Stopped;
    if (r < 0) return IoStatus::Failed;
    if (r == 0) return IoStatus::TimedOut;
    return IoStatus::Ok; // readable, writable, or an error/hang-up that the next call reports
}

IoStatus TcpConnection::Connect(const sockaddr_in& address, int timeoutMs)
{
    if (fd_ < 0) return IoStatus::Failed;
    // Non-blocking: EINPROGRESS (or EINTR, after which the connection goes on by itself) is
    // followed by a bounded wait for the socket to become writable.
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return IoStatus::Ok;
    if (errno != EINPROGRESS && errno != EINTR) return IoStatus::Failed;
    const IoStatus w = waitFor(POLLOUT, timeoutMs);
    if (w != IoStatus::Ok) return w;
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &len) < 0 || error != 0) return IoStatus::Failed;
    return IoStatus::Ok;
}

IoStatus TcpConnection::SendAll(const char* data, std::size_t size, int timeoutMs, std::size_t& sent)
{
    sent = 0;
    if (fd_ < 0) return IoStatus::Failed;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (sent < size) {
        const ssize_t n = ::send(fd_, data + sent, size - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return errno == EPIPE ? IoStatus::Closed : IoStatus::Failed;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return IoStatus::TimedOut;
        const IoStatus w = waitFor(POLLOUT, int(left.count()));
        if (w != IoStatus::Ok) return w;
    }
    return IoStatus::Ok;
}

IoStatus TcpConnection::Receive(char* buffer, std::size_t capacity, int timeoutMs, std::size_t& received)
{
    received = 0;
    if (fd_ < 0) return IoStatus::Failed;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const ssize_t n = ::recv(fd_, buffer, capacity, 0);
        if (n > 0) {
            received = std::size_t(n);
            return IoStatus::Ok;
        }
        if (n == 0) return IoStatus::Closed;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return IoStatus::Failed;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return IoStatus::TimedOut;
        const IoStatus w = waitFor(POLLIN, int(left.count()));
        if (w != IoStatus::Ok) return w;
    }
}

void TcpConnection::Close()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace vsx
