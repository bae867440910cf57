#pragma once
// Appends that stop part way, as on a full disk, through the platform layer's file seam: while
// it lives, every append of the process goes through it. `room` bytes more go in (cut at that
// point, the rest of that write refused), then every write fails with `error` until room is
// given again. The truncation that takes a cut write back can be made to fail as well.
#include "platform/AppendFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>

namespace vsx::test {

class ShortWrites : public FileWriteCalls {
public:
    explicit ShortWrites(long long room = LLONG_MAX) : room(room) { setFileWriteCalls(this); }
    ~ShortWrites() override { setFileWriteCalls(nullptr); }
    ShortWrites(const ShortWrites&) = delete;
    ShortWrites& operator=(const ShortWrites&) = delete;

    ssize_t write(int fd, const void* data, size_t size) override
    {
        if (room <= 0) {
            errno = error;
            return -1;
        }
        const size_t n = size_t(std::min<long long>(room, static_cast<long long>(size)));
        const ssize_t written = FileWriteCalls::write(fd, data, n);
        if (written > 0) room -= written;
        return written;
    }
    int truncate(int fd, off_t size) override
    {
        ++truncations;
        if (truncateFails) {
            errno = EIO;
            return -1;
        }
        return FileWriteCalls::truncate(fd, size);
    }

    long long room;
    int error = ENOSPC;
    bool truncateFails = false;
    int truncations = 0;
};

} // namespace vsx::test
