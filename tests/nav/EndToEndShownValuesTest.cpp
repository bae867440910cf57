// The whole program on a GNSS receiver and an echosounder on pseudo-terminals, on what a survey
// runs with and what the surveyor sees of it: offsets typed into the offsets window and left by
// Cancel never reach a record (the fields show the values in force again); a start while the
// offsets window is shown runs on the values shown, or says which ones it runs on; a Simple XYZ
// file that cannot be written is said once, every depth still reaches the survey file, and the
// file's return is said once.
#include "SurveyProgram.h"

#include "app/SharedValues.h"
#include "app/windows/NumberEdit.h"
#include "app/windows/WindowPointers.h"
#include "input/TVeldorSerialGPS.h"
#include "nav/RealtimeState.h"
#include "nav/SurveyRun.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "program/ProgramStart.h"
#include "tools/windows/OffsetsWindow.h"
#include "tools/windows/RealtimeDataWindow.h"

#include "support/PtyPair.h"
#include "support/TempHome.h"

#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <sstream>

using namespace vsx;
using namespace vsx::test;

namespace {

size_t countOf(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The records of the survey CSV, each cut into its fields (header left out).
std::vector<std::vector<std::string>> records(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::vector<std::string> fields(1);
        for (char c : line) {
            if (c == ',') fields.emplace_back();
            else fields.back() += c;
        }
        rows.push_back(fields);
    }
    return rows;
}
constexpr size_t kRawHi = 9, kSoundVelocity = 12;

// Types into a numeric field of the offsets window as a surveyor does: select all, type.
void typeInto(QLineEdit* edit, const char* text)
{
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, QString::fromLatin1(text));
}

// The survey program (SV 1485 m/s), fed with fixes and depths.
struct Survey : SurveyProgram {
    int n = 0;
    std::set<std::string> sent;  // raw depth texts sent

    // `count` epochs 100 ms apart: a fix and a depth with a raw value no other line has; waits
    // until the last depth has its record.
    void feed(int count)
    {
        std::string raw;
        for (int i = 0; i < count; ++i) {
            ++n;
            ASSERT_TRUE(gnss.write(gga("101500.00", 41.01 + n * 1e-6, 33.03, 4) + "\r\n" + hdt(12.5) + "\r\n"));
            raw = formatFixed(10.0 + n * 0.01, 2);
            ASSERT_TRUE(sounder.write(sentence("SDDPT," + raw + ",0.0") + "\r\n"));
            sent.insert(raw);
            QTest::qWait(100);
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return home.readFile(CoordinatesFileName).find("," + raw + ",") != std::string::npos; }, 10000))
            << "depth " << raw << " reached the survey file";
    }
    std::vector<std::vector<std::string>> csv() { return records(home.readFile(CoordinatesFileName)); }
};

} // namespace

TEST(ShownValues, OffsetsLeftByCancelNeverReachARecord)
{
    Survey t;
    t.startProgram();
    t.pressStart();
    t.feed(3);
    for (const char* refused : {"0", "99999"}) {
        SCOPED_TRACE(refused);
        QTest::mouseClick(fRealtime->btShowOffsets, Qt::LeftButton);
        ASSERT_TRUE(Offsets->isVisible());
        typeInto(Offsets->SV, refused);
        QTest::mouseClick(Offsets->cancelButton, Qt::LeftButton);
        EXPECT_FALSE(Offsets->isVisible());
        EXPECT_EQ(Offsets->SV->text(), QStringLiteral("1485")) << "the field shows the value in force";
        t.feed(5);
    }
    QTest::mouseClick(FNav->bRealtime, Qt::LeftButton);
    const auto rows = t.csv();
    ASSERT_EQ(rows.size(), t.sent.size());
    for (const auto& r : rows) EXPECT_EQ(r[kSoundVelocity], "1485.00") << "raw depth " << r[kRawHi];
}

TEST(ShownValues, StartWithTheOffsetsWindowShownRunsOnWhatItShows)
{
    struct Case {
        const char* name;
        const char* typed;     // into SV before Start; nothing: as loaded
        const char* stored;    // SV in the settings
        const char* recorded;  // SV of every record
        const char* statusBar; // part of the status bar's words, or nothing
    };
    const Case cases[] = {
        {"as loaded", nullptr, "1480", "1480.00", nullptr},
        {"a valid value typed", "1490", "1485", "1490.00", nullptr},
        {"a refused value typed", "0", "1485", "1485.00", "Depths use the offsets in force: A 0.5 m, SV 1485 m/s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Survey t;
        t.startProgram([&](IniFile& ini) { ini.writeString("ECHOSOUNDER_OFFSETS", "SV", c.stored); });
        ASSERT_TRUE(Offsets->isVisible()) << "the offsets window is shown at start";
        if (c.typed) typeInto(Offsets->SV, c.typed);
        t.pressStart();
        t.feed(4);
        if (c.statusBar)
            EXPECT_NE(FNav->sStatusBar->currentMessage().toStdString().find(c.statusBar), std::string::npos)
                << FNav->sStatusBar->currentMessage().toStdString();
        QTest::mouseClick(FNav->bRealtime, Qt::LeftButton);
        const auto rows = t.csv();
        ASSERT_EQ(rows.size(), t.sent.size());
        for (const auto& r : rows) EXPECT_EQ(r[kSoundVelocity], c.recorded) << "raw depth " << r[kRawHi];
    }
}

TEST(ShownValues, SimpleXyzTakenByAFolderIsSaidOnceAndItsReturnOnce)
{
    Survey t;
    t.startProgram();
    t.pressStart();
    QTest::mouseClick(Offsets->cancelButton, Qt::LeftButton);
    t.feed(3);
    const std::string xyz = XyzFolder + TodayString + " Simple XYZ.csv";
    ASSERT_TRUE(std::filesystem::exists(xyz));
    std::filesystem::remove(xyz);
    std::filesystem::create_directory(xyz);
    t.feed(5);
    const std::string failure = "Cannot write " + xyz + ": Is a directory";
    EXPECT_EQ(FNav->sStatusBar->currentMessage().toStdString(), failure);
    t.feed(3);
    EXPECT_EQ(countOf(t.home.readFile(LogFolder + TodayString + " Events.log"), failure), 1u);
    std::filesystem::remove(xyz);
    t.feed(4);
    QTest::mouseClick(FNav->bRealtime, Qt::LeftButton);
    const std::string events = t.home.readFile(LogFolder + TodayString + " Events.log");
    EXPECT_EQ(countOf(events, "Cannot write " + xyz), 1u) << events;
    EXPECT_EQ(countOf(events, "Writing " + xyz + " again"), 1u) << events;
    // Every depth is in the survey file; the XYZ file holds those written since its return.
    EXPECT_EQ(t.csv().size(), t.sent.size());
    EXPECT_EQ(countOf(t.home.readFile(xyz), "\r\n"), 1u + 4u) << "header and the last four soundings";
}
