#pragma once
// Where the program keeps its things on Linux. Every folder value ends in '/'.
//  - application-data folder (the settings file): $APPDATA when set, else $XDG_CONFIG_HOME,
//    else ~/.config
//  - imagery tile cache: $XDG_CACHE_HOME/Veldor/VSX/MapCache/, else ~/.cache/Veldor/VSX/MapCache/
//  - data root (the dated survey folders): $HOME/VLT/
//  - program folder (the Languages folder beside the executable)
#include <string>

namespace vsx {

std::string appDataFolder();
std::string imageryCacheFolder();
std::string dataRoot();
std::string programFolder();
// Tests and tools that run outside the build folder point the program folder elsewhere; an
// empty folder gives the executable's folder back.
void setProgramFolder(const std::string& folder);

std::string homeFolder();
// Appends '/' when missing.
std::string withTrailingSlash(std::string folder);
// Creates one folder level; true when it exists afterwards.
bool makeFolder(const std::string& path);
bool folderExists(const std::string& path);
bool fileExists(const std::string& path);
// Creates the folder and any missing parents.
bool makeFolders(const std::string& path);

} // namespace vsx
