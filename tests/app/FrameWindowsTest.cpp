// The frame's own windows driven as a user drives them: the on-screen keypad and keyboard on
// every kind of target, the translation editor's grid, language switch and keys, the theme
// window's preview, cancel and save, and the About box that only its OK button ends.
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/TranslationManager.h"
#include "program/ProgramStart.h"
#include "app/windows/ThemeWindow.h"
#include "app/windows/TranslationEditorWindow.h"
#include "app/windows/AboutWindow.h"
#include "app/windows/OnScreenKeypads.h"
#include "app/windows/WindowPointers.h"
#include "canvas/VeldorCanvas.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "platform/Prompts.h"
#include "platform/StyleManager.h"
#include "tools/windows/OffsetsWindow.h"
#include "app/windows/NumberEdit.h"

#include "support/GridInput.h"
#include "support/TempHome.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

#include <map>

using namespace vsx;
using namespace vsx::test;

namespace {

QPushButton* keyOf(QWidget* panel, const QString& caption)
{
    for (QPushButton* b : panel->findChildren<QPushButton*>())
        if (b->text() == caption) return b;
    return nullptr;
}

void press(QWidget* panel, const QStringList& keys)
{
    for (const QString& k : keys) {
        QPushButton* b = keyOf(panel, k);
        ASSERT_TRUE(b) << k.toStdString();
        QTest::mouseClick(b, Qt::LeftButton);
    }
}

} // namespace

TEST(OnScreenKeypads, KeysTypeIntoEveryKindOfTarget)
{
    QWidget host;
    host.resize(600, 400);
    NumericKeypad keypad(&host);
    SimpleKeyboard keyboard(&host);
    host.show();
    QLineEdit plain(&host), masked(&host);
    masked.setInputMask("999;_");
    QComboBox combo(&host);
    combo.setEditable(true);
    QLabel label("unchanged", &host);

    struct Case {
        QWidget* target;
        QWidget* panel;
        QStringList keys;
        QString text;
    } cases[] = {
        {&plain, &keypad, {"1", "2", "Back", "5"}, "15"},
        {&masked, &keypad, {"1", "2", "Back", "5"}, "15"},
        {&combo, &keypad, {"Back", "7", "0"}, "70"},
        {&plain, &keyboard, {"H", "I"}, "HI"},
        {&plain, &keyboard, {"Shift", "H", "i"}, "Hi"},
        {&plain, &keyboard, {"Shift", "Shift", "h", "Space", "9", "Back", "Back"}, "h"},
        {&combo, &keyboard, {"A", "Space", "B"}, "A B"},
    };
    for (const Case& c : cases) {
        SetKeypadTargetText(c.target, "");
        if (c.panel == &keypad) keypad.Target = c.target;
        else keyboard.Target = c.target;
        // Every case starts with the keyboard as made: capitals, shift off.
        SimpleKeyboard fresh(&host);
        if (c.panel == &keyboard) {
            fresh.Target = c.target;
            fresh.show();
            press(&fresh, c.keys);
        } else {
            press(c.panel, c.keys);
        }
        EXPECT_EQ(KeypadTargetText(c.target), c.text) << c.keys.join(' ').toStdString();
    }
    // After Shift the keys show small letters; Shift twice in a row leaves them small.
    keyboard.Target = &plain;
    press(&keyboard, {"Shift", "Shift"});
    EXPECT_TRUE(keyOf(&keyboard, "q") && keyOf(&keyboard, "m"));
    EXPECT_TRUE(keyOf(&keyboard, "1")) << "the digit row keeps its captions";

    keypad.Target = &label;
    press(&keypad, {"4"});
    keyboard.Target = &label;
    press(&keyboard, {"q", "Space"});
    EXPECT_EQ(label.text(), "unchanged") << "a label is no target";

    keypad.Target = nullptr;
    press(&keypad, {"4"});
    keypad.Target = &plain;
    keypad.show();
    press(&keypad, {"Enter"});
    EXPECT_FALSE(keypad.isVisible());
    keyboard.show();
    press(&keyboard, {"Enter"});
    EXPECT_FALSE(keyboard.isVisible());
    EXPECT_EQ(keypad.Key(9)->geometry(), QRect(5, 155, 50, 45)) << "Back at the bottom left";
    EXPECT_EQ(keypad.size(), QSize(170, 200));
    EXPECT_EQ(keyboard.size(), QSize(420, 200));
}

