#include "canvas/CanvasCullIndex.h"

#include "canvas/CanvasModel.h"

#include <algorithm>
#include <cmath>

namespace vsx {

void CanvasCullIndex::Update(CanvasModel& model)
{
    const std::span<const TVShape* const> shapes = model.Shapes();
    const std::size_t from = std::min({model.TakeEditedFrom(), count_, shapes.size()});
    const std::size_t firstRun = from / RunLength;
    runs_.resize(firstRun);
    for (std::size_t r = firstRun; r * RunLength < shapes.size(); ++r) {
        Run b{INFINITY, INFINITY, -INFINITY, -INFINITY};
        const std::size_t end = std::min(shapes.size(), (r + 1) * RunLength);
        for (std::size_t i = r * RunLength; i < end; ++i) {
            const TVShape* s = shapes[i];
            if (std::isnan(s->MinX) || std::isnan(s->MinY) || std::isnan(s->MaxX) || std::isnan(s->MaxY)) {
                // Never provably outside: the run is always looked at.
                b = {-INFINITY, -INFINITY, INFINITY, INFINITY};
                break;
            }
            b.MinX = std::min(b.MinX, s->MinX), b.MaxX = std::max(b.MaxX, s->MaxX);
            b.MinY = std::min(b.MinY, s->MinY), b.MaxY = std::max(b.MaxY, s->MaxY);
        }
        runs_.push_back(b);
    }
    count_ = shapes.size();
}

std::size_t CanvasCullIndex::CountOverlapping(const WorldBox& box, std::size_t from) const
{
    std::size_t n = 0;
    ForEachOverlapping(box, from, [&n](std::size_t first, std::size_t last) { n += last - first; });
    return n;
}

std::size_t CanvasCullIndex::StartWithinBudget(const WorldBox& box, std::size_t budget) const
{
    std::size_t n = 0;
    for (std::size_t r = runs_.size(); r-- > 0;) {
        const Run& b = runs_[r];
        if (!box.Overlaps(b.MinX, b.MinY, b.MaxX, b.MaxY)) continue;
        const std::size_t first = r * RunLength, size = std::min(count_, first + RunLength) - first;
        if (n + size > budget) return first + (size - (budget - n));
        n += size;
    }
    return 0;
}

} // namespace vsx
