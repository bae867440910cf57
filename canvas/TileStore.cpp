#include "canvas/TileStore.h"

#include "platform/AtomicFile.h"
#include "platform/Paths.h"

#include <string_view>

namespace vsx {

void TileStore::SetFolder(std::string folder)
{
    folder_ = folder.empty() ? std::string() : withTrailingSlash(std::move(folder));
    badFiles_.clear();
}

std::string TileStore::FilePath(const TileKey& k) const
{
    if (folder_.empty()) return {};
    return folder_ + std::to_string(k.z) + "/" + std::to_string(k.x) + "_" + std::to_string(k.y) + ".jpg";
}

const QImage* TileStore::Get(const TileKey& key)
{
    const std::uint64_t packed = pack(key);
    if (auto it = map_.find(packed); it != map_.end()) {
        lru_.splice(lru_.begin(), lru_, it->second);
        return &it->second->second;
    }
    if (folder_.empty() || badFiles_.count(packed)) return nullptr;
    const std::string path = FilePath(key);
    if (!fileExists(path)) return nullptr;
    std::string bytes;
    QImage image;
    // Decided by content: the files hold whatever image format the server sent.
    if (!readFile(path, bytes) || !image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), int(bytes.size()))) {
        badFiles_.insert(packed);
        return nullptr;
    }
    return remember(packed, std::move(image));
}

bool TileStore::Store(const TileKey& key, const QByteArray& body)
{
    QImage image;
    if (body.isEmpty() || !image.loadFromData(body)) return false;
    const std::uint64_t packed = pack(key);
    if (!folder_.empty()) {
        const std::string path = FilePath(key);
        // A tile that cannot be written is still shown; it is simply fetched again next run.
        if (makeFolders(path.substr(0, path.rfind('/'))))
            writeFileAtomically(path, std::string_view(body.constData(), std::size_t(body.size())));
        badFiles_.erase(packed);
    }
    if (auto it = map_.find(packed); it != map_.end()) {
        lru_.erase(it->second);
        map_.erase(it);
    }
    remember(packed, std::move(image));
    return true;
}

const QImage* TileStore::remember(std::uint64_t key, QImage image)
{
    // Painting converts to the buffer's format anyway; converting once here keeps every paint fast.
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                               : QImage::Format_RGB32);
    lru_.emplace_front(key, std::move(image));
    map_[key] = lru_.begin();
    while (lru_.size() > capacity_) {
        map_.erase(lru_.back().first);
        lru_.pop_back();
    }
    return &lru_.front().second;
}

void TileStore::ClearMemory()
{
    lru_.clear();
    map_.clear();
    badFiles_.clear();
}

} // namespace vsx
