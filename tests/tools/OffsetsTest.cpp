#include "ToolsFixture.h"

#include "app/Settings.h"
#include "app/windows/NumberEdit.h"
#include "platform/AtomicFile.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "tools/EchosounderOffsets.h"
#include "tools/OffsetsReport.h"
#include "tools/windows/OffsetsWindow.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QMenu>
#include <QTest>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace vsx;
using vsx::test::ToolsFixture;

namespace {
OffsetsTexts good()
{
    OffsetsTexts t;
    t.offsetA = "0.5";
    t.offsetB = "2.0";
    t.offsetC = "1.5";
    t.soundVelocity = "1500";
    t.tideHeight = "0.25";
    t.location = "Hali\xE7";  // texts are 8-bit Windows-1254, as stored
    t.surveyBoat = "Sondrix 1";
    t.surveyor = "Ay\xFE" "e Y\xFDlmaz";
    return t;
}

std::string readAll(const std::string& path)
{
    std::string bytes;
    readFile(path, bytes);
    return bytes;
}
} // namespace

// Each row: the fields changed from a good set, the field to correct (None: accepted) and the
// English message.
TEST(OffsetsChecks, ValidationTable)
{
    struct Row {
        const char* what;
        void (*change)(OffsetsTexts&);
        OffsetsField field;
        const char* message;
    };
    const Row rows[] = {
        {"good", [](OffsetsTexts&) {}, OffsetsField::None, ""},
        {"B 2.1", [](OffsetsTexts& t) { t.offsetB = "2.1"; }, OffsetsField::OffsetA,
         "Measurements contains error: A + C must be close enough to B."},
        {"B on the upper boundary", [](OffsetsTexts& t) { t.offsetB = "2.025"; }, OffsetsField::None, ""},
        {"B on the lower boundary", [](OffsetsTexts& t) { t.offsetB = "1.975"; }, OffsetsField::None, ""},
        // 0.1 + 1.5 - 1.575 comes out as 0.025000000000000133 in binary.
        {"boundary with binary rounding", [](OffsetsTexts& t) { t.offsetA = "0.1"; t.offsetB = "1.575"; },
         OffsetsField::None, ""},
        {"B just past the boundary", [](OffsetsTexts& t) { t.offsetB = "2.026"; }, OffsetsField::OffsetA,
         "Measurements contains error: A + C must be close enough to B."},
        {"SV 1300", [](OffsetsTexts& t) { t.soundVelocity = "1300"; }, OffsetsField::None, ""},
        {"SV 1700", [](OffsetsTexts& t) { t.soundVelocity = "1700"; }, OffsetsField::None, ""},
        {"SV 1299.9", [](OffsetsTexts& t) { t.soundVelocity = "1299.9"; }, OffsetsField::SoundVelocity,
         "Error in Sound Velocity (SV) value"},
        {"SV 1700.1", [](OffsetsTexts& t) { t.soundVelocity = "1700.1"; }, OffsetsField::SoundVelocity,
         "Error in Sound Velocity (SV) value"},
        {"A empty", [](OffsetsTexts& t) { t.offsetA = ""; }, OffsetsField::OffsetA, "Failed! Recheck offset A"},
        {"B not a number", [](OffsetsTexts& t) { t.offsetB = "x"; }, OffsetsField::OffsetB, "Failed! Recheck offset B"},
        {"C with a unit", [](OffsetsTexts& t) { t.offsetC = "1.5 m"; }, OffsetsField::OffsetC,
         "Failed! Recheck offset C"},
        {"C with a comma", [](OffsetsTexts& t) { t.offsetC = "1,5"; }, OffsetsField::OffsetC,
         "Failed! Recheck offset C"},
        {"SV nan", [](OffsetsTexts& t) { t.soundVelocity = "nan"; }, OffsetsField::SoundVelocity,
         "Failed! Recheck SV value"},
        {"A inf", [](OffsetsTexts& t) { t.offsetA = "inf"; }, OffsetsField::OffsetA, "Failed! Recheck offset A"},
        {"tide empty before the texts", [](OffsetsTexts& t) { t.tideHeight = ""; t.location = ""; },
         OffsetsField::TideHeight, "Failed! Recheck tide height"},
        {"blanks around numbers", [](OffsetsTexts& t) { t.offsetA = " 0.5 "; t.offsetB = "2e0"; }, OffsetsField::None,
         ""},
        {"location empty", [](OffsetsTexts& t) { t.location = ""; }, OffsetsField::Location,
         "Failed! Location cannot be missing"},
        {"location one blank", [](OffsetsTexts& t) { t.location = " "; }, OffsetsField::None, ""},
        {"boat empty", [](OffsetsTexts& t) { t.surveyBoat = ""; }, OffsetsField::SurveyBoat,
         "Failed! Name/type of survey boat cannot be missing"},
        {"surveyor empty", [](OffsetsTexts& t) { t.surveyor = ""; }, OffsetsField::Surveyor,
         "Failed! Name of surveyor cannot be missing"},
        {"texts before the sum", [](OffsetsTexts& t) { t.surveyor = ""; t.offsetB = "9"; }, OffsetsField::Surveyor,
         "Failed! Name of surveyor cannot be missing"},
        {"sum before SV", [](OffsetsTexts& t) { t.offsetB = "9"; t.soundVelocity = "1"; }, OffsetsField::OffsetA,
         "Measurements contains error: A + C must be close enough to B."},
    };
    for (const Row& row : rows) {
        OffsetsTexts t = good();
        row.change(t);
        const OffsetsCheck c = CheckOffsets(t);
        EXPECT_EQ(c.ok, row.field == OffsetsField::None) << row.what;
        EXPECT_EQ(c.field, row.field) << row.what;
        EXPECT_STREQ(c.message.en, row.message) << row.what;
        if (!c.ok) {
            EXPECT_STRNE(c.message.tr, "") << row.what;
        }
    }
}

