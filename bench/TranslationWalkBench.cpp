// A language switch from the Languages menu: every window of the program walked and each of its
// texts looked up, both ways, with the shipped Turkish file.
// Target: a switch under 100 ms, so the menu click answers at once.
#include "app/SharedValues.h"
#include "app/TranslationManager.h"
#include "app/windows/WindowPointers.h"
#include "nav/windows/MainWindow.h"
#include "platform/Paths.h"
#include "program/ProgramStart.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>

namespace {

void BM_LanguageSwitchOfEveryWindow(benchmark::State& state)
{
    std::string home = (std::filesystem::temp_directory_path() / "vsx-bench-XXXXXX").string();
    if (!::mkdtemp(home.data())) std::abort();
    ::setenv("HOME", (home + "/home").c_str(), 1);
    ::setenv("APPDATA", (home + "/appdata").c_str(), 1);
    vsx::makeFolders(home + "/home");
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = QApplication::instance() ? nullptr : new QApplication(argc, argv);
    (void)app;

    // The shipped file as the build lays it out beside the program (one folder up from bench/).
    vsx::makeFolders(home + "/Languages");
    std::filesystem::copy_file(vsx::programFolder() + "../Languages/tr.json", home + "/Languages/tr.json");
    vsx::Translator = new vsx::TranslationManager(home + "/Languages/");
    vsx::InitSharedValues();
    vsx::CreateAllWindows();
    {
        QEventLoop firstShow;  // the main window's first show runs from the event loop
        QTimer::singleShot(50, &firstShow, &QEventLoop::quit);
        firstShow.exec();
    }
    for (QWidget* w : vsx::AllWindows())
        if (w) w->show();
    for (auto _ : state) {
        vsx::FNav->onTurkishTriggered();
        vsx::FNav->onEnglishTriggered();
    }
    state.SetLabel("two switches per iteration");
    vsx::DestroyAllWindows();
    delete vsx::Translator;
    vsx::Translator = nullptr;
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
}
BENCHMARK(BM_LanguageSwitchOfEveryWindow)->Unit(benchmark::kMillisecond);

} // namespace
