// The sound-velocity window and its graph, worked through their controls: a probe file through
// the four tables, the profile switch and the offsets window, the messages in both languages,
// Save & Close with its copies, a restart, and the graph's drag and lasso.
#include "ToolsFixture.h"

#include "app/Settings.h"
#include "app/windows/NumberEdit.h"
#include "app/windows/WindowPointers.h"
#include "platform/AtomicFile.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "tools/SvpFiles.h"
#include "tools/windows/OffsetsWindow.h"
#include "tools/windows/SoundVelocityWindow.h"
#include "tools/windows/SoundVelocityGraphWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace vsx;
using vsx::test::ToolsFixture;

namespace {

// The window with an offsets window beside it, as the program has them.
struct SvpWindows {
    explicit SvpWindows(ToolsFixture& f) : fixture(f)
    {
        Offsets = new OffsetsWindow;
        svp = new SoundVelocityWindow;
        fSVP = svp;
    }
    ~SvpWindows()
    {
        delete fSVPGraph;
        fSVPGraph = nullptr;
        fSVP = nullptr;
        delete svp;
        delete Offsets;
        Offsets = nullptr;
    }
    // A probe file, in Windows-1254, offered by the file dialog at the next load.
    void offerFile(const std::string& name, const std::string& bytes)
    {
        fixture.home.writeFile(name, bytes);
        fixture.prompts.fileNames.push_back(QString::fromStdString(fixture.home.path(name)));
    }
    QStringList lines(QPlainTextEdit* memo) const
    {
        const QString t = memo->toPlainText();
        return t.isEmpty() ? QStringList() : t.split('\n');
    }
    std::string lastMessage() const
    {
        return fixture.prompts.entries.empty() ? std::string() : fixture.prompts.entries.back().text.toStdString();
    }

    ToolsFixture& fixture;
    SoundVelocityWindow* svp;
};

// A cast in a delimited file with a Turkish header: date; depth; temperature; velocity.
const std::string kCast =
    "Tarih;Depth (m);S\xFD" "cakl\xFDk;SV (m/s)\r\n"
    "2024-05-01;0.2;15.1;1500.25\r\n"
    "2024-05-01;0.4;15.1;1500.00\r\n"
    "2024-05-01;0.0;25.0;1651.00\r\n"  // out of range: questioned, skipped
    "2024-05-01;1.4;15.0;1502.00\r\n"
    "2024-05-01;2.5;14.8;1503.50\r\n";

// Load, auto-detect, extract, average to 4 m, make the column.
void runPipeline(SvpWindows& w)
{
    w.offerFile("cast.txt", kCast);
    w.svp->loadProbeButton->click();
    w.svp->autoDetectItem->trigger();
    w.fixture.prompts.answers = {PromptAnswer::Ok};
    w.svp->bRawToSVV->click();
    w.svp->eMaxDepth->setText("4");
    w.svp->bSVVtoAveragedSV->click();
    w.svp->bAveragedSVtoSVP->click();
}

} // namespace

