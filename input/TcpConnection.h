#pragma once
// A blocking-style TCP client connection for a worker thread, built on poll so that every wait
// is bounded by a time-out and ends at once when the owner raises the stop signal. Sends never
// raise SIGPIPE, and interrupted system calls are retried.
#include <atomic>
#include <cstddef>
#include <netinet/in.h>
#include <string>

namespace vsx {

// A level-triggered wake-up for poll: once raised it stays raised, so every later wait of the
// worker ends at once as well.
class StopSignal {
public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    void Raise();
    bool Raised() const { return raised_.load(); }
    int fd() const { return fd_; }
    // Waits up to timeoutMs; true when the signal was raised.
    bool WaitFor(int timeoutMs) const;

private:
    int fd_ = -1;
    std::atomic<bool> raised_{false};
};

enum class IoStatus { Ok, TimedOut, Stopped, Closed, Failed };

// Resolves an IPv4 address for host (a name or dotted address). The lookup runs on a helper
// thread that may outlive the call, so a stop never waits for a slow name server.
IoStatus ResolveIPv4(const std::string& host, int port, const StopSignal& stop, sockaddr_in& address);

class TcpConnection {
public:
    explicit TcpConnection(const StopSignal& stop) : stop_(stop) {}
    ~TcpConnection() { Close(); }
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    // Creates the socket; false when the system refuses one.
    bool Create();
    IoStatus Connect(const sockaddr_in& address, int timeoutMs);
    // Sends every byte (several calls when the kernel takes part of it); `sent` counts what went.
    IoStatus SendAll(const char* data, std::size_t size, int timeoutMs, std::size_t& sent);
    // Waits up to timeoutMs for bytes; Closed when the peer ended the connection.
    IoStatus Receive(char* buffer, std::size_t capacity, int timeoutMs, std::size_t& received);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

private:
    // Waits for `events` on the socket or the stop signal.
    IoStatus waitFor(short events, int timeoutMs);

    const StopSignal& stop_;
    int fd_ = -1;
};

} // namespace vsx