namespace {

struct EditorFixture {
    EditorFixture()
    {
        home.writeFile("Languages/tr.json", "\xEF\xBB\xBF{\n  \"Start\": \"Ba\xC5\x9Flat\",\n  \"Stop\": \"Durdur\"\n}");
        home.writeFile("Languages/uz.json", "{\"Start\": \"Boshlash\"}");
        delete Translator;
        Translator = new TranslationManager(home.path("Languages/"));
        setPrompts(&answers);
        editor.show();
        editor.activateWindow();
        (void)QTest::qWaitForWindowActive(&editor);
    }
    ~EditorFixture()
    {
        setPrompts(nullptr);
        delete Translator;
        Translator = nullptr;
    }
    QTableWidgetItem* cell(const QString& key, int column)
    {
        for (int r = 0; r < editor.sgTranslations->rowCount(); ++r)
            if (editor.sgTranslations->item(r, 0) && editor.sgTranslations->item(r, 0)->text() == key)
                return editor.sgTranslations->item(r, column);
        return nullptr;
    }
    // Chooses a language in the list as a user does: opens it and picks the row.
    void choose(const QString& code)
    {
        QComboBox* box = editor.cbLanguage;
        const int target = box->findText(code);
        box->showPopup();
        QAbstractItemView* list = box->view();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(target, 0)).center());
    }
    void edit(const QString& key, int column, const QString& text) { typeIntoCell(editor.sgTranslations, cell(key, column), text); }
    TempHome home;
    RecordingPrompts answers;
    TranslationEditorWindow editor;
};

} // namespace

TEST(TranslationEditor, EditSaveReloadAndAddKeys)
{
    EditorFixture f;
    EXPECT_EQ(f.editor.cbLanguage->currentText(), "en") << "the current language is chosen at show";
    EXPECT_EQ(f.editor.sgTranslations->rowCount(), 2);
    f.choose("tr");
    EXPECT_EQ(f.editor.GridLanguage(), "tr");
    EXPECT_EQ(f.cell("Start", 2)->text(), QString::fromUtf8("Ba\xC5\x9Flat"));
    f.edit("Stop", 2, QString::fromUtf8("Dur"));
    EXPECT_TRUE(f.editor.Modified());
    EXPECT_EQ(f.editor.LabelStatus->text(), "Modified");
    QTest::mouseClick(f.editor.btSave, Qt::LeftButton);
    EXPECT_EQ(f.editor.LabelStatus->text(), "Saved!");
    EXPECT_NE(f.home.readFile("Languages/tr.json").find("\"Stop\": \"Dur\""), std::string::npos);
    QTest::mouseClick(f.editor.btReload, Qt::LeftButton);
    EXPECT_EQ(f.editor.LabelStatus->text(), "Reloaded");
    EXPECT_EQ(f.editor.GridLanguage(), "en") << "a reload shows the interface's language";
    f.choose("tr");
    EXPECT_EQ(f.cell("Stop", 2)->text(), "Dur");

    // Keys: a duplicate (blanks trimmed, case counts) and a new one that reaches the file on save.
    QTest::keyClicks(f.editor.edNewKey, "Start ");
    QTest::mouseClick(f.editor.btAddKey, Qt::LeftButton);
    EXPECT_EQ(f.editor.LabelStatus->text(), "Key already exists");
    f.editor.edNewKey->clear();
    QTest::keyClicks(f.editor.edNewKey, "start");
    QTest::mouseClick(f.editor.btAddKey, Qt::LeftButton);
    EXPECT_EQ(f.editor.LabelStatus->text(), "Key added - don't forget to save");
    EXPECT_EQ(f.editor.sgTranslations->rowCount(), 3);
    f.choose("tr");  // the language shown: no question, the new row stays
    EXPECT_EQ(f.answers.entries.size(), 0u);
    f.edit("start", 2, "kucuk");
    QTest::mouseClick(f.editor.btSave, Qt::LeftButton);
    EXPECT_NE(f.home.readFile("Languages/tr.json").find("\"start\": \"kucuk\""), std::string::npos);

    // The English column is the key: editing it stores nothing.
    const std::string before = f.home.readFile("Languages/tr.json");
    f.edit("Start", 1, "Go");
    QTest::mouseClick(f.editor.btSave, Qt::LeftButton);
    EXPECT_EQ(f.editor.LabelStatus->text(), "Saved!");
    EXPECT_EQ(f.home.readFile("Languages/tr.json"), before);
}

