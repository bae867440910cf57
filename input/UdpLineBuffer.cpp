#include "input/UdpLineBuffer.h"

namespace vsx {

std::vector<std::string> UdpLineBuffer::append(std::string_view datagram)
{
    pending_.append(datagram);
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t lf = pending_.find('\n', start);
        if (lf == std::string::npos) break;
        size_t end = (lf > start && pending_[lf - 1] == '\r') ? lf - 1 : lf;
        if (end > start) lines.emplace_back(pending_, start, end - start);
        start = lf + 1;
    }
    pending_.erase(0, start);
    if (pending_.size() > kPendingLimit) pending_.erase(0, pending_.size() - kPendingKept);
    return lines;
}

} // namespace vsx
