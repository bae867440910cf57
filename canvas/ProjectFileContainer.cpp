#include "canvas/ProjectFileContainer.h"

#include "canvas/DrawingFileError.h"
#include "canvas/ProjectFile.h"

namespace vsx {

namespace {
constexpr std::size_t kOutChunk = 256 * 1024;
constexpr uInt kReadBlock = 1u << 20;  // the reader inflates in blocks of this size

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
    // Drawing text compresses about five to one; a first guess saves most regrowing.
    text.reserve(std::min<std::size_t>(bytes.size() * 6 + kReadBlock, MaxProjectTextBytes));
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

InflatedLines::InflatedLines(std::string_view compressed, std::string fileName)
    : compressed_(compressed), fileName_(std::move(fileName)), worker_([this] { inflateAll(); })
{
}

InflatedLines::~InflatedLines()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void InflatedLines::inflateAll()
{
    constexpr std::size_t kBlock = std::size_t(4) << 20;
    constexpr std::size_t kAhead = 4;
    auto fail = [this](std::string why) {
        std::lock_guard lock(mutex_);
        error_ = named(fileName_) + why;
    };
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) {
        fail(" cannot be read: the decompression did not start");
    } else {
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed_.data()));
        zs.avail_in = uInt(std::min<std::size_t>(compressed_.size(), 0xFFFFFFFFu));
        std::size_t total = 0;
        int rc = Z_OK;
        while (rc == Z_OK) {
            std::string block(kBlock, '\0');
            zs.next_out = reinterpret_cast<Bytef*>(block.data());
            zs.avail_out = uInt(kBlock);
            while (rc == Z_OK && zs.avail_out > 0) rc = inflate(&zs, Z_NO_FLUSH);
            block.resize(kBlock - zs.avail_out);
            total += block.size();
            if (rc != Z_OK && rc != Z_STREAM_END) {
                fail(rc == Z_BUF_ERROR ? std::string(" is damaged: the file ends before its compressed drawing does (truncated)")
                                       : " is damaged: " + std::string(zs.msg ? zs.msg : "the compressed drawing cannot be decoded"));
                break;
            }
            if (total > MaxProjectTextBytes) {
                fail(" is damaged: its drawing is larger than 1 GB");
                break;
            }
            if (rc == Z_STREAM_END && (zs.avail_in != 0 || compressed_.size() > 0xFFFFFFFFu))
                fail(" is damaged: unexpected bytes after its compressed drawing");
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stop_ || ready_.size() < kAhead; });
            if (stop_) break;
            ready_.push_back(std::move(block));
            changed_.notify_all();
        }
        inflateEnd(&zs);
    }
    std::lock_guard lock(mutex_);
    done_ = true;
    changed_.notify_all();
}

bool InflatedLines::nextBlock()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !ready_.empty() || done_; });
    if (ready_.empty()) return false;
    block_ = std::move(ready_.front());
    ready_.pop_front();
    pos_ = 0;
    changed_.notify_all();
    return true;
}

bool InflatedLines::next(std::string_view& line)
{
    joined_.clear();
    for (;;) {
        const std::string_view rest = std::string_view(block_).substr(pos_);
        const std::size_t nl = rest.find('\n');
        if (nl != std::string_view::npos) {
            pos_ += nl + 1;
            if (joined_.empty()) {
                line = rest.substr(0, nl);
            } else {
                joined_.append(rest.substr(0, nl));
                line = joined_;
            }
            break;
        }
        joined_.append(rest);
        pos_ = block_.size();
        if (!nextBlock()) {
            if (joined_.empty()) return false;
            line = joined_;  // the last line without an end
            break;
        }
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
}

void InflatedLines::finish()
{
    std::string_view line;
    while (next(line)) {
    }
    if (worker_.joinable()) worker_.join();
    if (!error_.empty()) throw DrawingFileError(error_);
}

}  // namespace vsx
