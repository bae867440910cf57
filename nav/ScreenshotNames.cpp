#include "nav/ScreenshotNames.h"

#include "platform/Paths.h"

#include <cstdio>
#include <filesystem>
#include <map>

namespace vsx {

std::vector<std::string> MonitorNames(const std::vector<MonitorRect>& m)
{
    if (m.size() == 1) return {"Primary"};
    std::vector<std::string> names;
    bool oneLeftEdge = true;
    for (const MonitorRect& r : m) oneLeftEdge &= r.left == m.front().left;
    for (size_t i = 0; i < m.size(); ++i) {
        bool leftOf = false, rightOf = false, above = false, below = false;
        for (size_t j = 0; j < m.size(); ++j) {
            if (j == i) continue;
            leftOf |= m[j].left < m[i].left;
            rightOf |= m[j].left > m[i].left;
            above |= m[j].top < m[i].top;
            below |= m[j].top > m[i].top;
        }
        std::string name = "Monitor" + std::to_string(i + 1);
        if (!leftOf && rightOf) name = "Left";
        else if (!rightOf && leftOf) name = "Right";
        else if (leftOf && rightOf) name = "Middle";
        else if (oneLeftEdge && !above && below) name = "Top";
        else if (oneLeftEdge && !below && above) name = "Bottom";
        names.push_back(name);
    }
    std::map<std::string, int> uses;
    for (const std::string& n : names) ++uses[n];
    for (size_t i = 0; i < names.size(); ++i)
        if (uses[names[i]] > 1) names[i] += std::to_string(i + 1);
    return names;
}

std::string ScreenshotFolder(const std::string& logFolder)
{
    std::filesystem::path p(logFolder);
    if (!p.has_filename()) p = p.parent_path();  // "…/LOG/" names the folder LOG
    return withTrailingSlash(p.parent_path().string()) + "PNG/";
}

std::string ScreenshotFileName(const std::string& folder, const LocalDateTime& t, const std::string& monitor)
{
    char time[16];
    std::snprintf(time, sizeof time, "%02d%02d%02d", t.hour, t.minute, t.second);
    return withTrailingSlash(folder) + "VSX " + formatDate(t) + " " + time + " " + monitor + ".png";
}

} // namespace vsx
