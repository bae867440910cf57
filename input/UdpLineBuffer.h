#pragma once
// Cuts NMEA text arriving in UDP datagrams into lines: a datagram may hold several sentences or
// part of one. Lines end at CR LF, or at a lone LF; the pending text is capped like a serial
// receiver's, so datagrams without line ends cannot make it grow without bound.
#include <string>
#include <string_view>
#include <vector>

namespace vsx {

class UdpLineBuffer {
public:
    static constexpr size_t kPendingLimit = 4096;
    static constexpr size_t kPendingKept = 2048;

    // Appends a datagram and returns the complete lines it finished (without their line ends;
    // empty lines are left out).
    std::vector<std::string> append(std::string_view datagram);
    const std::string& pending() const { return pending_; }
    void clear() { pending_.clear(); }

private:
    std::string pending_;
};

} // namespace vsx
