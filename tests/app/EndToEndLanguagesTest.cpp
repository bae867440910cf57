// The whole program in Turkish with the shipped language file: every window opened, every text
// it shows walked. No text is left in English but the few that read the same in both languages,
// no key is missing, and switching to English and back gives every text exactly again. A Turkish
// text edited in the translation editor shows after a reload; the keypad works in Turkish.
#include "app/SharedValues.h"
#include "app/TranslationManager.h"
#include "program/ProgramStart.h"
#include "app/windows/WindowPointers.h"
#include "app/windows/WindowTranslation.h"
#include "canvas/VeldorCanvas.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"
#include "app/Settings.h"
#include "app/windows/NumberEdit.h"
#include "app/windows/TranslationEditorWindow.h"
#include "app/windows/AboutWindow.h"
#include "app/windows/OnScreenKeypads.h"
#include "tools/windows/OffsetsWindow.h"
#include "tools/windows/RunlineGeneratorWindow.h"
#include "tools/windows/SoundVelocityWindow.h"
#include "tools/windows/WaterfallWindow.h"

#include "support/ControlInput.h"
#include "support/GridInput.h"
#include "support/TempHome.h"
#include "support/TextFit.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

using namespace vsx;
using namespace vsx::test;

namespace {

const std::string kShippedTurkish = std::string(VSX_SOURCE_DIR) + "/languages/tr.json";

// Texts that read the same in English and Turkish: units, abbreviations and protocol names,
// words Turkish surveyors use as they are, the product's name and the keyboard's key legends.
// Single characters (the offsets sketch's A, B, C and the keyboard's letters) count as well.
const std::set<QString> kSameInBothLanguages = {
    "m", "m/s", "SV", "SV (m/s)", "SVP", "UDP", "UDP IP:", "R1:", "Port", "Port:", "Baud", "Baud:", "Datum", "Float",
    "Enter", "Shift", "Veldor Sondrix", "Veldor Sondrix - ",
};

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool hasLetter(const QString& s)
{
    for (QChar c : s)
        if (c.isLetter()) return true;
    return false;
}

QString segment(const QObject* o)
{
    if (!o->objectName().isEmpty()) return o->objectName();
    int index = 0;
    if (const QObject* parent = o->parent()) {
        for (const QObject* sibling : parent->children()) {
            if (sibling == o) break;
            if (sibling->metaObject() == o->metaObject()) ++index;
        }
    }
    return QStringLiteral("%1[%2]").arg(o->metaObject()->className()).arg(index);
}

QString placeOf(const QObject* o)
{
    QStringList parts;
    for (; o; o = o->parent()) parts.prepend(segment(o));
    return parts.join('/');
}

// Every text the program's windows show, by the place it is shown at; values apart.
struct Texts {
    std::map<QString, QString> words, values;
};

// Texts the program sets as values (numbers, names, codes) are kept apart; texts without letters
// are left out.
void collect(QObject* o, Texts& out)
{
    const QString at = placeOf(o);
    const bool value = IsMarkedAsValue(o);
    auto put = [&](const QString& slot, const QString& text, bool valueItem = false) {
        if (hasLetter(text)) (value || valueItem ? out.values : out.words)[at + '#' + slot] = text;
    };
    if (auto* a = qobject_cast<QAction*>(o)) {
        if (!a->isSeparator()) put("text", a->text());
        return;
    }
    auto* w = qobject_cast<QWidget*>(o);
    if (!w) return;
    if ((w->isWindow() && !qobject_cast<QMenu*>(w)) || qobject_cast<QToolBar*>(w)) put("title", w->windowTitle());
    put("tip", w->toolTip());
    if (auto* l = qobject_cast<QLabel*>(w)) put("text", l->text());
    else if (auto* b = qobject_cast<QAbstractButton*>(w)) put("text", b->text());
    else if (auto* g = qobject_cast<QGroupBox*>(w)) put("text", g->title());
    else if (auto* e = qobject_cast<QLineEdit*>(w)) put("placeholder", e->placeholderText());
    else if (auto* bar = qobject_cast<QTabBar*>(w)) {
        for (int i = 0; i < bar->count(); ++i) put(QStringLiteral("tab%1").arg(i), bar->tabText(i));
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        if (c->property("vsxTranslateItems").toBool())
            for (int i = 0; i < c->count(); ++i) put(QStringLiteral("item%1").arg(i), c->itemText(i));
    } else if (auto* t = qobject_cast<QTableWidget*>(w)) {
        for (int i = 0; i < t->columnCount(); ++i)
            if (QTableWidgetItem* h = t->horizontalHeaderItem(i))
                put(QStringLiteral("column%1").arg(i), h->text(), IsMarkedAsValue(h));
    }
}

Texts everyText()
{
    Texts out;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName().isEmpty() || w->windowType() == Qt::ToolTip) continue;
        if (w->parentWidget()) continue;  // walked with its parent
        collect(w, out);
        for (QObject* o : w->findChildren<QObject*>()) collect(o, out);
    }
    return out;
}

