#include "platform/WriteFailureWatch.h"

#include <cstring>

namespace vsx {

WriteChange WriteFailureWatch::Note(const std::string& what, const std::string& file, bool written,
                                    const std::string& reason)
{
    const auto it = failing_.find(what);
    if (written) {
        if (it == failing_.end()) return {};
        failing_.erase(it);
        return {WriteChange::Kind::Recovered, file, {}};
    }
    if (it != failing_.end()) return {};
    failing_.emplace(what, file);
    return {WriteChange::Kind::Failed, file, reason.empty() ? std::string("unknown error") : reason};
}

std::string SystemReason(int error)
{
    if (error == 0) return "unknown error";
    return std::strerror(error);
}

} // namespace vsx
