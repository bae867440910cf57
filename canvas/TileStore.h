#pragma once
// Imagery tiles kept decoded in memory, least recently used first out, over a disk cache of the
// tile files as the server sent them ("<folder>/<z>/<x>_<y>.jpg"). Only a body that decodes as
// an image is ever written, and it is written whole or not at all; a file on disk that does not
// decode counts as missing, so the tile is fetched again.
#include "canvas/TileMath.h"

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace vsx {

class TileStore {
public:
    // Above one view of 100 tiles with room for panning back and forth: about 128 MiB decoded.
    static constexpr std::size_t DefaultCapacity = 512;

    explicit TileStore(std::size_t capacity = DefaultCapacity) : capacity_(capacity < 1 ? 1 : capacity) {}

    // The disk cache folder (with or without a trailing '/'); empty keeps tiles in memory only.
    void SetFolder(std::string folder);
    const std::string& Folder() const { return folder_; }
    std::string FilePath(const TileKey& key) const;

    // The tile from memory, else from its file; null when there is no good one.
    const QImage* Get(const TileKey& key);
    // True when `body` decodes as an image: then it is kept in memory and written to its file.
    bool Store(const TileKey& key, const QByteArray& body);
    // Empties the memory; the files stay.
    void ClearMemory();
    std::size_t MemoryCount() const { return map_.size(); }

private:
    static std::uint64_t pack(const TileKey& k)
    {
        return (std::uint64_t(k.z) << 56) | (std::uint64_t(std::uint32_t(k.x)) << 28) | std::uint32_t(k.y);
    }
    const QImage* remember(std::uint64_t key, QImage image);

    std::size_t capacity_;
    std::string folder_;
    std::list<std::pair<std::uint64_t, QImage>> lru_;  // most recent first
    std::unordered_map<std::uint64_t, std::list<std::pair<std::uint64_t, QImage>>::iterator> map_;
    std::unordered_set<std::uint64_t> badFiles_;  // files that did not decode: not read again
};

} // namespace vsx
