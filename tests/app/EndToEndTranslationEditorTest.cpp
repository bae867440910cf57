// The translation editor in the whole program, offscreen, when its language file cannot be
// written: the language folder beside the program is taken away and a plain file put in its
// place, which no user (root included) can write into; or the folder is made read-only, which
// stops every user but root, so as root that case runs again as the user "nobody". Opened from
// its menu, a Turkish text edited in its grid, "Save Changes" says what could not be written and
// why instead of "Saved!", keeps the edit, and writes it once the folder is writable again.
#include "app/TranslationManager.h"
#include "app/windows/TranslationEditorWindow.h"
#include "app/windows/WindowPointers.h"
#include "nav/windows/MainWindow.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"

#include "support/ControlInput.h"
#include "support/GridInput.h"
#include "support/RunningProgram.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vsx;
using namespace vsx::test;

namespace {

void writeAll(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// This test binary where the user "nobody" can run it: where it stands when every folder on the
// way lets others through, or else a copy in a temporary folder (`copyFolder` set, to be removed).
std::string binaryForOthers(std::string& copyFolder)
{
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    bool open = true;
    for (std::filesystem::path p = self; open && p != p.root_path(); p = p.parent_path()) {
        struct stat st {};
        const mode_t need = p == self ? (S_IROTH | S_IXOTH) : S_IXOTH;
        open = ::stat(p.c_str(), &st) == 0 && (st.st_mode & need) == need;
    }
    if (open) return self.string();
    char name[] = "/tmp/vsx-editor-binary-XXXXXX";
    if (!::mkdtemp(name)) return {};
    copyFolder = name;
    ::chmod(name, 0755);
    const std::string copy = copyFolder + "/" + self.filename().string();
    std::filesystem::copy_file(self, copy);
    ::chmod(copy.c_str(), 0755);
    return copy;
}

// Runs this one test again as "nobody" (setpriv, util-linux) and returns its exit status, with
// what it printed in `output`.
int runThisTestAsNobody(std::string& output)
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string copyFolder;
    const std::string binary = binaryForOthers(copyFolder);
    if (binary.empty()) return -1;
    const std::string command = "setpriv --reuid=65534 --regid=65534 --clear-groups '" + binary +
                                "' --gtest_filter='" + test->test_suite_name() + "." + test->name() + "' 2>&1";
    int status = -1;
    if (FILE* run = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, run)) > 0;) output.append(buffer, n);
        status = ::pclose(run);
    }
    if (!copyFolder.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(copyFolder, ec);
    }
    return status;
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
        ::chmod(languages().c_str(), 0755); // a test stopped while the folder was read-only
        std::error_code ec;
        std::filesystem::remove_all(programFolder_, ec);
    }
    std::string languages() const { return programFolder_ + "Languages/"; }
    // The editor opened from its menu, Turkish chosen and the text of "Tools" typed over; null
    // (with the failure) when the editor or its Turkish grid did not come up.
    TranslationEditorWindow* openEditorAndEditTools()
    {
        chooseMenuItem(FNav->menuBar(), "TranslationEditor1");
        TranslationEditorWindow* editor = fTranslationEditor;
        EXPECT_TRUE(editor && editor->isVisible());
        if (!editor || !editor->isVisible()) return nullptr;
        choose(editor->cbLanguage, "tr");
        EXPECT_EQ(editor->GridLanguage(), "tr");
        if (editor->GridLanguage() != "tr") return nullptr;
        typeIntoCell(editor->sgTranslations, cellOf(editor->sgTranslations, "Tools", 2), edited);
        return editor;
    }

    const QString edited = QString::fromUtf8("Gere\xC3\xA7ler");
    std::string programFolder_;
};

} // namespace

TEST_F(EndToEndTranslationEditor, ALanguageFileThatCannotBeWrittenIsReportedAndTheEditIsKept)
{
    RunningProgram program;
    TranslationEditorWindow* editor = openEditorAndEditTools();
    ASSERT_TRUE(editor);
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

TEST_F(EndToEndTranslationEditor, AReadOnlyLanguageFolderIsReportedAndTheEditIsKept)
{
    if (::geteuid() == 0) {
        // Root writes into a read-only folder all the same: the case is shown by "nobody".
        std::string output;
        const int status = runThisTestAsNobody(output);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
        EXPECT_NE(output.find("[  PASSED  ] 1 test."), std::string::npos) << output;
        return;
    }
    RunningProgram program;
    TranslationEditorWindow* editor = openEditorAndEditTools();
    ASSERT_TRUE(editor);

    const std::string file = languages() + "tr.json";
    std::string before, after;
    ASSERT_TRUE(readFile(file, before));
    ASSERT_EQ(::chmod(languages().c_str(), 0555), 0);
    QTest::mouseClick(editor->btSave, Qt::LeftButton);
    ASSERT_EQ(program.prompts.entries.size(), 1u);
    const RecordingPrompts::Entry& e = program.prompts.entries.back();
    EXPECT_TRUE(e.text.startsWith(QString::fromStdString("The language file " + file + " could not be written: ")))
        << e.text.toStdString();
    EXPECT_TRUE(e.text.endsWith("Permission denied")) << e.text.toStdString();
    EXPECT_EQ(e.kind, PromptKind::Error);
    EXPECT_EQ(editor->LabelStatus->text(), "Not saved");
    EXPECT_TRUE(editor->Modified());
    EXPECT_EQ(cellOf(editor->sgTranslations, "Tools", 2)->text(), edited);
    EXPECT_TRUE(readFile(file, after));
    EXPECT_EQ(after, before) << "the file is left as it was";
    program.prompts.entries.clear();

    // Writable again: the same button writes the edit.
    ASSERT_EQ(::chmod(languages().c_str(), 0755), 0);
    QTest::mouseClick(editor->btSave, Qt::LeftButton);
    EXPECT_TRUE(program.prompts.entries.empty());
    EXPECT_EQ(editor->LabelStatus->text(), "Saved!");
    EXPECT_EQ(TranslationManager::LoadLanguageFile(file).at("Tools"), edited.toStdString());
}
