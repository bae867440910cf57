#pragma once
// A restart: the program starts itself again once this run has closed every window and saved
// everything (the new run then reads what this one wrote). A window asks for it; the program
// start carries it out after its message loop has ended.
#include <string>

namespace vsx {

void RequestRestart(bool requested = true);
bool RestartRequested();
// Starts the program's own executable, without arguments, when a restart was requested.
void StartRequestedRestart(const std::string& executable);

} // namespace vsx
