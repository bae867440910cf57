#pragma once
// Stand-ins for the receiver port that the NTRIP client writes into. Both refuse writes once
// closed, under the same lock as the write, as the receiver's own port does.
#include "input/CorrectionOutput.h"

#include <mutex>
#include <string>
#include <unistd.h>

namespace vsx::test {

// Keeps every byte it was given.
class CaptureOutput : public CorrectionOutput {
public:
    bool write(const char* data, std::size_t size) override
    {
        std::lock_guard lock(mutex_);
        if (!open_) return false;
        bytes_.append(data, size);
        return true;
    }
    bool isOpen() const override
    {
        std::lock_guard lock(mutex_);
        return open_;
    }
    std::string bytes() const
    {
        std::lock_guard lock(mutex_);
        return bytes_;
    }

private:
    mutable std::mutex mutex_;
    std::string bytes_;
    bool open_ = true;
};

// Writes into a real descriptor (a pseudo-terminal, a pipe) that it owns.
class DescriptorOutput : public CorrectionOutput {
public:
    explicit DescriptorOutput(int fd) : fd_(fd) {}
    ~DescriptorOutput() override { close(); }
    bool write(const char* data, std::size_t size) override
    {
        std::lock_guard lock(mutex_);
        std::size_t done = 0;
        while (fd_ >= 0 && done < size) {
            const ssize_t n = ::write(fd_, data + done, size - done);
            if (n <= 0) return false;
            done += std::size_t(n);
        }
        return fd_ >= 0;
    }
    bool isOpen() const override
    {
        std::lock_guard lock(mutex_);
        return fd_ >= 0;
    }
    // Closes the descriptor; returns the number it had.
    int close()
    {
        std::lock_guard lock(mutex_);
        const int old = fd_;
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        return old;
    }

private:
    mutable std::mutex mutex_;
    int fd_;
};

} // namespace vsx::test
