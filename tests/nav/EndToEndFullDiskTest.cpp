// The whole program on a GNSS receiver and an echosounder on pseudo-terminals, with the data
// folder on a small file system of its own that fills during the survey run. Every file the run
// appends to (the survey file, the Simple XYZ file, both raw logs, the events log) holds whole
// lines only; each failure is said in the message window as the line that met it is handled, the
// events log's own included; a save of the drawing leaves the saved file whole. When space is
// back the next records go, whole, into the survey file itself (no alternative file is made), and
// the return is said with the number of lines lost.
#include "NavTestSupport.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/MessageWindow.h"
#include "app/windows/WindowPointers.h"
#include "nav/RealtimeState.h"
#include "nav/SurveyRun.h"
#include "nav/windows/MainWindow.h"
#include "platform/Numbers.h"
#include "program/ProgramStart.h"
#include "tools/windows/OffsetsWindow.h"

#include "support/ControlInput.h"
#include "support/MissingPeer.h"
#include "support/PtyPair.h"
#include "support/SmallFileSystem.h"
#include "support/TempHome.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

using namespace vsx;
using namespace vsx::test;

namespace {

// The lines of a file that ends each of them with CR LF; `whole` is false when the file ends in
// a cut line.
std::vector<std::string> crlfLines(const std::string& text, bool* whole)
{
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t end; (end = text.find("\r\n", from)) != std::string::npos; from = end + 2)
        lines.push_back(text.substr(from, end - from));
    *whole = from == text.size();
    return lines;
}

std::vector<std::string> fieldsOf(const std::string& line)
{
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == ',') fields.emplace_back();
        else fields.back() += c;
    }
    return fields;
}

// The program's windows for one test, taken down when it ends, however it ends.
struct Windows {
    Windows()
    {
        InitSharedValues();
        CreateAllWindows();
    }
    ~Windows() { DestroyAllWindows(); }
    Windows(const Windows&) = delete;
    Windows& operator=(const Windows&) = delete;
};

QToolButton* drawButton(const char* name) { return FNav->findChild<QToolButton*>(QString::fromLatin1(name)); }
QString messages() { return FMsg->Msg->toPlainText(); }

} // namespace

