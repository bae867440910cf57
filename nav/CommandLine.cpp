#include "nav/CommandLine.h"

#include "platform/Paths.h"
#include "platform/Text.h"

#include <filesystem>

namespace vsx {

std::string ProjectFileFromArguments(const std::vector<std::string>& arguments)
{
    if (arguments.size() < 2) return {};
    const std::string& path = arguments[1];
    const std::string ext = toLowerAscii(std::filesystem::path(path).extension().string());
    if ((ext != ".vltx" && ext != ".vlt") || !fileExists(path)) return {};
    return path;
}

} // namespace vsx
