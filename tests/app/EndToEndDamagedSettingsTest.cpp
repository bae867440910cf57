// The whole program started on a settings file that cannot be read whole (binary garbage, a file
// cut off in a value): the file is kept aside byte for byte before anything is written, the
// surveyor is told over the main window which copy was kept and that defaults are in use, the
// events log says so, the lines that could be read are kept, and the offsets window shows
// numbers, never empty fields. A file written by hand in another line end and code page is not
// taken for a damaged one.
#include "app/Settings.h"
#include "app/windows/WindowPointers.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "tools/windows/OffsetsWindow.h"
#include "app/windows/NumberEdit.h"

#include "support/RunningProgram.h"

#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace vsx;
using namespace vsx::test;

namespace {

// Bytes of no text file: every byte value, NULs included, in a scrambled order.
std::string binaryGarbage()
{
    std::string g;
    for (int i = 0; i < 600; ++i) g += char((i * 37 + 11) % 256);
    return g;
}

// The copies of the settings file kept beside it.
std::vector<std::string> keptCopies()
{
    std::vector<std::string> copies;
    const std::filesystem::path ini(GetIniFileName());
    for (const auto& e : std::filesystem::directory_iterator(ini.parent_path()))
        if (e.path().filename().string().rfind("VeldorSX.ini.damaged-", 0) == 0) copies.push_back(e.path().string());
    return copies;
}

} // namespace

TEST(EndToEndDamagedSettings, KeptAsideToldAndDefaultsShown)
{
    const std::string offsets = "[ECHOSOUNDER_OFFSETS]\r\nOffset A     =0.5\r\n";
    struct Case {
        const char* name;
        std::string bytes;
        bool damaged;
        const char* shownA;
        const char* shownB;
        const char* shownC;
        const char* shownSv;
    };
    const Case cases[] = {
        {"binary garbage after a readable line", offsets + binaryGarbage() + "\r\n", true, "0.5", "0", "0", "1500"},
        {"cut off in the sound velocity", offsets + "Offset B     =2\r\nOffset C     =1.5\r\nSV           =14", true,
         "0.5", "2", "1.5", "1500"},
        {"written by hand: LF line ends, Windows-1254 text",
         "[ECHOSOUNDER_OFFSETS]\nOffset A=0.5\nOffset B=2\nOffset C=1.5\nSV=1485\nSurveyor=\xDD\xFE\xE7i\n", false, "0.5",
         "2", "1.5", "1485"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunningProgram p([&c](IniFile&) {
            std::ofstream(GetIniFileName(), std::ios::binary) << c.bytes;
        });
        const std::vector<std::string> copies = keptCopies();
        const std::string events = p.events();
        if (!c.damaged) {
            EXPECT_TRUE(copies.empty());
            EXPECT_TRUE(p.prompts.entries.empty()) << p.prompts.entries[0].text.toStdString();
            EXPECT_EQ(events.find("could not be read whole"), std::string::npos) << events;
        } else {
            ASSERT_EQ(copies.size(), 1u);
            const std::string& copy = copies[0];
            EXPECT_EQ(copy.rfind(GetIniFileName() + ".damaged-" + CurrentDateString() + " ", 0), 0u) << copy;
            std::ifstream in(copy, std::ios::binary);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), c.bytes) << "kept byte for byte";

            ASSERT_EQ(p.prompts.entries.size(), 1u);
            const RecordingPrompts::Entry& told = p.prompts.entries[0];
            EXPECT_EQ(told.parent, FNav);
            EXPECT_EQ(told.kind, PromptKind::Warning);
            EXPECT_TRUE(told.text.contains(QString::fromStdString(copy))) << told.text.toStdString();
            EXPECT_TRUE(told.text.contains("at their defaults")) << told.text.toStdString();
            EXPECT_NE(events.find("could not be read whole"), std::string::npos) << events;
            EXPECT_NE(events.find("It was kept as " + copy), std::string::npos) << events;

            // What is left is whole: the next start says nothing.
            std::ifstream now(GetIniFileName(), std::ios::binary);
            EXPECT_TRUE(checkIniText(std::string(std::istreambuf_iterator<char>(now), {})).whole());
        }
        ASSERT_TRUE(QTest::qWaitFor([] { return Offsets->isVisible(); }, 5000));
        EXPECT_EQ(Offsets->OffsetA->text(), c.shownA);
        EXPECT_EQ(Offsets->OffsetB->text(), c.shownB);
        EXPECT_EQ(Offsets->OffsetC->text(), c.shownC);
        EXPECT_EQ(Offsets->SV->text(), c.shownSv);
        EXPECT_EQ(Offsets->TideHt->text(), "0");
    }
}
