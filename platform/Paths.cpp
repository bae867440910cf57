#include "platform/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vsx {
namespace {

std::string& programFolderOverride()
{
    static std::string folder;
    return folder;
}

std::string envOrEmpty(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

} // namespace

std::string withTrailingSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string homeFolder()
{
    std::string home = envOrEmpty("HOME");
    if (home.empty()) {
        if (const passwd* pw = getpwuid(getuid())) home = pw->pw_dir ? pw->pw_dir : "";
    }
    if (home.empty()) home = "/tmp";
    return withTrailingSlash(home);
}

std::string appDataFolder()
{
    std::string folder = envOrEmpty("APPDATA");
    if (folder.empty()) folder = envOrEmpty("XDG_CONFIG_HOME");
    if (folder.empty()) folder = homeFolder() + ".config";
    return withTrailingSlash(folder);
}

std::string imageryCacheFolder()
{
    std::string folder = envOrEmpty("XDG_CACHE_HOME");
    if (folder.empty()) folder = homeFolder() + ".cache";
    return withTrailingSlash(folder) + "Veldor/VSX/MapCache/";
}

std::string dataRoot() { return homeFolder() + "VLT/"; }

void setProgramFolder(const std::string& folder)
{
    programFolderOverride() = folder.empty() ? std::string() : withTrailingSlash(folder);
}

std::string programFolder()
{
    if (!programFolderOverride().empty()) return programFolderOverride();
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return withTrailingSlash(std::filesystem::current_path(ec).string());
    return withTrailingSlash(exe.parent_path().string());
}

bool folderExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool fileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool makeFolder(const std::string& path)
{
    if (folderExists(path)) return true;
    return ::mkdir(path.c_str(), 0755) == 0 || folderExists(path);
}

bool makeFolders(const std::string& path)
{
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return folderExists(path);
}

} // namespace vsx
