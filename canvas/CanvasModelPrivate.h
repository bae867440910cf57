#pragma once
// Internal layer record of CanvasModel: the public CanvasLayer plus the index of its shapes.
#include "canvas/CanvasModel.h"

#include <optional>
#include <vector>

namespace vsx {

struct CanvasModel::LayerEntry {
    CanvasLayer Record;
    // The layer's shapes in no particular order (sort by z position when order matters).
    std::vector<TVShape*> Members;
    // When set, every member has this pen colour / width, so setting the same value again
    // costs nothing. Cleared by any change that makes a member differ.
    std::optional<ColorValue> AllColor;
    std::optional<std::int32_t> AllWidth;
};

} // namespace vsx
