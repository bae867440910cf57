#pragma once
// Starting another program: the executable by its full path with its arguments, detached, with no
// command interpreter in between. Tests replace the launcher to see what would start.
#include <functional>
#include <string>
#include <vector>

namespace vsx {

// True when the program was started.
using ProgramLauncherFunction = std::function<bool(const std::string& program, const std::vector<std::string>& args)>;

bool StartProgram(const std::string& program, const std::vector<std::string>& args = {});
// An empty function restores the real launcher.
void setProgramLauncher(ProgramLauncherFunction launcher);

// An executable regular file at `path`.
bool isExecutableFile(const std::string& path);

} // namespace vsx
