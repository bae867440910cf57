#include "RunningProgram.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/WindowPointers.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "program/ProgramStart.h"

#include <QTest>
#include <gtest/gtest.h>

namespace vsx::test {

RunningProgram::RunningProgram(const std::function<void(IniFile&)>& settings)
{
    if (settings) {
        IniFile ini(GetIniFileName());
        settings(ini);
    }
    InitSharedValues();
    setPrompts(&prompts);
    CreateAllWindows();
    EXPECT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 3000))
        << "the main window's first show ran";
}

RunningProgram::~RunningProgram()
{
    DestroyAllWindows();
    setPrompts(nullptr);
}

std::string RunningProgram::events() const { return home.readFile(EventsLogFileName().substr(home.root().size())); }

} // namespace vsx::test
