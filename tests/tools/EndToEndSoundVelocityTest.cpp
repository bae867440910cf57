// The whole program with a measured sound-velocity profile: a probe cast opened and processed in
// the sound-velocity window, the profile switched on and saved, the survey started from the
// offsets window, and echosounder lines on a pseudo-terminal. Every record must be corrected with
// the profile's velocity at its rounded raw depth, the offsets report must say so, and the
// auto-save must keep the day's four profile tables.
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/NumberEdit.h"
#include "app/windows/WindowPointers.h"
#include "input/TVeldorSerialGPS.h"
#include "nav/RealtimeState.h"
#include "nav/SurveyRun.h"
#include "nav/windows/MainWindow.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/Prompts.h"
#include "program/ProgramStart.h"
#include "tools/SvpFiles.h"
#include "tools/windows/OffsetsWindow.h"
#include "tools/windows/SoundVelocityWindow.h"

#include "nav/NavTestSupport.h"
#include "support/ControlInput.h"
#include "support/PtyPair.h"
#include "support/TempHome.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <sstream>

using namespace vsx;
using namespace vsx::test;

namespace {

// The survey set-up with the texts the offsets window's start requires.
void writeSettings(const std::string& iniPath)
{
    writeSurveySettings(iniPath);
    IniFile ini(iniPath);
    ini.writeString("ECHOSOUNDER_OFFSETS", "SurveyLocation", "Liman");
    ini.writeString("ECHOSOUNDER_OFFSETS", "SurveyBoat", "Sondrix 1");
    ini.writeString("ECHOSOUNDER_OFFSETS", "Surveyor", "Ay\xFE" "e");
}


constexpr int kMaxDepth = 20;
// The cast: two samples a metre (a shallower and a deeper one), velocities rising with depth.
double castVelocity(int metre, int k) { return 1480.0 + 1.25 * metre + (k ? 0.5 : 0.0); }

std::string castFile()
{
    // A Windows-1254 header line the search format skips, then "<time stamp> sv,depth".
    std::string text = "# Sonda kayd\xFD - \xD6l\xE7\xFCm 1\r\n";
    for (int d = 0; d <= kMaxDepth; ++d)
        for (int k = 0; k < 2; ++k)
            text += "2024-05-01T09:30:00.000 " + formatFixed(castVelocity(d, k), 3) + "," +
                    formatFixed(d - 0.3 + 0.6 * k, 1) + "\r\n";
    text += "2024-05-01T09:31:00.000 1200.000,3.0\r\n";  // an air bubble: questioned, skipped
    return text;
}

// The column as plain arithmetic: each metre's mean is the two samples' mean (exact here), the
// column the running mean of the per-metre means.
std::vector<double> expectedColumn()
{
    std::vector<double> column;
    double sum = 0;
    for (int d = 0; d <= kMaxDepth; ++d) {
        sum += (castVelocity(d, 0) + castVelocity(d, 1)) / 2;
        column.push_back(sum / (d + 1));
    }
    return column;
}

std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> out;
    std::string field;
    std::istringstream in(s);
    while (std::getline(in, field, sep)) out.push_back(field);
    return out;
}

std::set<std::string> filesIn(const std::string& folder)
{
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) names.insert(e.path().filename().string());
    return names;
}

} // namespace

