#include "canvas/ProjectFileContainer.h"

#include "canvas/DrawingFileError.h"
#include "canvas/ProjectFile.h"

namespace vsx {

namespace {
constexpr std::size_t kOutChunk = 256 * 1024;
constexpr uInt kReadBlock = 4096;  // the reader inflates in blocks of this size

std::string named(const std::string& fileName) { return fileName.empty() ? std::string("The drawing file") : "The drawing file " + fileName; }
}  // namespace

ProjectFileDeflater::ProjectFileDeflater(AtomicFileWriter& file) : file_(file), out_(kOutChunk, '\0')
{
    if (deflateInit(&zs_, Z_DEFAULT_COMPRESSION) != Z_OK) {
        error_ = "cannot start the compression";
        return;
    }
    ready_ = true;
    if (!file_.write(ProjectFileMagic)) error_ = file_.error();
}

ProjectFileDeflater::~ProjectFileDeflater()
{
    if (ready_) deflateEnd(&zs_);
}

bool ProjectFileDeflater::pump(int flush)
{
    for (;;) {
        zs_.next_out = reinterpret_cast<Bytef*>(out_.data());
        zs_.avail_out = uInt(out_.size());
        const int rc = deflate(&zs_, flush);
        if (rc == Z_STREAM_ERROR) {
            error_ = "compression failed";
            return false;
        }
        const std::size_t produced = out_.size() - zs_.avail_out;
        if (produced > 0 && !file_.write(std::string_view(out_.data(), produced))) {
            error_ = file_.error();
            return false;
        }
        if (flush == Z_FINISH ? rc == Z_STREAM_END : zs_.avail_out != 0) return true;
    }
}

void ProjectFileDeflater::write(std::string_view text)
{
    if (!ready_ || !error_.empty()) return;
    while (!text.empty()) {
        // avail_in is 32 bits wide: feed very large pieces in parts.
        const std::size_t part = std::min<std::size_t>(text.size(), 1u << 30);
        zs_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
        zs_.avail_in = uInt(part);
        if (!pump(Z_NO_FLUSH)) return;
        text.remove_prefix(part);
    }
}

bool ProjectFileDeflater::finish()
{
    if (!ready_ || !error_.empty()) return false;
    zs_.next_in = nullptr;
    zs_.avail_in = 0;
    return pump(Z_FINISH);
}

std::string ProjectFileText(std::string_view bytes, const std::string& fileName)
{
    if (bytes.substr(0, ProjectFileMagic.size()) != ProjectFileMagic) return std::string(bytes);
    bytes.remove_prefix(ProjectFileMagic.size());

    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) throw DrawingFileError(named(fileName) + " cannot be read: the decompression did not start");
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    zs.avail_in = uInt(std::min<std::size_t>(bytes.size(), 0xFFFFFFFFu));
    std::string text;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        if (text.size() >= MaxProjectTextBytes) {
            inflateEnd(&zs);
            throw DrawingFileError(named(fileName) + " is damaged: its drawing is larger than 1 GB");
        }
        const std::size_t at = text.size();
        text.resize(at + kReadBlock);
        zs.next_out = reinterpret_cast<Bytef*>(text.data() + at);
        zs.avail_out = kReadBlock;
        rc = inflate(&zs, Z_NO_FLUSH);
        text.resize(at + (kReadBlock - zs.avail_out));
        if (rc == Z_OK) continue;
        if (rc == Z_STREAM_END) break;
        const std::string reason = rc == Z_BUF_ERROR ? std::string("the file ends before its compressed drawing does (truncated)")
                                                     : std::string(zs.msg ? zs.msg : "the compressed drawing cannot be decoded");
        inflateEnd(&zs);
        throw DrawingFileError(named(fileName) + " is damaged: " + reason);
    }
    const bool trailing = zs.avail_in != 0 || bytes.size() > 0xFFFFFFFFu;
    inflateEnd(&zs);
    if (trailing) throw DrawingFileError(named(fileName) + " is damaged: unexpected bytes after its compressed drawing");
    return text;
}

}  // namespace vsx
