#include "TempHome.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vsx::test {
namespace {
bool save(const char* name, std::string& value)
{
    const char* v = std::getenv(name);
    if (v) value = v;
    return v != nullptr;
}
void restore(const char* name, bool had, const std::string& value)
{
    if (had) ::setenv(name, value.c_str(), 1);
    else ::unsetenv(name);
}
} // namespace

TempHome::TempHome()
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "vsx-test-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    root_ = tmpl + "/";
    hadHome_ = save("HOME", oldHome_);
    hadAppData_ = save("APPDATA", oldAppData_);
    hadXdg_ = save("XDG_CONFIG_HOME", oldXdg_);
    hadXdgCache_ = save("XDG_CACHE_HOME", oldXdgCache_);
    std::filesystem::create_directories(root_ + "home");
    std::filesystem::create_directories(root_ + "appdata");
    ::setenv("HOME", (root_ + "home").c_str(), 1);
    ::setenv("APPDATA", (root_ + "appdata").c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_CACHE_HOME");
}

TempHome::~TempHome()
{
    restore("HOME", hadHome_, oldHome_);
    restore("APPDATA", hadAppData_, oldAppData_);
    restore("XDG_CONFIG_HOME", hadXdg_, oldXdg_);
    restore("XDG_CACHE_HOME", hadXdgCache_, oldXdgCache_);
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

std::string TempHome::iniPath() const { return root_ + "appdata/Veldor/VSX/VeldorSX.ini"; }

void TempHome::writeFile(const std::string& relative, const std::string& bytes) const
{
    std::filesystem::path p(root_ + relative);
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << bytes;
}

std::string TempHome::readFile(const std::string& relative) const
{
    std::ifstream in(relative.rfind('/', 0) == 0 ? relative : root_ + relative, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string sharedDataFolder()
{
    const char* env = std::getenv("VSX_SHARED_DATA");
    std::string folder = env ? env : "";
#ifdef VSX_SHARED_DATA_DEFAULT
    if (folder.empty()) folder = VSX_SHARED_DATA_DEFAULT;
#endif
    if (folder.empty() || !std::filesystem::exists(folder)) return {};
    return folder + "/";
}

} // namespace vsx::test
