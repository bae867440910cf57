#pragma once
// Cuts the byte stream of a serial device into lines. A line ends at "\n"; it is handed out with
// every character of code 32 or below removed from both ends (CR, blanks, control bytes), and
// lines left empty by that are skipped. Zero bytes are dropped where they stand, so a receiver
// that mixes binary output with its sentences loses nothing else.
//
// A line that starts with '$' and holds, after a sentence cut short, a whole sentence with a
// valid checksum ("$GPGSV,3,3,12,06,08,270,$GPGGA,...*7E") is handed out as two lines, so the
// whole sentence is not lost with the cut one.
//
// A stream that never sends "\n" cannot grow the pending text without bound: once no complete
// line is left and more than 4096 bytes are pending, only the last 2048 are kept, and the next
// "\n" ends a line made of those and what follows.
#include "input/NmeaParser.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vsx {

class NmeaLineCutter {
public:
    static constexpr size_t kPendingLimit = 4096;
    static constexpr size_t kPendingKept = 2048;

    void append(std::string_view bytes);
    // The next complete non-empty line, trimmed. The view stays valid until the next call of
    // any member. False when no complete line is left.
    bool nextLine(std::string_view& line);
    // The same, with the checksum state of a line that starts with '$' (Absent for any other),
    // found while cutting: the line's one checksum pass.
    bool nextLine(std::string_view& line, NmeaChecksum& checksum);
    void clear();
    // Bytes received but not yet cut into lines.
    size_t pendingSize() const { return buffer_.size() - start_; }

private:
    void compact();

    std::string buffer_;
    size_t start_ = 0;  // first byte not yet handed out
    size_t scan_ = 0;   // bytes before this are known to hold no "\n"
    size_t lineEnd_ = 0;  // end of the line being handed out in parts (after its "\n")
};

} // namespace vsx
