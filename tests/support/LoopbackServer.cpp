#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>
#include <cstdint>

namespace vsx::test {
namespace {

int listenOnLoopback(int backlog, int& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket failed");
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0 || ::listen(fd, backlog) < 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) < 0) {
        ::close(fd);
        throw std::runtime_error("cannot listen on loopback");
    }
    port = ntohs(a.sin_port);
    return fd;
}

// Waits for POLLIN on fd; false on time-out or when the stop descriptor fires.
bool waitReadable(int fd, int stopFd, int timeoutMs)
{
    pollfd p[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    int r;
    do r = ::poll(p, 2, timeoutMs);
    while (r < 0 && errno == EINTR);
    return r > 0 && !(p[1].revents & POLLIN) && p[0].revents;
}

} // namespace

std::string LoopbackPeer::readOnce(int timeoutMs, bool& closed)
{
    closed = false;
    if (fd_ < 0 || !waitReadable(fd_, stopFd_, timeoutMs)) return {};
    char buf[4096];
    ssize_t n;
    do n = ::recv(fd_, buf, sizeof buf, 0);
    while (n < 0 && errno == EINTR);
    if (n <= 0) {
        closed = true;
        return {};
    }
    return std::string(buf, size_t(n));
}

std::string LoopbackPeer::ReadUntil(std::string_view marker, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const std::size_t at = pending_.find(marker);
        if (at != std::string::npos) {
            std::string head = pending_.substr(0, at + marker.size());
            pending_.erase(0, at + marker.size());
            return head;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        bool closed = false;
        if (left.count() <= 0) break;
        pending_ += readOnce(int(left.count()), closed);
        if (closed) break;
    }
    return std::exchange(pending_, {});
}

std::string LoopbackPeer::ReadFor(int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string got = std::exchange(pending_, {});
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        bool closed = false;
        if (left.count() <= 0) break;
        got += readOnce(int(left.count()), closed);
        if (closed) break;
    }
    return got;
}

bool LoopbackPeer::Send(std::string_view bytes)
{
    std::size_t sent = 0;
    while (fd_ >= 0 && sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += std::size_t(n);
    }
    return fd_ >= 0;
}

bool LoopbackPeer::WaitForClose(int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || fd_ < 0) return false;
        if (!waitReadable(fd_, stopFd_, int(left.count()))) return false;
        bool closed = false;
        pending_ += readOnce(0, closed);
        if (closed) return true;
    }
}

void LoopbackPeer::Close()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

LoopbackServer::LoopbackServer(Handler handler) : handler_(std::move(handler))
{
    listenFd_ = listenOnLoopback(8, port_);
    stopFd_ = ::eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this] { run(); });
}

LoopbackServer::~LoopbackServer()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t r = ::write(stopFd_, &one, sizeof one);
    thread_.join();
    ::close(listenFd_);
    ::close(stopFd_);
}

void LoopbackServer::run()
{
    for (int index = 0;; ++index) {
        if (!waitReadable(listenFd_, stopFd_, -1)) return;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        ++connections_;
        LoopbackPeer peer(fd, stopFd_);
        handler_(peer, index);
    }
}

UnansweredListener::UnansweredListener()
{
    listenFd_ = listenOnLoopback(0, port_);
    fillerFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(std::uint16_t(port_));
    if (::connect(fillerFd_, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0)
        throw std::runtime_error("cannot fill the backlog");
}

UnansweredListener::~UnansweredListener()
{
    ::close(fillerFd_);
    ::close(listenFd_);
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace vsx::test