TEST(SoundVelocityWindow, ProbeFileThroughTheTablesIntoTheDepthColumn)
{
    ToolsFixture f;
    SvpWindows w(f);
    EXPECT_FALSE(w.svp->bSaveClose->isEnabled());
    runPipeline(w);

    EXPECT_EQ(f.prompts.fileDialogTitles.size(), 1u);
    EXPECT_TRUE(w.svp->mRawSVData->toPlainText().startsWith(QString::fromUtf8("Tarih;Depth (m);Sıcaklık;SV (m/s)\n")))
        << "a Windows-1254 file shows its Turkish letters";
    ASSERT_GE(f.prompts.entries.size(), 2u);
    EXPECT_EQ(f.prompts.entries[0].text.toStdString(),
              "Auto-detected format:\n- Header at line: 1\n- Delimiter: ;\n- SV column: 4\n- Pressure column: 2\n"
              "- Search string: %*[^;];%lf;%*[^;];%lf");
    EXPECT_EQ(w.svp->eSearchString->text(), "%*[^;];%lf;%*[^;];%lf");
    EXPECT_TRUE(w.svp->rDFirst->isChecked());
    EXPECT_EQ(f.prompts.entries[1].text.toStdString(),
              "Value exceeds SV range! Please correct 1651 value at line 4 in source file. This line will be skipped.");
    EXPECT_EQ(w.lines(w.svp->mRawSVExtracted),
              (QStringList{"0,1500.250", "0,1500.000", "1,1502.000", "3,1503.500"}));
    EXPECT_EQ(w.lines(w.svp->mSortedAveragedSV),
              (QStringList{"0,1500.13,2", "1,1502.000,1", "", "3,1503.500,1", "4,1503.50,0"}));
    // (0*0 + 1500.13)/1 = 1500.13; (1*1500.13 + 1502)/2 = 1501.065; the gap repeats depth 1:
    // (1*1501.065 + 1502)/2 = 1501.5325; (3*1501.5325 + 1503.5)/4 = 1502.024375; (4*... + 1503.5)/5
    EXPECT_EQ(w.lines(w.svp->mSVPColumn), (QStringList{"1500.13", "1501.07", "1501.53", "1502.02", "1502.32"}));
    EXPECT_TRUE(w.svp->bSaveClose->isEnabled());

    // The switch: the offsets window's single velocity is locked, the column is in force.
    EXPECT_FALSE(w.svp->ProfileInUse());
    w.svp->cUseSVP->click();
    ASSERT_TRUE(w.svp->ProfileInUse());
    EXPECT_FALSE(Offsets->SV->isEnabled());
    EXPECT_EQ(Offsets->bSVP->text(), "SVP Profile Used");
    EXPECT_EQ(w.svp->ColumnInUse()->velocityAt(2.6), 1502.02);
    EXPECT_EQ(w.svp->ColumnInUse()->velocityAt(40.0), 1502.32) << "beyond the column: its last line";

    // A typed column line takes effect once it is a number again; half typed, the old one holds.
    QTextCursor c = w.svp->mSVPColumn->textCursor();
    c.movePosition(QTextCursor::End);
    c.insertText("\n15");
    EXPECT_EQ(w.svp->ColumnInUse()->values().size(), 5u);
    c.insertText("10.5");
    ASSERT_TRUE(w.svp->ProfileInUse());
    EXPECT_EQ(w.svp->ColumnInUse()->velocityAt(5.2), 1510.5);

    // Cancelled dialog, then a file that cannot be read: the profile in use stays.
    const size_t messages = f.prompts.entries.size();
    w.svp->loadProbeButton->click();
    EXPECT_EQ(f.prompts.entries.size(), messages);
    f.prompts.fileNames.push_back(QString::fromStdString(f.home.path("no-such-cast.txt")));
    w.svp->loadProbeButton->click();
    EXPECT_EQ(w.lastMessage(), "The file " + f.home.path("no-such-cast.txt") +
                                   " could not be read. The data already loaded stays as it is.");
    EXPECT_TRUE(w.svp->ProfileInUse());
    EXPECT_EQ(w.lines(w.svp->mSVPColumn).size(), 6);

    // A new cast empties the tables: the single velocity takes over, visibly.
    w.offerFile("cast2.txt", kCast);
    w.svp->loadProbeButton->click();
    EXPECT_TRUE(w.svp->mSVPColumn->toPlainText().isEmpty());
    EXPECT_FALSE(w.svp->cUseSVP->isChecked());
    EXPECT_FALSE(w.svp->ProfileInUse());
    EXPECT_TRUE(Offsets->SV->isEnabled());
    EXPECT_EQ(Offsets->bSVP->text(), "Single SV Used");
}

