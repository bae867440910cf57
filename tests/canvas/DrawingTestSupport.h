#pragma once
// Helpers of the drawing-file tests: a readable description of a shape's stored fields, so whole
// drawings compare as lists of lines; the peer programs are in support/PeerPrograms.h.
#include "canvas/CanvasModel.h"
#include "support/PeerPrograms.h"

#include <string>
#include <vector>

namespace vsx::test {

// "LINE L1 c255 w2 | 1.000000 2.000000 3.000000 4.000000" and the like; the fields a drawing
// file keeps, not the id.
std::string describeShape(const CanvasModel& model, const TVShape& s);
std::vector<std::string> describeDrawing(const CanvasModel& model);
std::vector<std::string> describeLayers(const CanvasModel& model);

}  // namespace vsx::test
