#pragma once
// The program's windows as main starts them, on a temporary home with the test's own settings
// file and every prompt recorded; the first show of the main window is done when it returns.
#include "platform/Prompts.h"
#include "support/TempHome.h"

#include <functional>
#include <string>

namespace vsx {
class IniFile;
}

namespace vsx::test {

struct RunningProgram {
    // `settings` writes into the settings file before any window exists.
    explicit RunningProgram(const std::function<void(IniFile&)>& settings = {});
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Today's events log as it stands.
    std::string events() const;

    TempHome home;
    RecordingPrompts prompts;
};

} // namespace vsx::test
