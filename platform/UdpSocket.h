#pragma once
// IPv4 UDP on POSIX sockets: an unbound sender that names the destination with each datagram, and
// a non-blocking listener drained from a timer. Sends never raise SIGPIPE and never block the
// interactive thread; calls interrupted by a signal are retried.
#include <cstdint>
#include <string>
#include <string_view>

namespace vsx {

class UdpSender {
public:
    UdpSender() = default;
    ~UdpSender() { close(); }
    UdpSender(const UdpSender&) = delete;
    UdpSender& operator=(const UdpSender&) = delete;

    bool open();
    bool isOpen() const { return fd_ >= 0; }
    // False when closed, the address is not a dotted IPv4 address, the port is outside 1..65535,
    // or the datagram could not be handed to the network stack at once.
    bool sendTo(const std::string& ip, int port, std::string_view bytes);
    void close();

private:
    int fd_ = -1;
};

class UdpListener {
public:
    enum class StartResult { Listening, SocketError, AddressInUse, OtherError };

    UdpListener() = default;
    ~UdpListener() { stop(); }
    UdpListener(const UdpListener&) = delete;
    UdpListener& operator=(const UdpListener&) = delete;

    // Binds to any local address at the port and makes the socket non-blocking. The port is
    // never shared: one that another socket holds, whatever its options, is AddressInUse.
    StartResult start(int port);
    bool isListening() const { return fd_ >= 0; }
    int lastError() const { return lastError_; }  // errno of a failed start
    // One waiting datagram into `datagram`; false when none is waiting (or not listening).
    bool receive(std::string& datagram);
    void stop();
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
    int lastError_ = 0;
};

// True for a port number a socket can use (1..65535).
constexpr bool isValidUdpPort(long long port) { return port >= 1 && port <= 65535; }

} // namespace vsx
