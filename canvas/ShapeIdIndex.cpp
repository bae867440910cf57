#include "canvas/ShapeIdIndex.h"

#include "canvas/Shapes.h"

namespace vsx {

namespace {
constexpr std::size_t kMinCapacity = 64;
// Grows by half at 4/5 load: 8 bytes per slot come to 10 to 15 bytes per shape. Any capacity
// works, as slots are found by scaling the hash rather than by masking it.
bool overLoaded(std::size_t size, std::size_t capacity) { return size * 5 > capacity * 4; }
std::size_t grown(std::size_t capacity) { return capacity + capacity / 2; }
std::size_t capacityFor(std::size_t count)
{
    std::size_t cap = kMinCapacity;
    while (overLoaded(count, cap)) cap = grown(cap);
    return cap;
}
} // namespace

ShapeIdIndex::ShapeIdIndex() : slots_(kMinCapacity, nullptr) {}

std::size_t ShapeIdIndex::slotOf(std::int32_t id) const
{
    // Fibonacci hashing spreads consecutive ids evenly; the product scales it to the table.
    const std::uint32_t h = std::uint32_t(id) * 0x9E3779B1u;
    return std::size_t((std::uint64_t(h) * slots_.size()) >> 32);
}

std::size_t ShapeIdIndex::next(std::size_t i) const { return i + 1 == slots_.size() ? 0 : i + 1; }

TVShape* ShapeIdIndex::find(std::int32_t id) const
{
    for (std::size_t i = slotOf(id);; i = next(i)) {
        TVShape* s = slots_[i];
        if (!s) return nullptr;
        if (s->Id == id) return s;
    }
}

void ShapeIdIndex::place(TVShape* shape)
{
    std::size_t i = slotOf(shape->Id);
    while (slots_[i]) i = next(i);
    slots_[i] = shape;
}

void ShapeIdIndex::grow(std::size_t minCapacity)
{
    std::vector<TVShape*> old;
    old.swap(slots_);
    slots_.assign(minCapacity, nullptr);
    for (TVShape* s : old)
        if (s) place(s);
}

void ShapeIdIndex::insert(TVShape* shape)
{
    if (overLoaded(size_ + 1, slots_.size())) grow(grown(slots_.size()));
    place(shape);
    ++size_;
}

void ShapeIdIndex::insertMany(const std::vector<TVShape*>& shapes)
{
    const std::size_t cap = capacityFor(size_ + shapes.size());
    if (cap > slots_.size()) grow(cap);
    constexpr std::size_t kAhead = 16;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (i + kAhead < shapes.size()) __builtin_prefetch(&slots_[slotOf(shapes[i + kAhead]->Id)], 1);
        place(shapes[i]);
    }
    size_ += shapes.size();
}

void ShapeIdIndex::erase(std::int32_t id)
{
    std::size_t i = slotOf(id);
    for (;; i = next(i)) {
        if (!slots_[i]) return;
        if (slots_[i]->Id == id) break;
    }
    // Backward shift: pull later entries of the probe run into the hole.
    std::size_t hole = i;
    for (std::size_t j = next(i); slots_[j]; j = next(j)) {
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
    size_ = 0;
}

void ShapeIdIndex::rebuild(const std::vector<TVShape*>& shapes)
{
    const std::size_t cap = capacityFor(shapes.size());
    slots_.assign(cap, nullptr);
    for (TVShape* s : shapes) place(s);
    size_ = shapes.size();
}

} // namespace vsx