TEST(TranslationEditor, SwitchingLanguageWithUnsavedEditsAsksFirst)
{
    EditorFixture f;
    f.choose("tr");
    f.edit("Start", 2, "Basla");
    // Cancel: the grid and the list stay on Turkish, still modified.
    f.answers.answers = {PromptAnswer::Cancel};
    f.choose("uz");
    ASSERT_EQ(f.answers.entries.size(), 1u);
    EXPECT_EQ(f.answers.entries[0].text, "Do you want to save changes?");
    EXPECT_EQ(f.editor.cbLanguage->currentText(), "tr");
    EXPECT_EQ(f.editor.GridLanguage(), "tr");
    EXPECT_TRUE(f.editor.Modified());
    // Yes: the edit is saved in Turkish, the language it was made in, not in the one chosen.
    f.answers.answers = {PromptAnswer::Yes};
    f.choose("uz");
    EXPECT_EQ(f.editor.GridLanguage(), "uz");
    EXPECT_NE(f.home.readFile("Languages/tr.json").find("\"Start\": \"Basla\""), std::string::npos);
    EXPECT_EQ(f.home.readFile("Languages/uz.json"), "{\"Start\": \"Boshlash\"}");
    EXPECT_EQ(f.cell("Start", 2)->text(), "Boshlash");
    // No: the edit is dropped. Reload drops edits without a question.
    f.edit("Start", 2, "Xyz");
    f.answers.answers = {PromptAnswer::No};
    f.choose("tr");
    EXPECT_EQ(f.home.readFile("Languages/uz.json"), "{\"Start\": \"Boshlash\"}");
    f.edit("Start", 2, "Abc");
    const std::size_t asked = f.answers.entries.size();
    QTest::mouseClick(f.editor.btReload, Qt::LeftButton);
    EXPECT_EQ(f.answers.entries.size(), asked);
    EXPECT_FALSE(f.editor.Modified());
    EXPECT_EQ(f.editor.GridLanguage(), "en") << "the list and the grid come back to the language shown";
}

