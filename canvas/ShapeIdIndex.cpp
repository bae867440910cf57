#include "canvas/ShapeIdIndex.h"

#include "canvas/Shapes.h"

namespace vsx {

namespace {
constexpr std::size_t kMinCapacity = 64;
// Grows at 3/4 load: short probe runs, and 8 bytes per slot stay under 22 bytes per shape.
bool overLoaded(std::size_t size, std::size_t capacity) { return size * 4 > capacity * 3; }
std::size_t capacityFor(std::size_t count)
{
    std::size_t cap = kMinCapacity;
    while (overLoaded(count, cap)) cap *= 2;
    return cap;
}
} // namespace

ShapeIdIndex::ShapeIdIndex() : slots_(kMinCapacity, nullptr), mask_(kMinCapacity - 1) {}

std::size_t ShapeIdIndex::slotOf(std::int32_t id) const
{
    // Fibonacci hashing spreads consecutive ids over the table.
    const std::uint64_t h = std::uint64_t(std::uint32_t(id)) * 0x9E3779B97F4A7C15ull;
    return std::size_t(h >> 32) & mask_;
}

TVShape* ShapeIdIndex::find(std::int32_t id) const
{
    for (std::size_t i = slotOf(id);; i = (i + 1) & mask_) {
        TVShape* s = slots_[i];
        if (!s) return nullptr;
        if (s->Id == id) return s;
    }
}

void ShapeIdIndex::place(TVShape* shape)
{
    std::size_t i = slotOf(shape->Id);
    while (slots_[i]) i = (i + 1) & mask_;
    slots_[i] = shape;
}

void ShapeIdIndex::grow(std::size_t minCapacity)
{
    std::vector<TVShape*> old;
    old.swap(slots_);
    slots_.assign(minCapacity, nullptr);
    mask_ = minCapacity - 1;
    for (TVShape* s : old)
        if (s) place(s);
}

void ShapeIdIndex::insert(TVShape* shape)
{
    if (overLoaded(size_ + 1, slots_.size())) grow(slots_.size() * 2);
    place(shape);
    ++size_;
}

void ShapeIdIndex::erase(std::int32_t id)
{
    std::size_t i = slotOf(id);
    for (;; i = (i + 1) & mask_) {
        if (!slots_[i]) return;
        if (slots_[i]->Id == id) break;
    }
    // Backward shift: pull later entries of the probe run into the hole.
    std::size_t hole = i;
    for (std::size_t j = (i + 1) & mask_; slots_[j]; j = (j + 1) & mask_) {
        const std::size_t home = slotOf(slots_[j]->Id);
        // Move j into the hole when its home lies cyclically outside (hole, j].
        const bool homeInRange = (hole <= j) ? (home > hole && home <= j) : (home > hole || home <= j);
        if (!homeInRange) {
            slots_[hole] = slots_[j];
            hole = j;
        }
    }
    slots_[hole] = nullptr;
    --size_;
}

void ShapeIdIndex::clear()
{
    slots_.assign(kMinCapacity, nullptr);
    mask_ = kMinCapacity - 1;
    size_ = 0;
}

void ShapeIdIndex::rebuild(const std::vector<TVShape*>& shapes)
{
    const std::size_t cap = capacityFor(shapes.size());
    slots_.assign(cap, nullptr);
    mask_ = cap - 1;
    for (TVShape* s : shapes) place(s);
    size_ = shapes.size();
}

} // namespace vsx
