// The lock of the device settings window: about a hundred keys written in one settings session,
// the file replaced atomically, and seven events-log lines appended and flushed.
// Target: a lock under 20 ms, so the click never stalls the position and depth handlers.
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "input/DeviceSettings.h"
#include "input/windows/DeviceSettingsWindow.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

#include <QApplication>
#include <QCheckBox>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

// A temporary home for the settings file and the events log, made once per run.
const std::string& benchHome()
{
    // Kept alive to the very end: the clean-up below runs after static destructors.
    static const std::string& root = *new std::string([] {
        std::string t = (std::filesystem::temp_directory_path() / "vsx-bench-XXXXXX").string();
        if (!::mkdtemp(t.data())) std::abort();
        ::setenv("HOME", (t + "/home").c_str(), 1);
        ::setenv("APPDATA", (t + "/appdata").c_str(), 1);
        vsx::makeFolders(t + "/home");
        vsx::InitSharedValues();
        vsx::makeFolders(vsx::LogFolder);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(benchHome(), ec);
        });
        return t + "/";
    }());
    return root;
}

vsx::DeviceSettings sampleSettings()
{
    vsx::DeviceSettings s;
    vsx::PortGroupTexts p;
    p.port = "COM3";
    s.setGnssPort(p);
    s.setSounderPort(p);
    for (int i = 0; i < vsx::kGeodeticFieldCount; ++i) s.setGeodeticText(vsx::GeodeticField(i), "123.456");
    return s;
}

void BM_DeviceSettingsLockSave(benchmark::State& state)
{
    benchHome();
    const vsx::DeviceSettings s = sampleSettings();
    const std::string path = vsx::GetIniFileName();
    for (auto _ : state) {
        vsx::IniFile ini(path);
        vsx::DeviceSettings::writeLockSettings(ini, true);
        s.saveDeviceSections(ini);
        for (const std::string& line : s.summaryLines()) vsx::AppendEventLine(line, vsx::EventsLogFileName());
        s.saveDisplaySections(ini, true);
        ini.flush();
    }
}
BENCHMARK(BM_DeviceSettingsLockSave)->Unit(benchmark::kMillisecond);

void BM_DeviceSettingsWindowLockClick(benchmark::State& state)
{
    benchHome();
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = QApplication::instance() ? nullptr : new QApplication(argc, argv);
    (void)app;
    auto window = std::make_unique<vsx::DeviceSettingsWindow>();
    for (auto _ : state) {
        window->lockStateCheck->setChecked(true);
        state.PauseTiming();
        window->lockStateCheck->setChecked(false);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeviceSettingsWindowLockClick)->Unit(benchmark::kMillisecond);

} // namespace
