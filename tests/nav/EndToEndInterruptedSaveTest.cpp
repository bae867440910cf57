// Saves of a large drawing cut off by killing the process that makes them: the drawing saved
// before stays whole and opens, and what the cut-off saves left in the project folder is gone
// after the program's start and after the surveyor's next File > Save.
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/WindowPointers.h"
#include "canvas/CanvasModel.h"
#include "canvas/ProjectFile.h"
#include "canvas/VeldorCanvas.h"
#include "nav/windows/MainWindow.h"
#include "platform/AtomicFile.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "program/ProgramStart.h"

#include "support/ControlInput.h"
#include "support/TempHome.h"

#include <QTest>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vsx;
using namespace vsx::test;

namespace {

std::vector<std::string> temporariesIn(const std::string& folder)
{
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().filename().string().find(kAtomicTempMarker) != std::string::npos) found.push_back(e.path().string());
    return found;
}

// A child process starts saving `model` to `path` and is killed once the save has written part
// of its temporary file. Returns the temporary file it left, or "" when it was not cut off.
std::string killedSave(const CanvasModel& model, const std::string& path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const size_t before = temporariesIn(folder).size();
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            SaveShapeFile(model, path, 0, false);
        } catch (...) {
        }
        ::_exit(0);
    }
    if (child < 0) return "";
    std::string left;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (left.empty() && std::chrono::steady_clock::now() < deadline) {
        for (const std::string& t : temporariesIn(folder)) {
            std::error_code ec;
            if (std::filesystem::file_size(t, ec) > 0 && !ec) left = t;
        }
        if (left.empty()) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFSIGNALED(status) || temporariesIn(folder).size() != before + 1) return "";
    return left;
}

int linesOn(const CanvasModel& m)
{
    int n = 0;
    for (const TVShape* s : m.Shapes()) n += s->ShapeType == 3 ? 1 : 0;
    return n;
}

} // namespace

TEST(EndToEndInterruptedSave, CutOffSavesLeaveTheDrawingWholeAndNoTemporaryFile)
{
    TempHome home;
    InitSharedValues();
    makeFolders(ProjectFolder);
    const std::string saved = ProjectFolder + "2024-05-01 1200.vltx";
    {
        CanvasModel previous;
        for (int i = 0; i < 3; ++i) previous.AddLine(500000 + i, 4500000, 500010 + i, 4500010, 0);
        ASSERT_TRUE(SaveShapeFile(previous, saved, 0, false));
    }
    IniFile(GetIniFileName()).writeString("FILE", "Last File Saved", saved);
    CanvasModel large;
    for (int i = 0; i < 300000; ++i) large.AddLine(500000 + i * 0.01, 4500000, 500000 + i * 0.01, 4500100, 0);

    // Killed while replacing the saved drawing: the drawing stays as it was.
    const std::string left = killedSave(large, saved);
    ASSERT_FALSE(left.empty()) << "the save was not cut off";
    {
        CanvasModel check;
        ASSERT_TRUE(LoadShapeFile(check, saved, 0, 0, 0));
        EXPECT_EQ(linesOn(check), 3);
    }

    // The program starts: it opens the drawing, and the cut-off save's file is gone.
    CreateAllWindows();
    ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 10000));
    EXPECT_EQ(linesOn(FNav->fcad->Model()), 3);
    EXPECT_TRUE(temporariesIn(ProjectFolder).empty()) << temporariesIn(ProjectFolder).front();

    // Another save is cut off while the program runs; the surveyor's next Save clears it away.
    ASSERT_FALSE(killedSave(large, ProjectFolder + "2024-05-01 1201.vltx").empty()) << "the save was not cut off";
    chooseMenuItem(FNav->menuBar(), "Save1");
    EXPECT_TRUE(temporariesIn(ProjectFolder).empty()) << temporariesIn(ProjectFolder).front();
    const std::string next = IniFile(GetIniFileName()).readString("FILE", "Last File Saved", "");
    CanvasModel reopened;
    ASSERT_TRUE(LoadShapeFile(reopened, next, 0, 0, 0)) << next;
    EXPECT_EQ(linesOn(reopened), 3);
    DestroyAllWindows();
}
