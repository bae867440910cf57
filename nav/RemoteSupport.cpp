#include "nav/RemoteSupport.h"

#include "platform/IniFile.h"
#include "platform/Paths.h"

#include <filesystem>

namespace vsx {

std::string RemoteSupportProgram(const IniFile& ini, const std::string& programFolder)
{
    std::string configured = ini.readString("SETTINGS", kRemoteSupportKey, "");
    if (configured.empty()) configured = kRemoteSupportDefault;
    const std::filesystem::path p(configured);
    if (p.is_absolute()) return p.lexically_normal().string();
    return (std::filesystem::path(withTrailingSlash(programFolder)) / p).lexically_normal().string();
}

} // namespace vsx
