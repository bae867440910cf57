#pragma once
// Shape id -> shape, an open-addressing hash table that stores only the shape pointers (the key
// is read from the shape), so an entry costs 8 bytes per slot. Linear probing with
// backward-shift deletion: no tombstones, lookups stay short after heavy deletion.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vsx {

class TVShape;

class ShapeIdIndex {
public:
    ShapeIdIndex();
    TVShape* find(std::int32_t id) const;
    bool contains(std::int32_t id) const { return find(id) != nullptr; }
    void insert(TVShape* shape);  // the id must not be present
    // Inserts many (ids not present), growing the table once and keeping several slot reads in
    // flight.
    void insertMany(const std::vector<TVShape*>& shapes);
    void erase(std::int32_t id);
    void clear();
    // Replaces the content by `shapes` (used after deleting many at once).
    void rebuild(const std::vector<TVShape*>& shapes);
    std::size_t size() const { return size_; }

private:
    std::size_t slotOf(std::int32_t id) const;
    std::size_t next(std::size_t i) const;
    void grow(std::size_t minCapacity);
    void place(TVShape* shape);

    std::vector<TVShape*> slots_;
    std::size_t size_ = 0;
};

} // namespace vsx