TEST(SoundVelocityWindow, RefusalsInTurkish)
{
    ToolsFixture f;
    f.language("tr");
    SvpWindows w(f);

    // Ticking with no column unticks again and says why; the offsets velocity stays editable.
    w.svp->cUseSVP->click();
    EXPECT_FALSE(w.svp->cUseSVP->isChecked());
    EXPECT_EQ(w.lastMessage(), "SVP Sütunu boş. Lütfen önce bir SVP profili yükleyin veya oluşturun.");
    EXPECT_TRUE(Offsets->SV->isEnabled());

    w.svp->autoDetectItem->trigger();
    EXPECT_EQ(w.lastMessage(), "Veri yüklenmedi. Lütfen önce bir dosya yükleyin.");
    w.svp->bGraph->click();
    EXPECT_EQ(w.lastMessage(), "Grafiği çizilecek veri yok. Lütfen önce SVP verisini işleyin.");

    // A search format that could write through memory is refused before anything is emptied.
    w.svp->mRawSVExtracted->setPlainText("0,1500.000");
    w.svp->eSearchString->setText("%s%s");
    w.svp->bRawToSVV->click();
    EXPECT_EQ(w.lastMessage().rfind("\"%s%s\" arama biçimi kullanılamıyor: ", 0), 0u) << w.lastMessage();
    EXPECT_EQ(w.svp->mRawSVExtracted->toPlainText(), "0,1500.000");
    w.svp->eSearchString->setText("%lf");
    w.svp->bRawToSVV->click();
    EXPECT_EQ(w.lastMessage(), "\"%lf\" arama biçimi tam olarak iki sayı okumalıdır: ses hızı ve derinlik.");
    // A double click on the format brings the default back.
    QTest::mouseDClick(w.svp->eSearchString, Qt::LeftButton);
    EXPECT_EQ(w.svp->eSearchString->text(), "%*23s %lf,%lf");

    // MaxDepth: no whole number is the platform's conversion error; out of bounds is said.
    w.svp->eMaxDepth->setText("abc");
    w.svp->bSVVtoAveragedSV->click();
    EXPECT_EQ(w.lastMessage(), "'abc' is not a valid integer value");
    w.svp->eMaxDepth->setText("1000000000");
    w.svp->bSVVtoAveragedSV->click();
    EXPECT_EQ(w.lastMessage(), "Maksimum derinlik 1 ile 12000 m arasında bir tam sayı olmalıdır.");
    EXPECT_EQ(w.svp->mRawSVExtracted->toPlainText(), "0,1500.000");

    // An empty surface line stops the column step; Save & Close stays disabled.
    w.svp->eMaxDepth->setText("2");
    w.svp->mSortedAveragedSV->setPlainText("\n1,1500.00,1\n2,1500.00,0");
    w.svp->bAveragedSVtoSVP->click();
    EXPECT_EQ(w.lastMessage(), "Ses hızı profilinin başlangıcı olan 0 derinlik ve buna ait ses hızı boş olamaz. Bu değeri "
                               "kendiniz doldurup yeniden deneyiniz.\nÖrnek: 0,1500.00");
    EXPECT_FALSE(w.svp->bSaveClose->isEnabled());
    w.svp->mSortedAveragedSV->setPlainText("0,1500.00,1\n1,1800.00,1\n2,1500.00,0");
    w.svp->bAveragedSVtoSVP->click();
    EXPECT_EQ(w.lastMessage(), "Sıra 1 ses hızı değeri hatalı. Lütfen kontrol edin, düzeltin ve tekrar deneyin");
    EXPECT_TRUE(w.svp->mSVPColumn->toPlainText().isEmpty());

    // The Defaults entry of the parameters' menu.
    w.svp->eMaxDepth->setText("50");
    w.svp->rDFirst->setChecked(true);
    w.svp->defaultsItem->trigger();
    EXPECT_EQ(w.svp->eMaxDepth->text(), "200");
    EXPECT_TRUE(w.svp->rSVFirst->isChecked());
}