// Words that only the English side of the language file uses: a Turkish text holding one of them
// was left (partly) in English.
std::set<QString> englishOnlyWords()
{
    std::set<QString> english, turkish;
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{3,}"));
    for (const auto& [key, text] : TranslationManager::LoadLanguageFile(kShippedTurkish)) {
        for (const auto& m : word.globalMatch(QString::fromStdString(key))) english.insert(m.captured());
        for (const auto& m : word.globalMatch(QString::fromStdString(text))) turkish.insert(m.captured());
    }
    std::set<QString> only;
    for (const QString& w : english)
        if (!turkish.count(w)) only.insert(w);
    return only;
}

// The program as a surveyor finds it in the language stored in its settings, installed in a
// folder of its own with the shipped Turkish file in its Languages folder, every window open.
struct Program {
    explicit Program(const char* language)
    {
        home.writeFile("program/Languages/tr.json", readAll(kShippedTurkish));
        setProgramFolder(home.path("program/"));
        IniFile(GetIniFileName()).writeString("SETTINGS", "Language", language);
        setPrompts(&prompts);
        start();
        openEveryWindow();
    }
    ~Program()
    {
        stop();
        setPrompts(nullptr);
        setProgramFolder({});
    }
    // A start as main makes it: the main window makes the translator over the program folder's
    // Languages folder and sets the stored language.
    void start()
    {
        // Each run is a process of its own, which starts without a translator.
        delete Translator;
        Translator = nullptr;
        InitSharedValues();
        CreateAllWindows();
        EXPECT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 3000));
        ASSERT_NE(Translator, nullptr);
        EXPECT_EQ(Translator->folder(), home.path("program/Languages/"));
    }
    // The program ends; its translator goes with the process.
    void stop()
    {
        DestroyAllWindows();
        delete Translator;
        Translator = nullptr;
    }
    // Clicks the main menu open and the item; a menu without the item fails the test.
    static void choose(const char* item) { chooseMenuItem(FNav->menuBar(), QString::fromLatin1(item)); }
    // The About window is modal: it is closed with its OK button before the user goes on.
    static void closeAbout()
    {
        QTest::mouseClick(formAbout->okButton, Qt::LeftButton);
        EXPECT_FALSE(formAbout->isVisible());
    }
    void openEveryWindow()
    {
        // The windows the menus open, opened from them.
        for (const char* item : {"VesselShape1", "Settings1", "OffsetsandValues1", "SoundVelocityProfile1",
                                 "GenerateRunline1", "LatencyWatchSet1", "themeSelection1", "TranslationEditor1",
                                 "HelsmanWindow1", "VeldorNTRIPClient1", "mRealtimeWindow1"})
            choose(item);
        // The map's and the helmsman's menus, opened as the user does with the right button and
        // closed with Escape.
        for (QWidget* map : {static_cast<QWidget*>(FNav->fcad), FNav->findChild<QWidget*>("HelmCanvas")}) {
            ASSERT_NE(map, nullptr);
            QTest::mouseClick(map, Qt::RightButton, {}, map->rect().center());
            for (QMenu* m : FNav->findChildren<QMenu*>())
                if (m->isVisible()) QTest::keyClick(m, Qt::Key_Escape);
        }
        // The on-screen keypad and keyboard come up from the offsets window's fields.
        QTest::mouseClick(Offsets->OffsetA, Qt::LeftButton);
        QTest::mouseClick(Offsets->Surveyor, Qt::LeftButton);
        choose("About1");  // modal: opened last
        QTest::qWait(50);
    }
    std::string missingLog() const { return home.readFile("program/Languages/missing.log"); }

    TempHome home;
    RecordingPrompts prompts;
};

} // namespace

