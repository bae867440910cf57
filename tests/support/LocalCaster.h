#pragma once
// RTKLIB's str2str as a real NTRIP caster on 127.0.0.1: mount point "TEST" for user "user",
// password "pass". Its input is a TCP server of the test's own (the feeder): bytes given to
// Send() go out to every client of the mount point, and what the clients upload (their GGA)
// comes back to the feeder (str2str -b 1) and is kept. str2str is killed by its own pid.
#include "LoopbackServer.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>

namespace vsx::test {

// The program's full path from PATH, or empty.
std::string findProgram(const std::string& name);
// A TCP port on 127.0.0.1 that was free a moment ago, outside the range ports bound to 0 come from.
int freeLoopbackPort();
bool acceptsConnections(int port);

class LocalCaster {
public:
    LocalCaster();
    ~LocalCaster();
    LocalCaster(const LocalCaster&) = delete;
    LocalCaster& operator=(const LocalCaster&) = delete;

    // Starts str2str and waits until it serves; false with the reason when the test must be
    // skipped (str2str missing) or str2str did not come up.
    bool Start(std::string& whyNot);
    int port() const { return port_; }

    // Queues bytes for the stream; they go out in 1 kB pieces.
    void Send(std::string bytes);
    // Everything queued has been handed to str2str.
    bool SentAll() const;
    std::string Uploads() const;

private:
    void feed(LoopbackPeer& peer);

    std::atomic<bool> stopped_{false};
    mutable std::mutex mutex_;
    std::deque<std::string> queue_;
    std::string uploads_;
    std::optional<LoopbackServer> feeder_;
    pid_t pid_ = -1;
    int port_ = 0;
};

} // namespace vsx::test
