#pragma once
// Replacing a file so that a power cut or a failed write leaves either the old file or the new
// one, never a torn one: write a temporary file beside the target, flush it to disk, rename it
// over the target.
//
// The temporary file is named after the target: "<target name>.vsx-tmp-" and six letters or
// digits. A save that was cut off (the program killed, the power gone) leaves it behind, and the
// next save into the same folder removes it. A writer holds an exclusive lock on its temporary
// file from creation to rename, so a temporary file that can be locked belongs to a save that
// has ended without finishing; one whose save is still going (in this or another process) is
// left alone, as is every file not named so, not owned by this user, or not a plain file.
#include <string>
#include <string_view>

namespace vsx {

inline constexpr std::string_view kAtomicTempMarker = ".vsx-tmp-";

// Removes the temporary files of cut-off saves in the folder; the number removed.
int removeStaleSaveTemporaries(const std::string& folder);

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