TEST(EndToEndSoundVelocity, EveryRecordIsCorrectedWithTheProfile)
{
    TempHome home;
    FakeClock clock({2024, 5, 1, 10, 0, 0, 0});
    ClockGuard clockGuard(clock);
    RecordingPrompts prompts;
    PromptsGuard promptsGuard(prompts);
    PtyPair gnss, sounder;
    gnss.mapTo(home.iniPath(), "COM5");
    sounder.mapTo(home.iniPath(), "COM6");
    writeSettings(home.iniPath());
    home.writeFile("casts/cast 1.txt", castFile());
    InitSharedValues();

    CreateAllWindows();
    ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 10000));
    EXPECT_TRUE(filesIn(SvpFolder).empty()) << "no profile in use: the first auto-save copies no tables";

    // The surveyor opens the profile window from the offsets window and works the cast through.
    ASSERT_TRUE(Offsets->isVisible());
    QTest::mouseClick(Offsets->bSVP, Qt::LeftButton);
    ASSERT_TRUE(fSVP->isVisible());
    prompts.fileNames = {QString::fromStdString(home.path("casts/cast 1.txt"))};
    QTest::mouseClick(fSVP->loadProbeButton, Qt::LeftButton);
    EXPECT_TRUE(fSVP->mRawSVData->toPlainText().startsWith(QString::fromUtf8("# Sonda kaydı - Ölçüm 1\n")));
    fSVP->eMaxDepth->selectAll();
    QTest::keyClicks(fSVP->eMaxDepth, QString::number(kMaxDepth));
    prompts.answers = {PromptAnswer::Ok};
    QTest::mouseClick(fSVP->bRawToSVV, Qt::LeftButton);
    QTest::mouseClick(fSVP->bSVVtoAveragedSV, Qt::LeftButton);
    QTest::mouseClick(fSVP->bAveragedSVtoSVP, Qt::LeftButton);
    ASSERT_EQ(prompts.entries.size(), 1u);
    EXPECT_EQ(prompts.entries[0].text.toStdString(),
              "Value exceeds SV range! Please correct 1200 value at line 44 in source file. This line will be skipped.");

    // The column is what plain arithmetic gives.
    const QStringList columnLines = fSVP->mSVPColumn->toPlainText().split('\n');
    const std::vector<double> want = expectedColumn();
    ASSERT_EQ(columnLines.size(), qsizetype(want.size()));
    std::vector<double> column;
    for (qsizetype d = 0; d < columnLines.size(); ++d) {
        EXPECT_EQ(columnLines[d].toStdString(), formatFixed(want[size_t(d)], 2)) << d;
        column.push_back(strToFloat(columnLines[d].toStdString()));
    }

    click(fSVP->cUseSVP);
    ASSERT_TRUE(fSVP->cUseSVP->isChecked());
    EXPECT_FALSE(Offsets->SV->isEnabled());
    EXPECT_EQ(Offsets->bSVP->text(), "SVP Profile Used");
    ASSERT_TRUE(fSVP->bSaveClose->isEnabled());
    QTest::mouseClick(fSVP->bSaveClose, Qt::LeftButton);
    EXPECT_FALSE(fSVP->isVisible());

    // Save & Close left the day's four tables; the next auto-save (the offsets window's start)
    // writes them again, under the same four names.
    std::set<std::string> tables;
    for (SvpTable t : kSvpTables) tables.insert(SvpDayCopyName("", "2024-05-01", t));
    EXPECT_EQ(filesIn(SvpFolder), tables);
    for (const std::string& name : tables) std::filesystem::remove(SvpFolder + name);

    QTest::mouseClick(Offsets->realtimeButton, Qt::LeftButton);
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    ASSERT_TRUE(FNav->ZSENSOR->Connected()) << FNav->ZSENSOR->LastError();
    EXPECT_FALSE(Offsets->isVisible());
    EXPECT_EQ(filesIn(SvpFolder), tables) << "the auto-save writes the four tables once, under one set of names";
    EXPECT_EQ(*ReadSvpTableFile(SvpDayCopyName(SvpFolder, "2024-05-01", SvpTable::Column)), columnLines);
    EXPECT_EQ(home.readFile(SvpDayCopyName(SvpFolder, "2024-05-01", SvpTable::RawData).substr(home.root().size())),
              castFile());
    const std::string report = home.readFile((LogFolder + "2024-05-01 Offsets.log").substr(home.root().size()));
    EXPECT_NE(report.find("Sound Velocity....................\t=Sound velocity profile used"), std::string::npos)
        << report;

    // A position, then depth lines across the profile and beyond its deepest metre.
    RealtimeState& st = realtimeState();
    const std::string fix = gga("100000.00", 41.0123456789, 33.0456789012, 4) + "\r\n";
    bool positioned = false;
    for (int i = 0; i < 100 && !positioned; ++i) {
        ASSERT_TRUE(gnss.write(fix));
        positioned = QTest::qWaitFor([&st] { return st.VesselEasting != 0; }, 200);
    }
    ASSERT_TRUE(positioned) << "the vessel has a grid position";
    const double raws[] = {0.3, 0.5, 4.49, 4.5, 9.6, 12.5, 19.7, 20.49, 20.5, 35.25};
    for (double raw : raws) {
        const double v = column[std::min<size_t>(size_t(std::floor(raw + 0.5)), column.size() - 1)];
        const double depth = raw * v / 1500 + 0.5;
        ASSERT_TRUE(sounder.write(sentence("SDDPT," + formatGeneral(raw) + ",0.0") + "\r\n"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return std::fabs(st.TrueDepthHi - depth) < 1e-9; }, 10000))
            << "raw " << raw << ": depth " << st.TrueDepthHi << ", wanted " << depth;
        clock.advance(std::chrono::seconds(1));
    }
    click(FNav->bRealtime);
    EXPECT_FALSE(FNav->Run().Running());

    // Every record: true depth and column 13 from the profile velocity at the rounded raw depth.
    const std::vector<std::string> lines = split(home.readFile(CoordinatesFileName.substr(home.root().size())), '\n');
    ASSERT_EQ(lines.size(), std::size(raws) + 1);
    for (size_t i = 0; i < std::size(raws); ++i) {
        const std::vector<std::string> f = split(lines[i + 1], ',');
        ASSERT_EQ(f.size(), 18u) << lines[i + 1];
        const double raw = raws[i];
        const size_t line = std::min<size_t>(size_t(std::floor(raw + 0.5)), column.size() - 1);
        EXPECT_EQ(f[9], formatGeneral(raw));
        EXPECT_EQ(f[12], formatFixed(column[line], 2)) << "raw " << raw;
        EXPECT_EQ(f[7], formatFixed(raw * column[line] / 1500 + 0.5, 2)) << "raw " << raw;
        EXPECT_EQ(f[13], "0.50");
    }
    DestroyAllWindows();
}
