#include "app/ProgramRestart.h"

#include "platform/ProgramLauncher.h"

namespace vsx {

namespace {
bool g_restart = false;
} // namespace

void RequestRestart(bool requested) { g_restart = requested; }
bool RestartRequested() { return g_restart; }

void StartRequestedRestart(const std::string& executable)
{
    if (!g_restart) return;
    g_restart = false;
    StartProgram(executable);
}

} // namespace vsx
