#pragma once
// Bounding boxes of runs of consecutive shapes in z-order, so that a rebuild showing a small part
// of a large drawing looks only at the runs that reach into view instead of at every shape.
// Consecutive shapes are mostly neighbours on the map (a track is appended segment by segment),
// which keeps the boxes tight. The index follows the model's edits through
// CanvasModel::TakeEditedFrom: appends extend it, an edit re-reads it from the edited run on.
#include "canvas/CanvasViewMapping.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vsx {

class CanvasModel;

class CanvasCullIndex {
public:
    static constexpr std::size_t RunLength = 256;

    // Brings the index up to date with the model's z-order.
    void Update(CanvasModel& model);
    // Calls visit(first, last) for each maximal range [first, last) of z positions whose runs
    // overlap the box, from the bottom up, starting at z position `from`.
    template <class Visit> void ForEachOverlapping(const WorldBox& box, std::size_t from, Visit visit) const
    {
        std::size_t runStart = SIZE_MAX;
        for (std::size_t r = from / RunLength; r < runs_.size(); ++r) {
            const Run& b = runs_[r];
            const bool hit = box.Overlaps(b.MinX, b.MinY, b.MaxX, b.MaxY);
            if (hit && runStart == SIZE_MAX) runStart = std::max(r * RunLength, from);
            if (!hit && runStart != SIZE_MAX) {
                visit(runStart, r * RunLength);
                runStart = SIZE_MAX;
            }
        }
        if (runStart != SIZE_MAX) visit(runStart, count_);
    }
    // Number of shapes in the runs that overlap the box at or above z position `from`.
    std::size_t CountOverlapping(const WorldBox& box, std::size_t from) const;
    // The lowest z position from which the overlapping runs hold at most `budget` shapes: a cap
    // on the work of one rebuild that leaves out the oldest shapes, never the newest.
    std::size_t StartWithinBudget(const WorldBox& box, std::size_t budget) const;
    std::size_t Count() const { return count_; }

private:
    struct Run {
        double MinX, MinY, MaxX, MaxY;
    };
    std::vector<Run> runs_;
    std::size_t count_ = 0;
};

} // namespace vsx
