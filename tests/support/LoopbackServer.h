#pragma once
// A scripted TCP server on 127.0.0.1 for network tests: it accepts one connection at a time and
// runs the test's handler on it, on its own thread. Every wait is bounded and ends when the
// server is destroyed.
#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace vsx::test {

class LoopbackPeer {
public:
    LoopbackPeer(int fd, int stopFd) : fd_(fd), stopFd_(stopFd) {}
    ~LoopbackPeer() { Close(); }
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    // Reads until `marker` has arrived (returned with it) or the time is up (what came).
    std::string ReadUntil(std::string_view marker, int timeoutMs);
    // An HTTP request head, up to and including the empty line.
    std::string ReadRequest(int timeoutMs = 5000) { return ReadUntil("\r\n\r\n", timeoutMs); }
    // Whatever arrives within the time.
    std::string ReadFor(int timeoutMs);
    bool Send(std::string_view bytes);
    // Waits until the peer closes or the server stops; true when the peer closed.
    bool WaitForClose(int timeoutMs);
    void Close();

private:
    // One read after waiting up to timeoutMs; empty on time-out, stop or close.
    std::string readOnce(int timeoutMs, bool& closed);

    int fd_;
    int stopFd_;
    std::string pending_;
};

class LoopbackServer {
public:
    using Handler = std::function<void(LoopbackPeer& peer, int index)>;

    explicit LoopbackServer(Handler handler);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int port() const { return port_; }
    int connections() const { return connections_.load(); }

private:
    void run();

    Handler handler_;
    int listenFd_ = -1;
    int stopFd_ = -1;
    int port_ = 0;
    std::atomic<int> connections_{0};
    std::thread thread_;
};

// A listening socket whose one-place backlog is already taken, so that a further connect to it
// stays pending: a caster that never answers the connect.
class UnansweredListener {
public:
    UnansweredListener();
    ~UnansweredListener();
    UnansweredListener(const UnansweredListener&) = delete;
    UnansweredListener& operator=(const UnansweredListener&) = delete;
    int port() const { return port_; }

private:
    int listenFd_ = -1;
    int fillerFd_ = -1;
    int port_ = 0;
};

// Polls `done` every few milliseconds until it is true or the time is up.
bool waitUntil(const std::function<bool()>& done, int timeoutMs);

} // namespace vsx::test