TEST(SoundVelocityWindow, SaveAndCloseKeepsTheTablesForARestart)
{
    ToolsFixture f;
    std::string standing;
    {
        SvpWindows w(f);
        w.svp->show();
        runPipeline(w);
        w.svp->cUseSVP->click();
        const QStringList column = w.lines(w.svp->mSVPColumn);
        w.svp->bSaveClose->click();
        EXPECT_EQ(f.host.calls, std::vector<std::string>{"AutoSave"});
        EXPECT_FALSE(w.svp->isVisible());
        for (SvpTable t : kSvpTables) {
            const auto day = ReadSvpTableFile(SvpDayCopyName(SvpFolder, "2024-05-01", t));
            ASSERT_TRUE(day) << SvpTableName(t);
            EXPECT_EQ(*day, w.lines(w.svp->findChild<QPlainTextEdit*>(SvpTableName(t))));
        }
        std::string bytes;
        ASSERT_TRUE(readFile(SvpDayCopyName(SvpFolder, "2024-05-01", SvpTable::RawData), bytes));
        EXPECT_EQ(bytes, kCast) << "the cast as it came, in Windows-1254";
        standing = SvpStandingCopyName(SvpStandingFolder(), SvpTable::Column);
        const auto standingColumn = ReadSvpTableFile(standing);
        ASSERT_TRUE(standingColumn);
        EXPECT_EQ(*standingColumn, column);
        IniFile ini(GetIniFileName());
        EXPECT_TRUE(ini.readBool("SVP", "cUseSVP", false));
        EXPECT_EQ(ini.readString("SVP", "eSearchString", ""), "%*[^;];%lf;%*[^;];%lf");
        EXPECT_EQ(ini.readString("SVP", "eMaxDepth", ""), "4");
        EXPECT_FALSE(ini.readBool("SVP", "rSVFirst", true));
        EXPECT_TRUE(ini.readBool("SVP", "rDFirst", false));
    }
    // The same day: today's copies win over the standing ones, and the profile is in use again.
    writeFileAtomically(SvpDayCopyName(SvpFolder, "2024-05-01", SvpTable::Column), "1510.00\r\n1511.00\r\n");
    {
        SvpWindows w(f);
        EXPECT_EQ(w.svp->mSVPColumn->toPlainText(), "1510.00\n1511.00");
        EXPECT_EQ(w.svp->eSearchString->text(), "%*[^;];%lf;%*[^;];%lf");
        ASSERT_TRUE(w.svp->ProfileInUse());
        EXPECT_EQ(w.svp->ColumnInUse()->velocityAt(1.0), 1511.0);
        EXPECT_FALSE(Offsets->SV->isEnabled());
    }
    // The next day the standing copies come back.
    f.fakeClock.advance(std::chrono::hours(24));
    InitSharedValues();
    {
        SvpWindows w(f);
        EXPECT_EQ(w.lines(w.svp->mSVPColumn), *ReadSvpTableFile(standing));
        EXPECT_EQ(w.lines(w.svp->mSVPColumn).front(), "1500.13");
    }
    // A day folder that cannot take the copies keeps the window open and says so.
    {
        SvpWindows w(f);
        w.svp->show();
        runPipeline(w);
        std::filesystem::remove_all(SvpFolder);
        f.home.writeFile(SvpFolder.substr(f.home.root().size(), SvpFolder.size() - f.home.root().size() - 1), "x");
        w.svp->bSaveClose->click();
        EXPECT_TRUE(w.svp->isVisible());
        EXPECT_NE(w.lastMessage().find("could not be written"), std::string::npos) << w.lastMessage();
    }
}

