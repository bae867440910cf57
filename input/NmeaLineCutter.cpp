#include "input/NmeaLineCutter.h"

#include "platform/Text.h"

#include <algorithm>
#include <cstring>

namespace vsx {

void NmeaLineCutter::append(std::string_view bytes)
{
    compact();
    const size_t from = buffer_.size();
    buffer_.append(bytes);
    if (std::memchr(bytes.data(), 0, bytes.size()))
        buffer_.erase(std::remove(buffer_.begin() + long(from), buffer_.end(), '\0'), buffer_.end());
}

bool NmeaLineCutter::nextLine(std::string_view& line)
{
    for (;;) {
        const char* base = buffer_.data();
        const void* nl = scan_ < buffer_.size() ? std::memchr(base + scan_, '\n', buffer_.size() - scan_) : nullptr;
        if (!nl) {
            scan_ = buffer_.size();
            compact();
            return false;
        }
        const size_t end = size_t(static_cast<const char*>(nl) - base) + 1;
        std::string_view raw(base + start_, end - start_);
        start_ = scan_ = end;
        line = trimView(raw);
        if (!line.empty()) return true;
    }
}

void NmeaLineCutter::compact()
{
    if (start_ > 0) {
        buffer_.erase(0, start_);
        scan_ -= start_;
        start_ = 0;
    }
    if (scan_ == buffer_.size() && buffer_.size() > kPendingLimit) {
        buffer_.erase(0, buffer_.size() - kPendingKept);
        scan_ = buffer_.size();
    }
}

void NmeaLineCutter::clear()
{
    buffer_.clear();
    start_ = scan_ = 0;
}

} // namespace vsx
