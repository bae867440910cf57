#include "PtyCollector.h"

#include "PtyPair.h"

#include <poll.h>
#include <unistd.h>

namespace vsx::test {

PtyCollector::PtyCollector(PtyPair& pty) : PtyCollector(pty.masterFd()) {}

PtyCollector::PtyCollector(int masterFd) : fd_(masterFd), thread_([this] { run(); }) {}

PtyCollector::~PtyCollector()
{
    stop_ = true;
    thread_.join();
}

void PtyCollector::run()
{
    char buf[4096];
    while (!stop_.load()) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) continue;
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n <= 0) continue;
        std::lock_guard lock(mutex_);
        received_.append(buf, std::size_t(n));
    }
}

std::string PtyCollector::received() const
{
    std::lock_guard lock(mutex_);
    return received_;
}

std::size_t PtyCollector::size() const
{
    std::lock_guard lock(mutex_);
    return received_.size();
}

void PtyCollector::clear()
{
    std::lock_guard lock(mutex_);
    received_.clear();
}

} // namespace vsx::test
