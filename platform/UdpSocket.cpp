#include "platform/UdpSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vsx {

bool UdpSender::open()
{
    close();
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_UDP);
    return fd_ >= 0;
}

bool UdpSender::sendTo(const std::string& ip, int port, std::string_view bytes)
{
    if (fd_ < 0 || !isValidUdpPort(port)) return false;
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = htons(uint16_t(port));
    if (::inet_pton(AF_INET, ip.c_str(), &to.sin_addr) != 1) return false;
    for (;;) {
        ssize_t n = ::sendto(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT,
                             reinterpret_cast<const sockaddr*>(&to), sizeof to);
        if (n >= 0) return size_t(n) == bytes.size();
        if (errno != EINTR) return false;
    }
}

void UdpSender::close()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

UdpListener::StartResult UdpListener::start(int port)
{
    stop();
    lastError_ = 0;
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd_ < 0) {
        lastError_ = errno;
        return StartResult::SocketError;
    }
    // No address reuse: on Linux two UDP sockets that both ask for it share the port, and the
    // datagrams would go to either. Without it, a port any other socket holds (sharing allowed
    // or not) is refused as in use.
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    addr.sin_port = htons(uint16_t(port));
    if (!isValidUdpPort(port) || ::bind(fd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        lastError_ = isValidUdpPort(port) ? errno : EINVAL;
        ::close(fd_);
        fd_ = -1;
        return lastError_ == EADDRINUSE ? StartResult::AddressInUse : StartResult::OtherError;
    }
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    port_ = port;
    return StartResult::Listening;
}

bool UdpListener::receive(std::string& datagram)
{
    if (fd_ < 0) return false;
    char buf[65536];
    for (;;) {
        ssize_t n = ::recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
        if (n >= 0) {
            datagram.assign(buf, size_t(n));
            return true;
        }
        if (errno != EINTR) return false;
    }
}

void UdpListener::stop()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

} // namespace vsx
