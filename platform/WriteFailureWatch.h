#pragma once
// Keeps track of files whose writes fail, so that a failure is said once when it starts and once
// again when writing works again, never once per record. Each watched file is known by a name of
// its own (the survey CSV keeps its name when it falls back to another file name).
#include <map>
#include <string>

namespace vsx {

struct WriteChange {
    enum class Kind { None, Failed, Recovered };
    Kind kind = Kind::None;
    std::string file;    // the file the write went to
    std::string reason;  // the system's reason (Failed only)
    long lost = 0;       // the writes that failed until this one worked (Recovered only)
};

class WriteFailureWatch {
public:
    // Notes one write to the file known as `what`; says what changed: its first failure (after
    // working or at first), its first success after failing (with the number of writes lost
    // meanwhile), or nothing.
    WriteChange Note(const std::string& what, const std::string& file, bool written, const std::string& reason = {});
    bool Failing(const std::string& what) const { return failing_.count(what) != 0; }
    // A new run: files failing in the last one are said again when they fail again.
    void Reset() { failing_.clear(); }

private:
    struct Failure {
        std::string file;  // the file that failed
        long lost = 0;     // writes that failed since
    };
    std::map<std::string, Failure> failing_;  // what -> its failure
};

// The system's reason for the last failed call (errno), in words.
std::string SystemReason(int error);

} // namespace vsx
