#pragma once
// The project file named on the command line: the first argument after the program, when it is
// an existing file whose extension is ".vltx" or ".vlt" in any letter case; empty otherwise.
#include <string>
#include <vector>

namespace vsx {

std::string ProjectFileFromArguments(const std::vector<std::string>& arguments);

} // namespace vsx
