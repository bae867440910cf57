#include "platform/WriteFailureWatch.h"

#include <cstring>

namespace vsx {

WriteChange WriteFailureWatch::Note(const std::string& what, const std::string& file, bool written,
                                    const std::string& reason)
{
    const auto it = failing_.find(what);
    if (written) {
        if (it == failing_.end()) return {};
        const long lost = it->second.lost;
        failing_.erase(it);
        return {WriteChange::Kind::Recovered, file, {}, lost};
    }
    if (it != failing_.end()) {
        ++it->second.lost;
        return {};
    }
    failing_.emplace(what, Failure{file, 1});
    return {WriteChange::Kind::Failed, file, reason.empty() ? std::string("unknown error") : reason, 0};
}

std::string SystemReason(int error)
{
    if (error == 0) return "unknown error";
    return std::strerror(error);
}

} // namespace vsx
