#include "platform/AppendFile.h"

#include "platform/Text.h"
#include "platform/WriteFailureWatch.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vsx {

ssize_t FileWriteCalls::write(int fd, const void* data, size_t size) { return ::write(fd, data, size); }
int FileWriteCalls::truncate(int fd, off_t size) { return ::ftruncate(fd, size); }

namespace {

FileWriteCalls systemCalls;
FileWriteCalls* calls = &systemCalls;

// The file ends in the middle of a line: its last byte is not a line end.
bool endsInCutLine(int fd, off_t size)
{
    char last = '\n';
    return size > 0 && ::pread(fd, &last, 1, size - 1) == 1 && last != '\n';
}

} // namespace

void setFileWriteCalls(FileWriteCalls* c) { calls = c ? c : &systemCalls; }

int appendWhole(int fd, std::string_view bytes, std::string_view headerWhenEmpty, bool* headerWritten)
{
    if (headerWritten) *headerWritten = false;
    struct stat st {};
    if (::fstat(fd, &st) != 0) return errno ? errno : EIO;
    const off_t before = st.st_size;
    std::string joined;
    const bool header = before == 0 && !headerWhenEmpty.empty();
    if (header) {
        joined.reserve(headerWhenEmpty.size() + bytes.size());
        joined = headerWhenEmpty;
        joined += bytes;
        bytes = joined;
    } else if (!bytes.empty() && bytes.front() != '\r' && bytes.front() != '\n' && endsInCutLine(fd, before)) {
        // A line cut before (a failure that could not be taken back, a crash in an earlier run)
        // is ended first, unless the new bytes begin with a line end themselves.
        joined.reserve(bytes.size() + 2);
        joined = "\r\n";
        joined += bytes;
        bytes = joined;
    }
    size_t done = 0;
    int error = 0;
    while (done < bytes.size()) {
        const ssize_t n = calls->write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            // A write that takes nothing without saying why is a full medium.
            error = n < 0 && errno != 0 ? errno : ENOSPC;
            break;
        }
        done += size_t(n);
    }
    if (error == 0) {
        if (headerWritten) *headerWritten = header;
        return 0;
    }
    // The file is opened for appending: what went in went at the end, after `before`.
    if (done > 0) calls->truncate(fd, before);
    return error;
}

bool AppendFile::open(const std::string& path)
{
    close();
    path_ = path;
    // Read access lets an append see whether the file ends in a cut line; a file we may only
    // write is appended to all the same.
    fd_ = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno == EACCES) fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    error_ = fd_ < 0 ? errno : 0;
    return fd_ >= 0;
}

long long AppendFile::size() const
{
    struct stat st {};
    return fd_ >= 0 && ::fstat(fd_, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

bool AppendFile::write(std::string_view bytes, std::string_view headerWhenEmpty, bool* headerWritten)
{
    if (headerWritten) *headerWritten = false;
    if (fd_ < 0) {
        if (error_ == 0) error_ = EBADF;
        return false;
    }
    error_ = appendWhole(fd_, bytes, headerWhenEmpty, headerWritten);
    return error_ == 0;
}

bool AppendFile::writeText(std::string_view text) { return write(toCrLf(text)); }

bool AppendFile::heldByAnotherProgram()
{
    if (fd_ < 0) return false;
    // An exclusive whole-file lock (flock), as programs take on a file they keep for themselves.
    if (::flock(fd_, LOCK_SH | LOCK_NB) != 0) return errno == EWOULDBLOCK;
    // A record lock on any part of the file (fcntl), taken by another process or open file.
    struct flock query {};
    query.l_type = F_WRLCK;
    query.l_whence = SEEK_SET;
    query.l_start = 0;
    query.l_len = 0;
    return ::fcntl(fd_, F_OFD_GETLK, &query) == 0 && query.l_type != F_UNLCK;
}

std::string AppendFile::errorText() const { return SystemReason(error_); }

void AppendFile::close()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool appendToFile(const std::string& path, std::string_view bytes, std::string* reason)
{
    AppendFile f(path);
    const bool ok = f.isOpen() && f.write(bytes);
    if (!ok && reason) *reason = f.errorText();
    return ok;
}

bool isHeldError(int error) { return error == EBUSY || error == ETXTBSY || error == EWOULDBLOCK; }

} // namespace vsx
