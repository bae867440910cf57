#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace vsx {

AtomicFileWriter::AtomicFileWriter(std::string path, unsigned newFileMode) : path_(std::move(path))
{
    tempPath_ = path_ + ".tmp-XXXXXX";
    fd_ = ::mkstemp(tempPath_.data());
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
        ::close(fd_);
        ::unlink(tempPath_.c_str());
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
    if (::close(fd_) != 0) fail("cannot close " + path_);
    fd_ = -1;
    if (failed_) {
        ::unlink(tempPath_.c_str());
        return false;
    }
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0) {
        fail("cannot replace " + path_);
        ::unlink(tempPath_.c_str());
        return false;
    }
    // Make the rename itself durable.
    std::string dir = path_.substr(0, path_.find_last_of('/') == std::string::npos ? 0 : path_.find_last_of('/'));
    int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
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
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace vsx
