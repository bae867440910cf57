#include "platform/AtomicFile.h"

#include <cstdio>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vsx {
namespace {

constexpr size_t kTempSuffixLength = 6;  // what mkostemp fills in

std::string folderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// "<something>.vsx-tmp-" and six letters or digits.
bool isTempName(std::string_view name)
{
    const size_t tail = kAtomicTempMarker.size() + kTempSuffixLength;
    if (name.size() <= tail || name.substr(name.size() - tail, kAtomicTempMarker.size()) != kAtomicTempMarker)
        return false;
    for (char c : name.substr(name.size() - kTempSuffixLength))
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

// Removes one temporary file when no save holds it any longer.
bool removeIfStale(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    bool removed = false;
    struct stat held {}, named {};
    if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        // Still the file that was opened (the name was not taken over meanwhile): unlink it while
        // holding the lock, so no writer can have started on it.
        if (::lstat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino)
            removed = ::unlink(path.c_str()) == 0;
    }
    ::close(fd);
    return removed;
}

} // namespace

int removeStaleSaveTemporaries(const std::string& folder)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return 0;
    std::vector<std::string> candidates;
    while (const dirent* e = ::readdir(dir))
        if (isTempName(e->d_name)) candidates.push_back(e->d_name);
    ::closedir(dir);
    int removed = 0;
    const std::string prefix = folder.empty() ? std::string() : (folder.back() == '/' ? folder : folder + "/");
    for (const std::string& name : candidates) removed += removeIfStale(prefix + name) ? 1 : 0;
    return removed;
}

AtomicFileWriter::AtomicFileWriter(std::string path, unsigned newFileMode) : path_(std::move(path))
{
    // What cut-off saves left in this folder goes first, so they never pile up.
    removeStaleSaveTemporaries(folderOf(path_));
    // The lock marks the file as a save in progress. A sweep in another process may have taken
    // the new file for a stale one in the moment before the lock: then it is gone, and a new
    // name is taken.
    for (int attempt = 0; attempt < 5 && fd_ < 0; ++attempt) {
        tempPath_ = path_ + std::string(kAtomicTempMarker) + std::string(kTempSuffixLength, 'X');
        fd_ = ::mkostemp(tempPath_.data(), O_CLOEXEC);
        if (fd_ < 0) break;
        struct stat st {};
        if (::flock(fd_, LOCK_EX) == 0 && ::fstat(fd_, &st) == 0 && st.st_nlink > 0) break;
        ::close(fd_);
        fd_ = -1;
    }
    if (fd_ < 0) {
        fail("cannot create " + tempPath_);
        return;
    }
    // Keep the target's permissions when it exists, else those asked for a new file.
    struct stat st {};
    ::fchmod(fd_, ::stat(path_.c_str(), &st) == 0 ? (st.st_mode & 07777) : mode_t(newFileMode & 07777));
}

AtomicFileWriter::~AtomicFileWriter()
{
    if (fd_ >= 0) {
        ::unlink(tempPath_.c_str());  // while still locked
        ::close(fd_);
    }
}

void AtomicFileWriter::fail(const std::string& what)
{
    failed_ = true;
    if (error_.empty()) error_ = what + ": " + std::strerror(errno);
}

bool AtomicFileWriter::write(std::string_view bytes)
{
    if (fd_ < 0 || failed_) return false;
    while (!bytes.empty()) {
        ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("cannot write " + path_);
            return false;
        }
        bytes.remove_prefix(size_t(n));
    }
    return true;
}

bool AtomicFileWriter::commit()
{
    if (fd_ < 0 || failed_) return false;
    if (::fsync(fd_) != 0) fail("cannot flush " + path_);
    // Renamed while still locked: until the rename it is a save in progress for every sweep.
    if (!failed_ && ::rename(tempPath_.c_str(), path_.c_str()) != 0) fail("cannot replace " + path_);
    if (failed_) ::unlink(tempPath_.c_str());
    ::close(fd_);
    fd_ = -1;
    if (failed_) return false;
    // Make the rename itself durable.
    const int dfd = ::open(folderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* error, unsigned newFileMode)
{
    AtomicFileWriter w(path, newFileMode);
    bool ok = w.write(bytes) && w.commit();
    if (!ok && error) *error = w.error();
    return ok;
}

bool readFile(const std::string& path, std::string& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bytes.clear();
    // Read in large blocks (the size is not trusted: the file may grow or be a device).
    constexpr std::size_t kBlock = std::size_t(1) << 20;
    std::size_t n = 0;
    do {
        const std::size_t at = bytes.size();
        bytes.resize(at + kBlock);
        n = std::fread(bytes.data() + at, 1, kBlock, f);
        bytes.resize(at + n);
    } while (n == kBlock);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

} // namespace vsx
