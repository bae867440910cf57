// The translation editor in the whole program, offscreen, when its language file cannot be
// written: the language folder beside the program is taken away and a plain file put in its
// place, which no user (root included) can write into. Opened from its menu, a Turkish text
// edited in its grid, "Save Changes" says what could not be written and why instead of "Saved!",
// keeps the edit, and writes it once the folder is back.
#include "app/TranslationManager.h"
#include "app/windows/TranslationEditorWindow.h"
#include "app/windows/WindowPointers.h"
#include "nav/windows/MainWindow.h"
#include "platform/Paths.h"

#include "support/ControlInput.h"
#include "support/GridInput.h"
#include "support/ControlInput.h"
#include "support/RunningProgram.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace vsx;
using namespace vsx::test;

namespace {

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

QTableWidgetItem* cellOf(QTableWidget* grid, const QString& key, int column)
{
    for (int r = 0; r < grid->rowCount(); ++r)
        if (grid->item(r, 0) && grid->item(r, 0)->text() == key) return grid->item(r, column);
    return nullptr;
}

// A program folder of its own with a small Turkish language file; the main window makes the
// translation manager over it.
class EndToEndTranslationEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/vsx-editor-program-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        programFolder_ = std::string(name) + "/";
        std::filesystem::create_directory(languages());
        writeAll(languages() + "tr.json", "\xEF\xBB\xBF{\n  \"Start\": \"Ba\xC5\x9Flat\",\n  \"Tools\": \"Ara\xC3\xA7lar\"\n}");
        setProgramFolder(programFolder_);
        delete Translator;
        Translator = nullptr;
    }
    void TearDown() override
    {
        delete Translator;
        Translator = nullptr;
        setProgramFolder({});
        std::error_code ec;
        std::filesystem::remove_all(programFolder_, ec);
    }
    std::string languages() const { return programFolder_ + "Languages/"; }

    std::string programFolder_;
};

} // namespace

TEST_F(EndToEndTranslationEditor, ALanguageFileThatCannotBeWrittenIsReportedAndTheEditIsKept)
{
    RunningProgram program;
    chooseMenuItem(FNav->menuBar(), "TranslationEditor1");
    TranslationEditorWindow* editor = fTranslationEditor;
    ASSERT_TRUE(editor && editor->isVisible());
    choose(editor->cbLanguage, "tr");
    ASSERT_EQ(editor->GridLanguage(), "tr");
    const QString edited = QString::fromUtf8("Gere\xC3\xA7ler");
    typeIntoCell(editor->sgTranslations, cellOf(editor->sgTranslations, "Tools", 2), edited);
    ASSERT_EQ(editor->LabelStatus->text(), "Modified");

    // The folder is taken away and a plain file stands in its place.
    const std::string kept = programFolder_ + "Languages.kept";
    std::filesystem::rename(languages(), kept);
    writeAll(programFolder_ + "Languages", "not a folder");

    const std::string file = languages() + "tr.json";
    const auto checkRefused = [&] {
        ASSERT_FALSE(program.prompts.entries.empty());
        const RecordingPrompts::Entry& e = program.prompts.entries.back();
        EXPECT_TRUE(e.text.startsWith(QString::fromStdString("The language file " + file + " could not be written: ")))
            << e.text.toStdString();
        EXPECT_TRUE(e.text.endsWith("Not a directory")) << e.text.toStdString();
        EXPECT_EQ(e.kind, PromptKind::Error);
        EXPECT_EQ(e.parent, editor);
        EXPECT_EQ(editor->LabelStatus->text(), "Not saved");
        EXPECT_TRUE(editor->Modified());
        EXPECT_EQ(cellOf(editor->sgTranslations, "Tools", 2)->text(), edited);
        program.prompts.entries.clear();
    };
    QTest::mouseClick(editor->btSave, Qt::LeftButton);
    ASSERT_EQ(program.prompts.entries.size(), 1u);
    checkRefused();

    // Choosing another language and saving on the way fails the same way: the grid and the
    // list stay with Turkish and its edit.
    program.prompts.answers = {PromptAnswer::Yes};
    ASSERT_EQ(editor->cbLanguage->itemText(editor->cbLanguage->currentIndex() + 1), "en");
    QTest::keyClick(editor->cbLanguage, Qt::Key_Down); // one step: the list is put back at once
    ASSERT_EQ(program.prompts.entries.size(), 2u);
    EXPECT_EQ(program.prompts.entries[0].text, "Do you want to save changes?");
    checkRefused();
    EXPECT_EQ(editor->cbLanguage->currentText(), "tr");
    EXPECT_EQ(editor->GridLanguage(), "tr");

    // The folder is back: the same button writes the edit.
    std::filesystem::remove(programFolder_ + "Languages");
    std::filesystem::rename(kept, languages());
    QTest::mouseClick(editor->btSave, Qt::LeftButton);
    EXPECT_TRUE(program.prompts.entries.empty());
    EXPECT_EQ(editor->LabelStatus->text(), "Saved!");
    EXPECT_FALSE(editor->Modified());
    EXPECT_EQ(TranslationManager::LoadLanguageFile(file).at("Tools"), edited.toStdString());
    EXPECT_EQ(TranslationManager::LoadLanguageFile(file).at("Start"), "Ba\xC5\x9Flat");
}
