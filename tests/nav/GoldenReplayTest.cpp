// Recordings replayed through the receiver's byte seam (TVeldorSerialGPS::ProcessReceived) and
// compared, byte for byte, with golden files beside them in tests/data/nmea: the fixes the
// program publishes, one line per GGA, and for the recordings of a survey the sounding CSV and
// Simple XYZ file the whole program writes with a fixed settings file and a fixed clock.
//
// A golden file is rewritten only when asked by the recording's name:
//     VSX_GOLDEN_REWRITE=hemi,survey build/tests/test_nav --gtest_filter='GoldenReplay.*'
// then reviewed with `git diff tests/data/nmea` (tests/data/README.md says how).
#include "MainWindowDriver.h"
#include "NavTestSupport.h"

#include "app/SharedValues.h"
#include "program/ProgramStart.h"
#include "app/windows/WindowPointers.h"
#include "input/NmeaParser.h"
#include "input/TVeldorSerialGPS.h"
#include "nav/GnssLineHandler.h"
#include "nav/RealtimeState.h"
#include "nav/SurveyRun.h"
#include "nav/windows/MainWindow.h"
#include "platform/Numbers.h"
#include "tools/windows/OffsetsWindow.h"

#include "support/ControlInput.h"
#include "support/MissingPeer.h"
#include "support/PtyPair.h"
#include "support/TempHome.h"

#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vsx;
using namespace vsx::test;

namespace {

// A recording: the GNSS receiver's lines and, for a survey, the echosounder's. Lines that begin
// with the raw log's time stamp ("yyyy-mm-dd hh:mm:ss.zzz ", the program's own logs with Log
// Time on) are replayed at that time; the others 100 ms apart.
struct Recording {
    const char* name;
    const char* gnss;
    const char* sounder;  // null: no survey records
};

const Recording kRecordings[] = {
    {"nmea-rtk", "nmea-rtk.log", nullptr},
    {"hemi", "hemi.log", nullptr},
    {"skytraq-PX1172RH_DS", "skytraq-PX1172RH_DS.log", nullptr},
    {"sounder", "sounder.log", nullptr},
    {"survey", "survey-gnss.log", "survey-sounder.log"},
    {"dropout", "dropout-gnss.log", "dropout-sounder.log"},
};

constexpr LocalDateTime kUnstampedStart{2024, 5, 1, 10, 0, 0, 0};

struct TimedLine {
    std::optional<LocalDateTime> at;
    std::string text;
    bool fromSounder = false;  // in a survey: the echosounder's line
};

std::optional<LocalDateTime> stampOf(const std::string& line)
{
    // "2024-05-01 23:59:50.000 "
    if (line.size() < 24 || line[4] != '-' || line[7] != '-' || line[10] != ' ' || line[13] != ':' ||
        line[16] != ':' || line[19] != '.' || line[23] != ' ')
        return std::nullopt;
    auto n = [&](size_t at, size_t len) { return int(strToIntDef(std::string_view(line).substr(at, len), -1)); };
    LocalDateTime t{n(0, 4), n(5, 2), n(8, 2), n(11, 2), n(14, 2), n(17, 2), n(20, 3)};
    if (t.year < 0 || t.month < 0 || t.day < 0 || t.hour < 0 || t.minute < 0 || t.second < 0 || t.millisecond < 0)
        return std::nullopt;
    return t;
}

std::string dataFolder() { return sharedDataFolder() + "nmea/"; }

std::vector<TimedLine> readRecording(const std::string& file)
{
    std::ifstream in(dataFolder() + file, std::ios::binary);
    std::vector<TimedLine> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        TimedLine l;
        l.at = stampOf(line);
        l.text = l.at ? line.substr(24) : line;
        lines.push_back(std::move(l));
    }
    return lines;
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool rewriteAsked(const std::string& name)
{
    const char* env = std::getenv("VSX_GOLDEN_REWRITE");
    if (!env) return false;
    std::stringstream names(env);
    for (std::string n; std::getline(names, n, ',');)
        if (n == name) return true;
    return false;
}

// Compares `actual` with the golden file `file`, or rewrites the file when the recording's name
// is asked for.
void compareWithGolden(const std::string& recording, const std::string& file, const std::string& actual)
{
    const std::string path = dataFolder() + file;
    if (rewriteAsked(recording)) {
        std::ofstream(path, std::ios::binary) << actual;
        std::printf("rewrote %s: review it with git diff before committing\n", path.c_str());
        return;
    }
    ASSERT_TRUE(std::filesystem::exists(path)) << path << " is missing; write it with VSX_GOLDEN_REWRITE=" << recording;
    const std::string golden = readText(path);
    if (golden == actual) return;
    // The first line that differs, for the failure message.
    std::istringstream g(golden), a(actual);
    std::string gl, al;
    int n = 1;
    for (; std::getline(g, gl) && std::getline(a, al); ++n)
        if (gl != al) break;
    ADD_FAILURE() << file << " differs from the replay of " << recording << " at line " << n << ":\n  golden: " << gl
                  << "\n  replay: " << al << "\n(rewrite with VSX_GOLDEN_REWRITE=" << recording
                  << " only when the change is meant)";
}

// The line handler's windows, without windows: nothing opened by a run, no projection.
struct QuietEnvironment : GnssLineEnvironment {
    bool receiverOpenedByRun() const override { return false; }
    bool mapTimerRunning() const override { return true; }
    void startMapTimer() override {}
    void echoToMonitor(std::string_view) override {}
    std::optional<OffsetValues> offsetsToTakeOver() const override { return std::nullopt; }
    const ProjectionSnapshot* snapshot() override { return nullptr; }
    GridProjection gridProjection() const override { return GridProjection::TransverseMercator; }
    bool gyroEnabled() const override { return false; }
    void showFixColour(ColorValue) override {}
    void reportRejectedGga(std::string_view, const char*) override {}
};

// "time,lat,lon,quality,age" after each GGA: the UTC time the program shows, the position the
// records take at that moment (empty when none is current), the receiver's fix quality and the
// differential age.
std::string replayFixes(const std::vector<TimedLine>& lines)
{
    FakeClock clock(kUnstampedStart);
    ClockGuard guard(clock);
    TVeldorSerialGPS receiver;
    RealtimeState state;
    QuietEnvironment env;
    GnssLineHandler handler(state, env);
    QObject::connect(&receiver, &TVeldorSerialGPS::OnNewCommand, [&](TVeldorSerialGPS* r, const std::string& line) {
        handler.HandleLine(line, r->LastSentence(), r->Fix());
    });
    std::string out;
    for (const TimedLine& l : lines) {
        if (l.at) clock.setLocal(*l.at);
        else clock.advance(std::chrono::milliseconds(100));
        receiver.ProcessReceived(l.text + "\r\n");
        const SentenceRead& read = receiver.LastSentence();
        if (read.type != SentenceType::Gga) continue;
        const ReceiverFix& fix = receiver.Fix();
        const bool age = read.outcome == SentenceRead::Outcome::Read && read.carries(kFixAge) && fix.age.valid;
        const auto position = fix.current.At(clock.monotonic());
        out += state.GgaTimeText + "," + (position ? formatFixed(position->latitude, 9) : "") + "," +
               (position ? formatFixed(position->longitude, 9) : "") + "," +
               std::to_string(receiver.GetFixQuality()) + "," + (age ? formatGeneral(fix.age.value) : "") + "\n";
    }
    return out;
}

struct SurveyFiles {
    std::string csv, xyz;
};

// The whole program on two pseudo-terminals with the fixed settings file: real time started
// with its button, every line of both devices through its receiver's byte seam at its own time,
// real time stopped; then the day's survey CSV and Simple XYZ file.
SurveyFiles replaySurvey(const std::vector<TimedLine>& lines)
{
    TempHome home;
    RecordingPrompts prompts;
    PromptsGuard promptsGuard(prompts);
    FakeClock clock(lines.empty() || !lines.front().at ? kUnstampedStart : *lines.front().at);
    ClockGuard guard(clock);
    PtyPair gnss, sounder;
    std::filesystem::create_directories(std::filesystem::path(home.iniPath()).parent_path());
    std::filesystem::copy_file(dataFolder() + "replay-settings.ini", home.iniPath(),
                               std::filesystem::copy_options::overwrite_existing);
    gnss.mapTo(home.iniPath(), "COM5");
    sounder.mapTo(home.iniPath(), "COM6");
    InitSharedValues();
    CreateAllWindows();
    SurveyFiles files;
    struct Destroy {
        ~Destroy() { DestroyAllWindows(); }
    } destroy;
    EXPECT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 10000));
    click(FNav->bRealtime);
    EXPECT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    if (!FNav->Run().Running()) return files;
    if (Offsets->isVisible()) click(Offsets->cancelButton);
    for (const TimedLine& l : lines) {
        if (l.at) clock.setLocal(*l.at);
        TVeldorSerialGPS* receiver = l.fromSounder ? FNav->ZSENSOR : FNav->ZGPS1;
        receiver->ProcessReceived(l.text + "\r\n");
    }
    click(FNav->bRealtime);
    EXPECT_FALSE(FNav->Run().Running());
    files.csv = readText(CoordinatesFileName);
    files.xyz = readText(XyzFolder + TodayString + " Simple XYZ.csv");
    return files;
}

} // namespace

