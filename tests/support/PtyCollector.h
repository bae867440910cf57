#pragma once
// Collects, on a thread of its own, everything the program writes into a pseudo-terminal
// (read from the master side), so a fast stream never fills the terminal's buffer while the
// test's thread is busy running the program's event loop.
#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace vsx::test {

class PtyPair;

class PtyCollector {
public:
    explicit PtyCollector(PtyPair& pty);
    // The master side of a pseudo-terminal that outlives the collector.
    explicit PtyCollector(int masterFd);
    ~PtyCollector();
    PtyCollector(const PtyCollector&) = delete;
    PtyCollector& operator=(const PtyCollector&) = delete;

    std::string received() const;
    std::size_t size() const;
    void clear();

private:
    void run();

    int fd_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::string received_;
    std::thread thread_;
};

} // namespace vsx::test