// In a window too narrow for all three columns, the grid scrolled sideways to its end still shows
// each row's key at its left edge, as it did before the scroll.
TEST(TranslationEditor, KeyColumnStaysInViewWhenTheGridScrollsSideways)
{
    EditorFixture f;
    f.choose("tr");
    QTableWidget* grid = f.editor.sgTranslations;
    f.editor.resize(420, 300);
    QScrollBar* sideways = grid->horizontalScrollBar();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sideways->isVisible() && sideways->maximum() > 0; }, 5000));
    const QPoint firstKey(grid->frameWidth() + 10, grid->frameWidth() + grid->horizontalHeader()->height() + grid->rowHeight(0) / 2);
    const QRect keyColumn(grid->frameWidth(), grid->frameWidth(), 190, grid->horizontalHeader()->height() + 2 * grid->rowHeight(0));
    const QImage before = grid->grab(keyColumn).toImage();

    // The user pages right in the scroll bar's trough until it stops.
    for (int i = 0; i < 20 && sideways->value() < sideways->maximum(); ++i)
        QTest::mouseClick(sideways, Qt::LeftButton, {}, QPoint(sideways->width() - 20, sideways->height() / 2));
    ASSERT_EQ(sideways->value(), sideways->maximum());
    EXPECT_GT(grid->indexAt(grid->viewport()->mapFrom(grid, firstKey)).column(), 0) << "the texts have moved under it";

    // What the user sees at the left edge: the key of the first row, in the same pixels as before.
    QWidget* shown = grid->childAt(firstKey);
    auto* view = shown ? qobject_cast<QAbstractItemView*>(shown->parentWidget()) : nullptr;
    ASSERT_TRUE(view) << "no cell at the grid's left edge";
    const QModelIndex index = view->indexAt(shown->mapFrom(grid, firstKey));
    EXPECT_EQ(index.column(), 0);
    EXPECT_EQ(index.data().toString(), "Start");
    EXPECT_EQ(grid->grab(keyColumn).toImage(), before) << "the key column looks as it did before the scroll";

    // Moving left with the keys from the language column brings the English cell out from under it.
    QTableWidgetItem* turkish = f.cell("Start", 2);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(turkish).center());
    QTest::keyClick(grid, Qt::Key_Left);
    ASSERT_EQ(grid->currentColumn(), 1);
    EXPECT_GE(grid->visualItemRect(f.cell("Start", 1)).left(), grid->columnWidth(0)) << "the English cell is hidden under the keys";
}

TEST(ThemeWindow, PreviewCancelAndSaveForTheNextStart)
{
    TempHome home;
    InitSharedValues();
    RecordingPrompts answers;
    setPrompts(&answers);
    CreateAllWindows();
    ApplyStyle("Light");
    const QColor light = StyleManager::panelColour("Light");
    const ColorValue mapAtShow = FNav->fcad->Model().BackgroundColor();
    ASSERT_NE(mapAtShow, fromQColor(light)) << "the map has a colour of its own";
    fTheme->show();
    const int count = int(StyleManager::styleNames().size());
    EXPECT_EQ(fTheme->lInfo->text(), QString("Available themes: %1. Select to preview.").arg(count));
    EXPECT_EQ(fTheme->lbThemeList->currentItem()->text(), "Light");

    auto pick = [](const QString& name) {
        QListWidgetItem* item = fTheme->lbThemeList->findItems(name, Qt::MatchExactly).value(0);
        ASSERT_TRUE(item);
        QTest::mouseClick(fTheme->lbThemeList->viewport(), Qt::LeftButton, {},
                          fTheme->lbThemeList->visualItemRect(item).center());
    };
    // The look of every control of every window, and the main window's bars as drawn.
    struct Look {
        QPalette palette;
        QString styleSheet;
    };
    auto looks = [] {
        std::map<QWidget*, Look> all;
        for (QWidget* top : QApplication::topLevelWidgets())
            for (QWidget* w : top->findChildren<QWidget*>()) all[w] = {w->palette(), w->styleSheet()};
        return all;
    };
    auto bars = [] {
        std::vector<QImage> images;
        for (const char* name : {"tRealtime", "tDraw", "tShape"})
            images.push_back(FNav->findChild<QToolBar*>(name)->grab().toImage());
        return images;
    };
    FNav->show();
    const std::map<QWidget*, Look> atShow = looks();
    const std::vector<QImage> barsAtShow = bars();
    for (const char* dark : {"Carbon", "Windows10 Dark"}) pick(dark);
    EXPECT_EQ(StyleManager::activeStyle(), "Windows10 Dark");
    EXPECT_EQ(FNav->fcad->Model().BackgroundColor(), fromQColor(StyleManager::panelColour("Windows10 Dark")));
    EXPECT_NE(bars(), barsAtShow) << "the preview shows on the bars";
    QTest::mouseClick(fTheme->bCancel, Qt::LeftButton);
    EXPECT_FALSE(fTheme->isVisible());
    EXPECT_EQ(StyleManager::activeStyle(), "Light");
    EXPECT_EQ(FNav->fcad->Model().BackgroundColor(), mapAtShow);
    for (const auto& [w, look] : looks()) {
        const auto before = atShow.find(w);
        if (before == atShow.end()) continue;
        EXPECT_TRUE(look.palette == before->second.palette) << w->objectName().toStdString() << " keeps a preview colour";
        EXPECT_EQ(look.styleSheet, before->second.styleSheet) << w->objectName().toStdString();
    }
    EXPECT_EQ(bars(), barsAtShow) << "tool bars and the drawing tools look as they did at show";
    EXPECT_EQ(IniFile(GetIniFileName()).readString("APPLICATION", "ThemeStyle", ""), "");

    fTheme->show();
    pick("Carbon");
    QTest::mouseClick(fTheme->bSaveExit, Qt::LeftButton);
    EXPECT_EQ(IniFile(GetIniFileName()).readString("APPLICATION", "ThemeStyle", ""), "Carbon");
    DestroyAllWindows();
    setPrompts(nullptr);
    // The next start applies it.
    ApplyStyle("Light");
    ApplyStyle(ReadStartupSettings().themeStyle);
    EXPECT_EQ(StyleManager::activeStyle(), "Carbon");
    ApplyStyle("Light");
}