TEST(OffsetsReport, EnglishBytes)
{
    const std::string expected =
        "\r\n\r\nVeldor Sondrix - offsets essential for post processing"
        "\r\nTime..............................\t=2024-05-01 093015250"
        "\r\nSurvey Location...................\t=Hali\xE7"
        "\r\nSurvey Boat.......................\t=Sondrix 1"
        "\r\nTransducer Draft (A)..............\t=0.5"
        "\r\nTransducer - Antenna Offset (B)...\t=2.0"
        "\r\nAntenna Height Above Water (C)....\t=1.5"
        "\r\nSound Velocity....................\t=1500"
        "\r\nTide Height.......................\t=0.25"
        "\r\nSurveyor..........................\t=Ay\xFE" "e Y\xFDlmaz";
    EXPECT_EQ(BuildOffsetsReport(good(), "2024-05-01 093015250", false, true), expected);
}

TEST(OffsetsReport, TurkishBytesInWindows1254)
{
    const std::string expected =
        "\r\n\r\nVeldor Sondrix - veri i\xFEleme i\xE7in gerekli de\xF0" "erler"
        "\r\nZaman.......................................\t=2024-05-01 093015250"
        "\r\nYer.........................................\t=Hali\xE7"
        "\r\n\xD6l\xE7me botu..................................\t=Sondrix 1"
        "\r\nTransduser su kesimi (A)....................\t=0.5"
        "\r\nTransduser ile GPS anteni aras\xFD mesafe (B)..\t=2.0"
        "\r\nSudan antene olan mesafe (C)................\t=1.5"
        "\r\nSes h\xFDz\xFD....................................\t=Ses h\xFDz\xFD profili kullan\xFDld\xFD"
        "\r\nSu kotu.....................................\t=0.25"
        "\r\n\xD6l\xE7" "en.......................................\t=Ay\xFE" "e Y\xFDlmaz";
    EXPECT_EQ(BuildOffsetsReport(good(), "2024-05-01 093015250", true, false), expected);
}

