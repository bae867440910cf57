#pragma once
// Replacing a file so that a power cut or a failed write leaves either the old file or the new
// one, never a torn one: write a temporary file beside the target, flush it to disk, rename it
// over the target.
#include <string>
#include <string_view>

namespace vsx {

// A file that does not exist yet is made with newFileMode; an existing one keeps its permissions.
bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* error = nullptr,
                         unsigned newFileMode = 0644);

// Streaming form for large files: write() as often as needed, then commit(); destroying an
// uncommitted writer removes the temporary file and leaves the target untouched.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path, unsigned newFileMode = 0644);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    bool write(std::string_view bytes);
    bool commit();
    const std::string& error() const { return error_; }

private:
    void fail(const std::string& what);
    std::string path_;
    std::string tempPath_;
    std::string error_;
    int fd_ = -1;
    bool failed_ = false;
};

// Whole file as bytes; false when it cannot be read.
bool readFile(const std::string& path, std::string& bytes);

} // namespace vsx
