// The receiver's line path on recorded NMEA (GGA, RMC, VTG, HDT, ZDA, GSA, GSV, DBT and GLL from
// RTK, heading and sounder receivers), fed in the 1023-byte chunks a poll takes.
// Targets: cutting and parsing at most 1 microsecond per line (BM_CutAndParse, ns_per_line);
// a day's raw log of 3,000,000 lines through the line path in at most 3 s (BM_ReplayDayOfLines).
// BM_ReceiverLinePath adds what the component does per line besides: the owner's line event and
// the raw log, written and flushed line by line. BM_GnssLinePath is the main receiver's whole line
// path in the program: the receiver and the GNSS line handler behind its line event (heading,
// speed, time, fix state, heights; nothing forwarded, no sensors), at most as slow as
// BM_ReceiverLinePath alone was before the handler took the receiver's reading of each line.
#include "input/NmeaLineCutter.h"
#include "input/NmeaParser.h"
#include "input/TVeldorSerialGPS.h"
#include "nav/GnssLineHandler.h"
#include "nav/RealtimeState.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pty.h>
#include <sstream>
#include <unistd.h>

namespace {

std::string recordingsFolder()
{
    std::vector<std::string> candidates;
    if (const char* env = std::getenv("VSX_SHARED_DATA")) candidates.push_back(env);
    const std::filesystem::path source = std::filesystem::path(__FILE__).parent_path().parent_path();
    candidates.push_back((source / "tests/data").string());
    for (const std::string& c : candidates)
        if (std::filesystem::exists(c + "/nmea/nmea-rtk.log")) return c + "/nmea/";
    return {};
}

// Every sentence of the recordings, interleaved file by file the way several sentence types
// arrive from one receiver, each ended with CR LF.
const std::string& recordedMix()
{
    static const std::string mix = [] {
        std::vector<std::vector<std::string>> files;
        const std::string folder = recordingsFolder();
        for (const char* name : {"nmea-rtk.log", "hemi.log", "skytraq-PX1172RH_DS.log", "sounder.log"}) {
            std::ifstream in(folder + name, std::ios::binary);
            std::vector<std::string> lines;
            for (std::string line; std::getline(in, line);) {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                if (!line.empty() && line[0] == '$') lines.push_back(line);
            }
            files.push_back(std::move(lines));
        }
        if (files[0].empty()) {  // recordings not found: a small mix of the same kinds
            files = {{"$GNGGA,132819.60,4134.49795459,N,09345.03431408,W,2,10,0.9,278.161,M,-31.442,M,6.6,0133*6A",
                      "$GNRMC,132819.60,A,4134.49795459,N,09345.03431408,W,0.148,124.888,180320,11.5985,E,D*3F",
                      "$GPVTG,,T,,M,,N,,K,N*2C", "$GPHDT,,T*1B", "$SDDBT,7.7,f,2.3,M,1.3,F*05"}};
        }
        std::string text;
        for (size_t i = 0;; ++i) {
            bool any = false;
            for (const auto& lines : files)
                if (i < lines.size()) {
                    text += lines[i] + "\r\n";
                    any = true;
                }
            if (!any) break;
        }
        return text;
    }();
    return mix;
}

size_t linesIn(const std::string& text) { return size_t(std::count(text.begin(), text.end(), '\n')); }

struct CountingListener : vsx::NmeaParser::Listener {
    bool positionChanged(double, double, double) override { return ++events, true; }
    bool speedChanged(double) override { return ++events, true; }
    long events = 0;
};

// The plain line path: cut, trim, checksum, read into the fix, take into the last values.
// Returns the lines handled.
size_t cutAndParse(vsx::NmeaLineCutter& cutter, vsx::NmeaParser& parser, CountingListener& listener,
                   std::string_view chunk)
{
    size_t lines = 0;
    cutter.append(chunk);
    std::string_view line;
    vsx::NmeaChecksum checksum;
    const auto now = vsx::clock().monotonic();  // the lines of one chunk are heard together
    while (cutter.nextLine(line, checksum)) {
        ++lines;
        parser.Read(line, checksum, now);
        parser.Commit(listener);
    }
    return lines;
}

void BM_CutAndParse(benchmark::State& state)
{
    const std::string& mix = recordedMix();
    vsx::NmeaLineCutter cutter;
    vsx::NmeaParser parser;
    CountingListener listener;
    size_t lines = 0;
    for (auto _ : state) {
        for (size_t at = 0; at < mix.size(); at += 1023)
            lines += cutAndParse(cutter, parser, listener, std::string_view(mix).substr(at, 1023));
    }
    benchmark::DoNotOptimize(listener.events);
    state.SetItemsProcessed(int64_t(lines));
    state.counters["ns_per_line"] =
        benchmark::Counter(double(lines), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["lines_in_mix"] = double(linesIn(mix));
}
BENCHMARK(BM_CutAndParse);

void BM_ReplayDayOfLines(benchmark::State& state)
{
    const std::string& mix = recordedMix();
    constexpr size_t kDay = 3'000'000;
    for (auto _ : state) {
        vsx::NmeaLineCutter cutter;
        vsx::NmeaParser parser;
        CountingListener listener;
        size_t lines = 0, at = 0;
        while (lines < kDay) {
            lines += cutAndParse(cutter, parser, listener, std::string_view(mix).substr(at, 1023));
            at = at + 1023 < mix.size() ? at + 1023 : 0;
        }
        benchmark::DoNotOptimize(listener.events);
    }
    state.SetItemsProcessed(int64_t(state.iterations() * kDay));
}
BENCHMARK(BM_ReplayDayOfLines)->Unit(benchmark::kMillisecond)->Iterations(1);

// A receiver on a pseudo-terminal (its timers need a QCoreApplication); `perLine` is connected to
// its line event. Returns the lines handed out.
template <class PerLine>
size_t receiverLinePath(benchmark::State& state, bool rawLog, PerLine perLine)
{
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char program[] = "bench_nmea";
        static char* argv[] = {program, nullptr};
        static QCoreApplication app(argc, argv);
    }
    const std::string& mix = recordedMix();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("vsx-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    int master = -1, slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return 0;
    }
    {
        vsx::IniFile ini((folder / "settings.ini").string());
        ini.writeString("SERIAL_PORTS", "COM1", name);
    }
    size_t lines = 0;
    {
        vsx::TVeldorSerialGPS gps;
        gps.SettingsFileName = (folder / "settings.ini").string();
        gps.RawLogEnabled = rawLog;
        gps.RawLogFileName = (folder / "raw.log").string();
        QObject::connect(&gps, &vsx::TVeldorSerialGPS::OnNewCommand, [&](vsx::TVeldorSerialGPS* g, const std::string& line) {
            ++lines;
            perLine(g, line);
        });
        gps.Open();
        if (!gps.Connected()) state.SkipWithError(gps.LastError().c_str());
        for (auto _ : state)
            for (size_t at = 0; at < mix.size(); at += 1023) gps.ProcessReceived(std::string_view(mix).substr(at, 1023));
        gps.Close();
    }
    ::close(master);
    ::close(slave);
    std::filesystem::remove_all(folder);
    state.SetItemsProcessed(int64_t(lines));
    state.counters["ns_per_line"] =
        benchmark::Counter(double(lines), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    return lines;
}

void BM_ReceiverLinePath(benchmark::State& state)
{
    receiverLinePath(state, state.range(0) != 0, [](vsx::TVeldorSerialGPS*, const std::string&) {});
}
BENCHMARK(BM_ReceiverLinePath)->ArgName("raw_log")->Arg(0)->Arg(1);

// The GNSS line handler's windows, without windows.
struct QuietGnssWindows : vsx::GnssLineEnvironment {
    bool receiverOpenedByRun() const override { return false; }
    bool mapTimerRunning() const override { return true; }
    void startMapTimer() override {}
    void echoToMonitor(std::string_view) override {}
    std::optional<vsx::OffsetValues> offsetsToTakeOver() const override { return vsx::OffsetValues{}; }
    const vsx::ProjectionSnapshot* snapshot() override { return nullptr; }
    vsx::GridProjection gridProjection() const override { return vsx::GridProjection::TransverseMercator; }
    bool gyroEnabled() const override { return true; }
    void showFixColour(vsx::ColorValue) override {}
    void reportRejectedGga(std::string_view, const char*) override {}
};

void BM_GnssLinePath(benchmark::State& state)
{
    vsx::RealtimeState realtime;
    QuietGnssWindows windows;
    vsx::GnssLineHandler handler(realtime, windows);
    receiverLinePath(state, false, [&](vsx::TVeldorSerialGPS* g, const std::string& line) {
        handler.HandleLine(line, g->LastSentence(), g->Fix());
    });
    benchmark::DoNotOptimize(realtime.GgaTimeText);
}
BENCHMARK(BM_GnssLinePath);

} // namespace