TEST(EndToEndFullDisk, EveryFileKeepsWholeLinesAndTheSurveyGoesOnInItsOwnFile)
{
    TempHome home;
    SmallFileSystem disk(home.path("home/VLT"), "2m");
    if (!disk.mounted()) VSX_SKIP_MISSING() << disk.why();
    RecordingPrompts prompts;
    PromptsGuard promptsGuard(prompts);
    PtyPair gnss, sounder;
    gnss.mapTo(home.iniPath(), "COM5");
    sounder.mapTo(home.iniPath(), "COM6");
    writeSurveySettings(home.iniPath());
    Windows windows;
    ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 10000));
    click(FNav->bRealtime);
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    click(Offsets->cancelButton);

    const std::string csv = CoordinatesFileName;
    const std::string xyz = XyzFolder + TodayString + " Simple XYZ.csv";
    const std::string sbesLog = LogFolder + TodayString + " VSX_SBES_V3.log";
    const std::string gnssLog = LogFolder + TodayString + " VSX_GNSS_V3.log";
    RealtimeState& st = realtimeState();

    // One epoch as the devices send it: fixes and a heading, then depth lines, each with a raw
    // depth no other line has. Waits until the last depth line is handled.
    std::vector<std::string> depths;  // raw depths as the survey file writes them, in the order sent
    std::set<std::string> sounderLines, gnssLines;
    int fixes = 0;
    auto epoch = [&](int depthLines, int fixLines) {
        std::string g;
        for (int i = 0; i < fixLines; ++i) {
            const std::string line = gga("101500.00", 41.01 + ++fixes * 1e-7, 33.03, 4);
            gnssLines.insert(line);
            g += line + "\r\n";
        }
        gnssLines.insert(hdt(12.5));
        ASSERT_TRUE(gnss.write(g + hdt(12.5) + "\r\n"));
        std::string d;
        double raw = 0;
        for (int i = 0; i < depthLines; ++i) {
            raw = std::round(1000.0 + double(depths.size() + 1)) / 100;
            depths.push_back(formatGeneral(raw));
            const std::string line = sentence("SDDPT," + formatFixed(raw, 2) + ",0.0");
            sounderLines.insert(line);
            d += line + "\r\n";
        }
        ASSERT_TRUE(sounder.write(d));
        const double expected = raw * 1485 / 1500 + 0.5;
        ASSERT_TRUE(QTest::qWaitFor([&] { return std::fabs(st.TrueDepthHi - expected) < 1e-9; }, 10000))
            << "depth " << depths.back() << " handled";
    };
    auto inSurveyFile = [&](const std::string& raw) {
        return home.readFile(csv.substr(home.root().size())).find("," + raw + ",0,NMEA DPT,") != std::string::npos;
    };

    // A first position, a few records, and the drawing saved.
    for (int i = 0; i < 100 && st.VesselEasting == 0; ++i) {
        gnssLines.insert(gga("101500.00", 41.01, 33.03, 4));
        ASSERT_TRUE(gnss.write(gga("101500.00", 41.01, 33.03, 4) + "\r\n"));
        if (QTest::qWaitFor([&] { return st.VesselEasting != 0; }, 200)) break;
    }
    ASSERT_NE(st.VesselEasting, 0) << "the vessel has a grid position";
    epoch(5, 1);
    ASSERT_TRUE(inSurveyFile(depths.back()));
    click(drawButton("bSave"));
    std::map<std::string, std::string> saved;  // the day's drawings as they stood before the disk filled
    for (const auto& e : std::filesystem::directory_iterator(ProjectFolder))
        saved[e.path().string()] = home.readFile(e.path().string().substr(home.root().size()));
    ASSERT_FALSE(saved.empty()) << "the drawing was saved";

    // The disk fills. Each file still takes what fits in the space it already holds, so the
    // epochs go on until every file has met the full disk; each failure is said by the time the
    // line that met it has been handled.
    ASSERT_TRUE(disk.fill());
    const std::map<std::string, QString> failures = {
        {"survey file", QString::fromStdString("Cannot write " + csv + ": No space left on device")},
        {"Simple XYZ file", QString::fromStdString("Cannot write " + xyz + ": No space left on device")},
        {"echosounder log", QString::fromStdString("Cannot write " + sbesLog + ": No space left on device")},
        {"GNSS log", QString::fromStdString("Cannot write " + gnssLog + ": No space left on device")},
    };
    auto allSaid = [&] {
        for (const auto& [what, text] : failures)
            if (!messages().contains(text)) return false;
        return true;
    };
    const size_t beforeFull = depths.size();
    for (int i = 0; i < 20 && !allSaid(); ++i) {
        const size_t first = depths.size();
        epoch(25, 10);
        for (size_t k = first; k < depths.size(); ++k)
            if (!inSurveyFile(depths[k])) {
                EXPECT_TRUE(messages().contains(failures.at("survey file")))
                    << "depth " << depths[k] << " is not recorded and nothing says so";
                break;
            }
    }
    for (const auto& [what, text] : failures) EXPECT_TRUE(messages().contains(text)) << what << ":\n" << messages().toStdString();
    EXPECT_TRUE(FNav->sStatusBar->currentMessage().startsWith("Cannot write ")) << FNav->sStatusBar->currentMessage().toStdString();
    EXPECT_FALSE(inSurveyFile(depths.back()));

    // Events marked by hand fill what the events log still had room for; it cannot say its own
    // failure, the message window does.
    const QString eventsFailure =
        QString::fromStdString("Cannot write " + EventsLogFileName() + ": No space left on device");
    for (int i = 0; i < 100 && !messages().contains(eventsFailure); ++i) click(drawButton("btEventAdd"));
    EXPECT_TRUE(messages().contains(eventsFailure)) << messages().toStdString();

    // A save on the full disk fails, says so, and leaves the saved drawing as it was.
    prompts.entries.clear();
    click(drawButton("bSave"));
    ASSERT_EQ(prompts.entries.size(), 1u);
    EXPECT_TRUE(prompts.entries[0].text.startsWith("The drawing could not be saved: ")) << prompts.entries[0].text.toStdString();
    std::map<std::string, std::string> after;
    for (const auto& e : std::filesystem::directory_iterator(ProjectFolder))
        after[e.path().string()] = home.readFile(e.path().string().substr(home.root().size()));
    EXPECT_EQ(after, saved) << "no file was added, cut or left half-written";

    // Space is back: the next records go, whole, into the survey file.
    disk.free();
    const size_t afterFull = depths.size();
    epoch(10, 2);
    epoch(10, 2);
    for (size_t k = afterFull; k < depths.size(); ++k) EXPECT_TRUE(inSurveyFile(depths[k])) << "depth " << depths[k];
    const QRegularExpression back(QStringLiteral("Writing (.+) again; (\\d+) lines were lost"));
    std::map<std::string, long> lost;
    for (auto m = back.globalMatch(messages()); m.hasNext();) {
        const auto match = m.next();
        lost[match.captured(1).toStdString()] = match.captured(2).toLong();
    }
    for (const std::string& file : {csv, xyz, sbesLog, gnssLog, EventsLogFileName()})
        EXPECT_GT(lost[file], 0) << file << " is said to be written again:\n" << messages().toStdString();
    EXPECT_TRUE(FNav->sStatusBar->currentMessage().startsWith("Writing ")) << FNav->sStatusBar->currentMessage().toStdString();
    click(FNav->bRealtime);
    ASSERT_FALSE(FNav->Run().Running());

    // The survey file: its header and whole records, in the order the depths came, every depth
    // either recorded or counted as lost; never an alternative file.
    bool whole = false;
    const std::vector<std::string> records = crlfLines(home.readFile(csv.substr(home.root().size())), &whole);
    EXPECT_TRUE(whole) << "the survey file ends with a whole line";
    ASSERT_FALSE(records.empty());
    std::vector<std::string> recorded;
    for (size_t i = 1; i < records.size(); ++i) {
        const std::vector<std::string> f = fieldsOf(records[i]);
        ASSERT_EQ(f.size(), 18u) << "record " << i << ": " << records[i];
        EXPECT_EQ(f[11], "NMEA DPT") << records[i];
        recorded.push_back(f[9]);
    }
    std::vector<std::string> expectedOrder;
    for (const std::string& d : depths)
        if (std::find(recorded.begin(), recorded.end(), d) != recorded.end()) expectedOrder.push_back(d);
    EXPECT_EQ(recorded, expectedOrder) << "each depth once, in order";
    EXPECT_EQ(recorded.size() + size_t(lost[csv]), depths.size()) << "every depth is recorded or counted lost";
    EXPECT_LT(recorded.size(), depths.size()) << "the disk was full for some";
    EXPECT_GE(recorded.size(), beforeFull + (depths.size() - afterFull));
    for (const auto& e : std::filesystem::directory_iterator(LogFolder))
        EXPECT_EQ(e.path().filename().string().find("Coordinates_"), std::string::npos) << e.path();

    // The Simple XYZ file: header and whole "E,N,Z" lines.
    const std::vector<std::string> soundings = crlfLines(home.readFile(xyz.substr(home.root().size())), &whole);
    EXPECT_TRUE(whole);
    ASSERT_FALSE(soundings.empty());
    EXPECT_EQ(soundings[0], "Easting,Northing,Elevation");
    const QRegularExpression enz(QStringLiteral("^\\d+\\.\\d\\d,\\d+\\.\\d\\d,-\\d+\\.\\d\\d$"));
    for (size_t i = 1; i < soundings.size(); ++i)
        EXPECT_TRUE(enz.match(QString::fromStdString(soundings[i])).hasMatch()) << soundings[i];

    // The raw logs: only lines the devices sent, each whole.
    for (const auto& [log, sent] : {std::pair {sbesLog, &sounderLines}, std::pair {gnssLog, &gnssLines}}) {
        const std::vector<std::string> lines = crlfLines(home.readFile(log.substr(home.root().size())), &whole);
        EXPECT_TRUE(whole) << log;
        for (const std::string& line : lines) EXPECT_EQ(sent->count(line), 1u) << log << ": " << line;
    }

    // The events log: an empty first line, then whole entries and event marks.
    const std::string events = home.readFile(EventsLogFileName().substr(home.root().size()));
    ASSERT_EQ(events.substr(0, 2), "\r\n");
    const QRegularExpression entry(QStringLiteral("^Auto Event:\\t\\d{4}-\\d\\d-\\d\\d \\d{9}\\t"));
    const QRegularExpression mark(
        QStringLiteral("^Event No:\\d+,Date & Time:\\d{4}-\\d\\d-\\d\\d \\d{9},Easting:\\d+\\.\\d\\d,Northing:\\d+\\.\\d\\d,"
                       "True Depth:\\d+\\.\\d\\d,True Depth:--\\.--,Heading:-?\\d+\\.\\d\\d$"));
    const std::vector<std::string> entries = crlfLines(events.substr(2) + "\r\n", &whole);
    for (const std::string& e : entries) {
        const QString line = QString::fromStdString(e);
        EXPECT_TRUE(entry.match(line).hasMatch() || mark.match(line).hasMatch()) << e;
        EXPECT_EQ(e.find("Auto Event:", 1), std::string::npos) << "one entry a line: " << e;
        EXPECT_EQ(e.find("Event No:", 1), std::string::npos) << "one entry a line: " << e;
    }
    EXPECT_NE(events.find("Writing " + csv + " again; "), std::string::npos) << events;
}
