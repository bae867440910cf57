#pragma once
// The remote-support program the Help menu starts: a separate program, by default "VeldorUD"
// beside this one; [SETTINGS] "RemoteSupportProgram" may name another. A relative name counts
// from the program folder, never from the current directory.
#include <string>

namespace vsx {

class IniFile;

inline constexpr const char* kRemoteSupportKey = "RemoteSupportProgram";
inline constexpr const char* kRemoteSupportDefault = "VeldorUD";

// The full path of the configured program (whether or not it exists).
std::string RemoteSupportProgram(const IniFile& ini, const std::string& programFolder);

} // namespace vsx