TEST(EndToEndLanguages, EveryTextIsTurkishAndSwitchingBackRestoresEveryText)
{
    Texts english;
    {
        Program p("en");
        english = everyText();
        // The first show gives the tool bar and two windows the captions of the caption translation.
        EXPECT_EQ(FNav->findChild<QToolButton*>("bSelectTracks")->text(), "Select Tracks");
        EXPECT_EQ(FNav->findChild<QToolButton*>("ToolButton13")->text(), "Do Not Follow");
        EXPECT_EQ(fWaterfal->windowTitle(), "Acoustics Waterfall");
    }
    Program p("tr");
    const Texts turkish = everyText();
    EXPECT_EQ(p.missingLog(), "") << "keys without a Turkish text";

    const std::set<QString> englishWords = englishOnlyWords();
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{3,}"));
    for (const auto& [place, text] : turkish.words) {
        const auto e = english.words.find(place);
        if (e != english.words.end() && e->second == text) {
            EXPECT_TRUE(text.size() == 1 || kSameInBothLanguages.count(text))
                << place.toStdString() << ": still English: " << text.toStdString();
        }
    }
    for (const auto* texts : {&turkish.words, &turkish.values})
        for (const auto& [place, text] : *texts)
            for (const auto& m : word.globalMatch(text))
                EXPECT_FALSE(englishWords.count(m.captured()))
                    << place.toStdString() << ": English word '" << m.captured().toStdString() << "' in "
                    << text.toStdString();

    // Back to English and to Turkish again: every text as it was (values may have moved on).
    auto expectSame = [](const std::map<QString, QString>& before, const std::map<QString, QString>& now) {
        for (const auto& [place, text] : before) {
            const auto n = now.find(place);
            if (n != now.end()) {
                EXPECT_EQ(n->second, text) << place.toStdString();
            }
        }
    };
    Program::closeAbout();
    Program::choose("English1");
    expectSame(english.words, everyText().words);
    Program::choose("Turkish1");
    expectSame(turkish.words, everyText().words);
    EXPECT_EQ(p.missingLog(), "");
}

namespace {

void expectEveryTextFits(const QWidget* window, const std::string& situation)
{
    for (const QString& cut : CutOffTexts(window))
        ADD_FAILURE() << situation << ": " << window->objectName().toStdString() << ": " << cut.toStdString();
}

} // namespace

// Every window the menus open, in each language: no caption or text is cut off by its control;
// nor are the run-line generator's longest messages, brought up through its controls. (The
// windows that only a device, a caster or a modal dialog brings up are checked on their own.)
TEST(EndToEndLanguages, EveryTextFitsItsControlInBothLanguages)
{
    for (const std::string language : {"en", "tr"}) {
        Program p(language.c_str());
        for (QWidget* w : QApplication::topLevelWidgets())
            if (!w->objectName().isEmpty() && w->isVisible()) expectEveryTextFits(w, language);

        Program::closeAbout();

        // The offsets window's profile button in both its captions, and a surveyor's full name.
        QTest::mouseClick(fSVP->mSVPColumn->viewport(), Qt::LeftButton);
        for (const char* line : {"1500", "1490"}) {
            QTest::keyClicks(fSVP->mSVPColumn, line);
            QTest::keyClick(fSVP->mSVPColumn, Qt::Key_Return);
        }
        for (bool used : {true, false}) {
            QTest::mouseClick(fSVP->cUseSVP, Qt::LeftButton);
            ASSERT_EQ(fSVP->cUseSVP->isChecked(), used);
            QTest::qWait(20);
            expectEveryTextFits(Offsets, language + " " + Offsets->bSVP->text().toStdString());
            EXPECT_EQ(Offsets->width(), 489) << language << ": the window keeps its width";
        }
        for (QLineEdit* e : {Offsets->Location, Offsets->SurveyBoat, Offsets->Surveyor}) {
            const QString name = QStringLiteral("Mehmet Yildirim");
            QTest::mouseClick(e, Qt::LeftButton);
            typeInto(e, name);
            EXPECT_LE(e->fontMetrics().horizontalAdvance(name), e->width() - 12)
                << language << ": " << e->accessibleName().toStdString() << " shows only part of a name";
        }

        RunlineGeneratorWindow* runline = fRunline1;
        ASSERT_TRUE(runline->isVisible());
        QTest::mouseClick(runline->bDrawRoute, Qt::LeftButton);
        for (const QPoint& at : {QPoint(200, 300), QPoint(400, 300)}) {
            QTest::mouseClick(FNav->fcad, Qt::LeftButton, {}, at);
            QTest::qWait(30);
        }
        QTest::mouseClick(FNav->fcad, Qt::RightButton, {}, QPoint(405, 305));
        QTest::qWait(30);
        const struct {
            const char *spacing, *length;
            bool parallel;
        } inputs[] = {
            {"0", "100", false},         {"10", "0", false},           {"10000000", "100", false},
            {"50", "10", true},          {"0.000001", "100", false},
        };
        std::set<QString> messages;
        for (const auto& in : inputs) {
            QTest::mouseClick(in.parallel ? runline->rbParallel : runline->rbPerpendicular, Qt::LeftButton);
            typeInto(runline->eLength, in.length);
            typeInto(runline->eSpacing, in.spacing);
            messages.insert(runline->lRouteStatus->text());
            QTest::qWait(20);  // the window lays itself out again, as it does before it is painted
            expectEveryTextFits(runline, language + " " + runline->lRouteStatus->text().toStdString());
        }
        EXPECT_EQ(messages.size(), std::size(inputs)) << "each input brings its own message";
    }
}