TEST(AboutBox, OnlyOkEndsIt)
{
    TempHome home;
    InitSharedValues();
    CreateAllWindows();
    FNav->findChild<QAction*>("About1")->trigger();
    ASSERT_TRUE(formAbout->isVisible());
    EXPECT_TRUE(formAbout->isModal());
    EXPECT_EQ(formAbout->Version->text(), "Version 07.09.07");
    QTest::keyClick(formAbout, Qt::Key_Escape);
    formAbout->close();
    EXPECT_TRUE(formAbout->isVisible()) << "Escape and the frame leave it open";
    QTest::mouseClick(formAbout->okButton, Qt::LeftButton);
    EXPECT_FALSE(formAbout->isVisible());
    DestroyAllWindows();
}

TEST(OnScreenKeypads, OffsetsFieldsAreTypedThroughThePanelsOfTheMainWindow)
{
    TempHome home;
    InitSharedValues();
    RecordingPrompts answers;
    setPrompts(&answers);
    CreateAllWindows();
    Offsets->show();
    // A numeric field: the keypad at the bottom right of the main window types into it.
    QTest::mouseClick(Offsets->OffsetA, Qt::LeftButton);
    NumericKeypad* keypad = FNav->numericKeypad();
    ASSERT_TRUE(keypad && keypad->isVisible());
    EXPECT_EQ(keypad->parentWidget(), FNav);
    EXPECT_EQ(keypad->geometry().bottomRight() + QPoint(11, 11), QPoint(FNav->width(), FNav->height()));
    Offsets->OffsetA->clear();
    press(keypad, {"1", "2", "Back", "5", "Enter"});
    EXPECT_EQ(Offsets->OffsetA->text(), "15");
    EXPECT_FALSE(keypad->isVisible());
    // A text field: the keyboard, centred at the bottom.
    QTest::mouseClick(Offsets->Surveyor, Qt::LeftButton);
    SimpleKeyboard* keyboard = FNav->simpleKeyboard();
    ASSERT_TRUE(keyboard && keyboard->isVisible());
    EXPECT_EQ(keyboard->x(), (FNav->width() - keyboard->width()) / 2);
    Offsets->Surveyor->clear();
    press(keyboard, {"A", "L", "I", "Enter"});
    EXPECT_EQ(Offsets->Surveyor->text(), "ALI");
    DestroyAllWindows();
    setPrompts(nullptr);
}
