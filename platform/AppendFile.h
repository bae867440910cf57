#pragma once
// A log or data file opened for appending that hands every record to the operating system at
// once, so a crash or power cut loses at most the record being written. A record goes in whole or
// not at all: a write that stops part way (a full disk) is taken back, so the file never holds a
// cut line with the next record glued to it.
#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace vsx {

// The system calls through which appends reach the file system. Tests put in their own to make a
// write stop part way or fail, as a full disk does.
class FileWriteCalls {
public:
    virtual ~FileWriteCalls() = default;
    virtual ssize_t write(int fd, const void* data, size_t size);
    virtual int truncate(int fd, off_t size);
};
// Puts `calls` in for every append of the process; nullptr puts the system's own back.
void setFileWriteCalls(FileWriteCalls* calls);

// Appends `bytes` to the end of the file open on `fd`, whole or not at all: when the write stops
// part way, the file is cut back to the size it had before. Should even that fail, the file is
// left ending in a cut line; the next append then starts with a line end of its own ("\r\n"), so
// the next record never runs on from the cut one. A file still empty gets `headerWhenEmpty`
// first, in the same write (`headerWritten` says whether it did). Returns 0, or the errno of the
// failure.
int appendWhole(int fd, std::string_view bytes, std::string_view headerWhenEmpty = {}, bool* headerWritten = nullptr);

class AppendFile {
public:
    AppendFile() = default;
    explicit AppendFile(const std::string& path) { open(path); }
    ~AppendFile() { close(); }
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens (creating) the file; the path is kept when the open fails, for another try.
    bool open(const std::string& path);
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    // The file's size now; -1 when it is not open.
    long long size() const;
    // Writes the bytes as they are, whole or not at all, after `headerWhenEmpty` when the file is
    // empty; false when the file is closed or the write failed.
    bool write(std::string_view bytes, std::string_view headerWhenEmpty = {}, bool* headerWritten = nullptr);
    // Writes the text with CR LF line ends (a text-mode write).
    bool writeText(std::string_view text);
    // Another program holds the file for itself (an exclusive lock on it): it is not for us to
    // write into now. When it is free, a shared lock is taken that lasts until the file is closed,
    // so that no program takes the file for itself in the middle of a record.
    bool heldByAnotherProgram();
    // The errno of the last failed open or write (0 when none), and its words.
    int error() const { return error_; }
    std::string errorText() const;
    void close();

private:
    int fd_ = -1;
    int error_ = 0;
    std::string path_;
};

using AppendFilePtr = std::shared_ptr<AppendFile>;

// Opens, appends and closes in one call; false when the file cannot be opened or written, with
// the system's reason in `reason` when asked.
bool appendToFile(const std::string& path, std::string_view bytes, std::string* reason = nullptr);

// An open that failed because another program holds the file (the errno of the open).
bool isHeldError(int error);

} // namespace vsx
