#pragma once
// Where the NTRIP client puts the correction bytes it receives: normally the GNSS receiver's own
// serial port. The client writes from its network thread, so an implementation must be safe to
// call from any thread, and once the port behind it has been closed, write() must send nothing
// and return false (the closed flag is tested under the same lock as the write, so a close that
// races with a write can never let bytes reach a reused descriptor).
#include <cstddef>
#include <memory>

namespace vsx {

class CorrectionOutput {
public:
    virtual ~CorrectionOutput() = default;
    // One synchronous write of the whole block; false when nothing or not all could be written.
    virtual bool write(const char* data, std::size_t size) = 0;
    virtual bool isOpen() const = 0;
};

using CorrectionOutputPtr = std::shared_ptr<CorrectionOutput>;

} // namespace vsx