namespace {

QMenu* menuHolding(const char* action) { return qobject_cast<QMenu*>(FNav->findChild<QAction*>(action)->parent()); }

// The editor's cell of a key in one of its columns.
QTableWidgetItem* cellOf(QTableWidget* grid, const QString& key, int column)
{
    for (int r = 0; r < grid->rowCount(); ++r)
        if (grid->item(r, 0) && grid->item(r, 0)->text() == key) return grid->item(r, column);
    return nullptr;
}

} // namespace

TEST(EndToEndLanguages, ATextEditedInTheTranslationEditorShowsAfterAReload)
{
    Program p("tr");
    Program::closeAbout();
    const QString tools = QString::fromUtf8("Ara\xC3\xA7lar"), edited = QString::fromUtf8("Gere\xC3\xA7ler");
    ASSERT_EQ(menuHolding("VesselShape1")->title(), tools);
    TranslationEditorWindow* editor = fTranslationEditor;
    ASSERT_TRUE(editor && editor->isVisible());
    EXPECT_EQ(editor->windowTitle(), QString::fromUtf8("\xC3\x87\x65viri D\xC3\xBCzenleyici"));
    EXPECT_EQ(editor->cbLanguage->currentText(), "tr");
    typeIntoCell(editor->sgTranslations, cellOf(editor->sgTranslations, "Tools", 2), edited);
    QTest::mouseClick(editor->btSave, Qt::LeftButton);
    EXPECT_EQ(editor->LabelStatus->text(), "Kaydedildi!");
    EXPECT_NE(p.home.readFile("program/Languages/tr.json").find("\"Tools\": \"" + edited.toStdString() + "\""), std::string::npos);

    // The menu takes the new text once the language is loaded again: here by switching.
    QTest::mouseClick(editor->btReload, Qt::LeftButton);
    Program::choose("English1");
    EXPECT_EQ(menuHolding("VesselShape1")->title(), "Tools");
    Program::choose("Turkish1");
    EXPECT_EQ(menuHolding("VesselShape1")->title(), edited);
    // And at the next start.
    p.stop();
    p.start();
    EXPECT_EQ(menuHolding("VesselShape1")->title(), edited);
    EXPECT_EQ(p.missingLog(), "");
}

TEST(EndToEndLanguages, TheKeypadTypesWithItsKeysInTurkish)
{
    Program p("tr");
    Program::closeAbout();
    QTest::mouseClick(Offsets->OffsetA, Qt::LeftButton);
    NumericKeypad* keypad = FNav->numericKeypad();
    ASSERT_TRUE(keypad && keypad->isVisible());
    typeInto(Offsets->OffsetA, "");
    for (const char* caption : {"1", "2", "Sil", "5", "Enter"}) {
        QPushButton* key = nullptr;
        for (QPushButton* b : keypad->findChildren<QPushButton*>())
            if (b->text() == caption) key = b;
        ASSERT_TRUE(key) << caption;
        QTest::mouseClick(key, Qt::LeftButton);
    }
    EXPECT_EQ(Offsets->OffsetA->text(), "15");
    EXPECT_FALSE(keypad->isVisible());
}