TEST(OffsetsWindow, RealtimeReportsStoresAndStartsOnce)
{
    ToolsFixture f;
    OffsetsWindow w;
    EXPECT_EQ(w.time->text(), "2024-05-01 093015250");
    w.show();
    w.showTexts(good());
    f.host.profileInUse = true;
    w.onRealtimeClicked();
    EXPECT_TRUE(f.messages().empty()) << f.messages()[0];
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"AutoSave", "PressRealtime"}));
    EXPECT_FALSE(w.isVisible());
    const std::string reportPath = LogFolder + "2024-05-01 Offsets.log";
    EXPECT_EQ(reportPath.rfind(f.home.root(), 0), 0u);
    const std::string first = readAll(reportPath);
    EXPECT_EQ(first, BuildOffsetsReport(good(), "2024-05-01 093015250", true, true));
    {
        IniFile ini(GetIniFileName());
        EXPECT_EQ(ini.readString("ECHOSOUNDER_OFFSETS", "SV", ""), "1500") << "the typed number, not the profile note";
        EXPECT_EQ(ini.readString("ECHOSOUNDER_OFFSETS", "Time", ""), "2024-05-01 093015250");
        EXPECT_EQ(ini.readSection("ECHOSOUNDER_OFFSETS"),
                  (std::vector<std::string>{"Offset A", "Offset B", "Offset C", "SV", "Tide Height", "Time", "Surveyor",
                                            "SurveyBoat", "SurveyLocation"}));
        EXPECT_NE(ini.text().find("Offset A     =0.5"), std::string::npos);
    }

    // A second start while real time runs appends a report but does not press the button again.
    f.language("tr");
    f.fakeClock.advance(std::chrono::seconds(2));
    w.refreshClock();
    w.show();  // reloads the stored texts
    EXPECT_EQ(w.Location->text(), "Haliç");
    EXPECT_EQ(w.Surveyor->text(), "Ayşe Yılmaz");
    w.onRealtimeClicked();
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"AutoSave", "PressRealtime", "AutoSave"}));
    EXPECT_EQ(readAll(reportPath), first + BuildOffsetsReport(good(), "2024-05-01 093017250", true, false));
}

TEST(OffsetsWindow, RefusalStopsWithoutReportSettingsOrStart)
{
    ToolsFixture f;
    f.language("tr");
    OffsetsWindow w;
    w.show();
    OffsetsTexts t = good();
    t.offsetB = "2.1";
    w.showTexts(t);
    w.onRealtimeClicked();
    EXPECT_EQ(f.messages(), std::vector<std::string>{"Ölçümlerde hata var: A + C toplamı B değerine yakın olması gerekir"});
    EXPECT_EQ(w.focusWidget(), w.OffsetA);
    EXPECT_EQ(f.host.calls, std::vector<std::string>{"AutoSave"});
    EXPECT_FALSE(fileExists(LogFolder + "2024-05-01 Offsets.log"));
    EXPECT_TRUE(folderExists(LogFolder)) << "the data folders are made before the checks";
    {
        IniFile ini(GetIniFileName());
        EXPECT_FALSE(ini.sectionExists("ECHOSOUNDER_OFFSETS"));
    }
    EXPECT_TRUE(w.isVisible());

    // With the profile in use the SV edit is locked; the message says how to free it.
    f.prompts.entries.clear();
    f.language("en");
    t = good();
    t.soundVelocity = "";
    w.showTexts(t);
    w.SV->setEnabled(false);
    w.onRealtimeClicked();
    ASSERT_EQ(f.prompts.entries.size(), 1u);
    EXPECT_TRUE(f.prompts.entries[0].text.startsWith("Failed! Recheck SV value\n"));
}