// The graph through its window: one marker dragged, a lasso around two others deleted; the table
// written back keeps one line per metre.
TEST(SoundVelocityWindow, GraphDragAndLassoDeleteWriteTheTableBack)
{
    ToolsFixture f;
    SvpWindows w(f);
    const QStringList table = {"0,1500.00,2", "1,1501.00,1", "2,1502.00,1", "3,1540.00,1", "4,1545.00,1",
                               "5,1505.00,1", "6,1506.00,0"};
    w.svp->eMaxDepth->setText("6");
    w.svp->mSortedAveragedSV->setPlainText(table.join('\n'));
    w.svp->mSVPColumn->setPlainText("1500.00");
    w.svp->bSaveClose->setEnabled(true);

    double draggedTo = 0;
    bool acted = false;
    QTimer::singleShot(0, [&] {
        SoundVelocityGraphWindow* g = fSVPGraph;
        ASSERT_TRUE(g && g->isVisible());
        EXPECT_EQ(g->pointGrid->rowCount(), 7);
        const SvpGraphModel& m = g->Model();
        const int wdt = g->profilePlot->width(), hgt = g->profilePlot->height();
        // The designed mapping: margins 60, 20, 20, 40; whole pixels.
        auto px = [&](double sv) { return 60 + int(std::trunc((wdt - 80) * (sv - m.SvMin) / (m.SvMax - m.SvMin))); };
        auto py = [&](double d) { return 20 + int(std::trunc((hgt - 60) * (d - m.DepthMin) / (m.DepthMax - m.DepthMin))); };
        auto svAt = [&](int x) { return m.SvMin + (m.SvMax - m.SvMin) * (x - 60) / (wdt - 80); };

        // Drag depth 1 sideways by 40 pixels.
        const QPoint from(px(1501.0), py(1));
        const QPoint to = from + QPoint(40, 0);
        draggedTo = svAt(to.x());
        QTest::mousePress(g->profilePlot, Qt::LeftButton, {}, from);
        QTest::mouseMove(g->profilePlot, from + QPoint(20, 0));
        QTest::mouseMove(g->profilePlot, to);
        QTest::mouseRelease(g->profilePlot, Qt::LeftButton, {}, to);
        EXPECT_EQ(g->pointGrid->item(1, 1)->text().toStdString(), formatFixed(draggedTo, 2));

        // A lasso around the spikes at depths 3 and 4 (axes refitted after the drag).
        const int left = std::min(px(1540.0), px(1545.0)) - 12, right = std::max(px(1540.0), px(1545.0)) + 12;
        const int top = py(3) - 10, bottom = py(4) + 10;
        QTest::mousePress(g->profilePlot, Qt::LeftButton, {}, QPoint(left, top));
        for (QPoint p : {QPoint(right, top), QPoint(right, bottom), QPoint(left, bottom)}) QTest::mouseMove(g->profilePlot, p);
        QTest::mouseRelease(g->profilePlot, Qt::LeftButton, {}, QPoint(left, bottom));
        EXPECT_EQ(g->bDeleteSelected->text(), "Delete Selected (2)");
        EXPECT_TRUE(g->bDeleteSelected->isEnabled());
        QTest::mouseClick(g->bDeleteSelected, Qt::LeftButton);
        EXPECT_EQ(g->pointGrid->rowCount(), 5);
        EXPECT_EQ(g->bDeleteSelected->text(), "Delete Selected (0)");
        acted = true;
        QTest::mouseClick(g->bSaveAndClose, Qt::LeftButton);
    });
    w.svp->bGraph->click();
    ASSERT_TRUE(acted);
    EXPECT_GT(draggedTo, 1501.5);
    EXPECT_EQ(w.lines(w.svp->mSortedAveragedSV),
              (QStringList{"0,1500.00,2", QString::fromStdString("1," + formatFixed(draggedTo, 2) + ",1"), "2,1502.00,1",
                           "", "", "5,1505.00,1", "6,1506.00,0"}));
    EXPECT_EQ(w.lastMessage(), "Data updated. Please regenerate SVP Column.");
    EXPECT_TRUE(w.svp->mSVPColumn->toPlainText().isEmpty());
    EXPECT_FALSE(w.svp->bSaveClose->isEnabled());

    // Closing with OK and no edit changes nothing and says nothing; neither does Cancel after a
    // deletion.
    const size_t messages = f.prompts.entries.size();
    const QString before = w.svp->mSortedAveragedSV->toPlainText();
    QTimer::singleShot(0, [] { QTest::mouseClick(fSVPGraph->bSaveAndClose, Qt::LeftButton); });
    w.svp->bGraph->click();
    QTimer::singleShot(0, [] {
        fSVPGraph->pointGrid->setCurrentCell(0, 0);
        QTest::mouseClick(fSVPGraph->bDeleteRow, Qt::LeftButton);
        EXPECT_EQ(fSVPGraph->pointGrid->rowCount(), 4);
        QTest::mouseClick(fSVPGraph->bCancel, Qt::LeftButton);
    });
    w.svp->bGraph->click();
    EXPECT_EQ(f.prompts.entries.size(), messages);
    EXPECT_EQ(w.svp->mSortedAveragedSV->toPlainText(), before);

    // A grid cell that is no number keeps the graph open on Save & Close.
    QTimer::singleShot(0, [] {
        fSVPGraph->pointGrid->item(0, 1)->setText("15x0");
        QTest::mouseClick(fSVPGraph->bSaveAndClose, Qt::LeftButton);
        EXPECT_TRUE(fSVPGraph->isVisible());
        fSVPGraph->reject();
    });
    w.svp->bGraph->click();
    EXPECT_EQ(w.lastMessage(), "'15x0' is not a valid floating point value");
}