TEST(GoldenReplay, RecordingsGiveTheirGoldenFixesAndRecords)
{
    if (sharedDataFolder().empty() || !std::filesystem::exists(dataFolder() + "nmea-rtk.log"))
        VSX_SKIP_MISSING() << "recordings not found (VSX_SHARED_DATA)";
    for (const Recording& r : kRecordings) {
        SCOPED_TRACE(r.name);
        const std::vector<TimedLine> gnss = readRecording(r.gnss);
        ASSERT_FALSE(gnss.empty()) << r.gnss;
        compareWithGolden(r.name, std::string(r.name) + ".fixes", replayFixes(gnss));
        if (!r.sounder) continue;

        // Both devices' lines in the order of their time stamps, the GNSS receiver's first at
        // equal times (the survey's logs were written that way).
        std::vector<TimedLine> both = gnss;
        for (TimedLine l : readRecording(r.sounder)) {
            l.fromSounder = true;
            both.push_back(std::move(l));
        }
        auto key = [](const TimedLine& l) { return l.at ? fromLocal(*l.at) : std::chrono::system_clock::time_point{}; };
        std::stable_sort(both.begin(), both.end(), [&](const TimedLine& a, const TimedLine& b) { return key(a) < key(b); });
        const SurveyFiles files = replaySurvey(both);
        compareWithGolden(r.name, std::string(r.name) + ".coordinates.csv", files.csv);
        compareWithGolden(r.name, std::string(r.name) + ".simple-xyz.csv", files.xyz);
    }
}