TEST(OffsetsWindow, ReportThatCannotBeWrittenWarnsAndTheSurveyStarts)
{
    ToolsFixture f;
    OffsetsWindow w;
    w.show();
    w.showTexts(good());
    CreateDataFolders();
    // A folder where the report file should be: the append fails.
    makeFolders(LogFolder + "2024-05-01 Offsets.log");
    w.onRealtimeClicked();
    ASSERT_EQ(f.prompts.entries.size(), 1u);
    EXPECT_EQ(f.prompts.entries[0].kind, PromptKind::Warning);
    EXPECT_TRUE(f.prompts.entries[0].text.contains(QString::fromStdString(LogFolder + "2024-05-01 Offsets.log")));
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"AutoSave", "PressRealtime"}));
    IniFile ini(GetIniFileName());
    EXPECT_EQ(ini.readString("ECHOSOUNDER_OFFSETS", "SurveyLocation", ""), "Hali\xE7");
}

TEST(OffsetsWindow, AccessorsKeepTheLastNumberAndCancelStoresNothing)
{
    ToolsFixture f;
    OffsetsWindow w;
    EXPECT_EQ(w.soundVelocity(), 1500.0);
    EXPECT_FALSE(w.numbersValid());
    w.showTexts(good());
    EXPECT_TRUE(w.numbersValid());
    EXPECT_EQ(w.draft(), 0.5);
    EXPECT_EQ(w.antennaHeight(), 1.5);
    EXPECT_EQ(w.tideHeight(), 0.25);
    w.OffsetA->setText("-");
    EXPECT_EQ(w.draft(), 0.5);
    w.OffsetA->setText("0.7");
    w.OffsetA->setText("0.7x");
    EXPECT_EQ(w.draft(), 0.7);
    EXPECT_FALSE(w.numbersValid());
    w.SV->setText("nan");
    EXPECT_EQ(w.soundVelocity(), 1500.0);

    w.show();
    w.onCancelClicked();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(f.host.calls.empty());
    IniFile ini(GetIniFileName());
    EXPECT_FALSE(ini.sectionExists("ECHOSOUNDER_OFFSETS"));
}

TEST(OffsetsWindow, LeavingANumericEditChecksItAndClicksOpenTheKeypads)
{
    ToolsFixture f;
    OffsetsWindow w;
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.OffsetA->setFocus();
    w.OffsetA->setText("");
    w.OffsetB->setFocus(Qt::TabFocusReason);
    QTest::qWait(1);
    ASSERT_EQ(f.prompts.entries.size(), 1u);
    EXPECT_EQ(f.prompts.entries[0].text, "Offset A: '' is not a valid floating point value");
    EXPECT_EQ(f.prompts.entries[0].parent, &w) << "said over this window, which stays on top";
    // Leaving for Cancel checks nothing; a number passes.
    w.OffsetB->setText("2");
    w.OffsetC->setFocus(Qt::TabFocusReason);
    w.OffsetC->setText("abc");
    w.cancelButton->setFocus(Qt::MouseFocusReason);
    QTest::qWait(1);
    EXPECT_EQ(f.prompts.entries.size(), 1u);

    // A menu popping up elsewhere (the map's right-click menu) or another window becoming active
    // leaves the focus in the edit: nothing was left, nothing is said.
    w.SV->setFocus(Qt::TabFocusReason);
    w.SV->setText("");
    QMenu menu;
    menu.addAction(QStringLiteral("Start Tracklining (main vessel)"));
    menu.popup(QPoint(10, 10));
    QTest::qWait(20);
    menu.close();
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(w.SV, &away);
    QTest::qWait(20);
    EXPECT_EQ(f.prompts.entries.size(), 1u);

    QTest::mouseClick(w.SV, Qt::LeftButton);
    QTest::mouseClick(w.Surveyor, Qt::LeftButton);
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"NumericKeypad", "SimpleKeyboard"}));
}
