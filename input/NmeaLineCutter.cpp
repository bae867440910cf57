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

namespace {

// Where a sentence whose end was lost is followed, on the same line, by a whole sentence: the
// offset of that sentence's '$', or npos. Only a tail with a valid checksum counts, and only
// when the line as a whole is not a valid sentence (`checksum`, the line's own): some sounders
// send two '$' parts on one line by design ("$PVLXDHI,23.45,$PVLXDLO,24.10"), and those stay one
// line.
size_t gluedSentenceStart(std::string_view line, NmeaChecksum checksum)
{
    if (line.size() < 2 || checksum == NmeaChecksum::Valid) return std::string_view::npos;
    for (size_t at = line.find('$', 1); at != std::string_view::npos; at = line.find('$', at + 1))
        if (nmeaChecksum(line.substr(at)) == NmeaChecksum::Valid) return at;
    return std::string_view::npos;
}

} // namespace

bool NmeaLineCutter::nextLine(std::string_view& line)
{
    NmeaChecksum checksum;
    return nextLine(line, checksum);
}

bool NmeaLineCutter::nextLine(std::string_view& line, NmeaChecksum& checksum)
{
    for (;;) {
        const char* base = buffer_.data();
        if (start_ >= lineEnd_) {
            const void* nl = scan_ < buffer_.size() ? std::memchr(base + scan_, '\n', buffer_.size() - scan_) : nullptr;
            if (!nl) {
                scan_ = buffer_.size();
                compact();
                return false;
            }
            lineEnd_ = scan_ = size_t(static_cast<const char*>(nl) - base) + 1;
        }
        line = trimView(std::string_view(base + start_, lineEnd_ - start_));
        start_ = lineEnd_;
        checksum = NmeaChecksum::Absent;
        if (!line.empty() && line.front() == '$') {
            checksum = nmeaChecksum(line);
            if (const size_t glued = gluedSentenceStart(line, checksum); glued != std::string_view::npos) {
                // The cut sentence goes out as a line of its own; the whole one follows it.
                start_ = size_t(line.data() + glued - base);
                line = trimView(line.substr(0, glued));
                checksum = nmeaChecksum(line);
            }
        }
        if (!line.empty()) return true;
    }
}

void NmeaLineCutter::compact()
{
    if (start_ > 0) {
        buffer_.erase(0, start_);
        scan_ -= start_;
        lineEnd_ = lineEnd_ > start_ ? lineEnd_ - start_ : 0;
        start_ = 0;
    }
    if (lineEnd_ == 0 && scan_ == buffer_.size() && buffer_.size() > kPendingLimit) {
        buffer_.erase(0, buffer_.size() - kPendingKept);
        scan_ = buffer_.size();
    }
}

void NmeaLineCutter::clear()
{
    buffer_.clear();
    start_ = scan_ = lineEnd_ = 0;
}

} // namespace vsx
