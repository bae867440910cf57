#pragma once
// Names of the periodic screenshots: one PNG per monitor in the day folder's "PNG" sub-folder,
// "VSX yyyy-mm-dd hhnnss <monitor>.png", the monitor named by where it stands among the others.
#include "platform/Clock.h"

#include <string>
#include <vector>

namespace vsx {

struct MonitorRect {
    int left = 0, top = 0, width = 0, height = 0;
};

// "Primary" for a single monitor; else "Left", "Right" or "Middle" by the left edges, "Top" or
// "Bottom" when all share one left edge, otherwise "Monitor" + the 1-based index. A name that
// two monitors would share (two stacked on the left, a 2x2 wall) gets each one's index appended,
// so no screenshot overwrites another of the same moment.
std::vector<std::string> MonitorNames(const std::vector<MonitorRect>& monitors);

// The parent of the log folder followed by "PNG/".
std::string ScreenshotFolder(const std::string& logFolder);

// folder + "VSX " + date + " " + hhnnss + " " + monitor + ".png".
std::string ScreenshotFileName(const std::string& folder, const LocalDateTime& at, const std::string& monitor);

} // namespace vsx
