// The folders depend one way, windows included:
//     platform <- geo <- app <- canvas <- input <- nav, tools <- program
// A file includes headers of its own folder and of the folders below it, never of one above.
// nav/ and tools/ stand side by side, but the main window (nav/windows/) is above the tool
// windows: they reach it through MainWindowHost and SurveyHost, never by including its headers.
// The program start (program/), which makes every window, is the only folder above them all.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <map>

namespace {

const std::map<QString, int> kFolderLevel = {
    {"platform", 0}, {"geo", 1}, {"app", 2}, {"canvas", 3}, {"input", 4}, {"nav", 5}, {"tools", 5}, {"program", 6},
};

// Who may include the main window's headers.
bool mayIncludeMainWindow(const QString& folder) { return folder == "nav" || folder == "program"; }

} // namespace

TEST(WindowDependencies, EveryFolderIncludesOnlyItselfAndTheFoldersBelow)
{
    const QDir root(QStringLiteral(VSX_SOURCE_DIR));
    const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s*["<]([a-z]+)/([^">]*)[">])"),
                                     QRegularExpression::MultilineOption);
    QStringList offenders;
    int checked = 0;
    for (const auto& [folder, level] : kFolderLevel) {
        QDirIterator it(root.filePath(folder), {"*.h", "*.cpp"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
            ++checked;
            for (const auto& m : include.globalMatch(QString::fromUtf8(file.readAll()))) {
                const QString target = m.captured(1);
                const auto found = kFolderLevel.find(target);
                if (found == kFolderLevel.end()) continue;  // a library's own folder, e.g. <QtCore/...>
                const bool upward = found->second > level;
                const bool mainWindow = target == "nav" && m.captured(2).startsWith("windows/") && !mayIncludeMainWindow(folder);
                if (upward || mainWindow)
                    offenders << root.relativeFilePath(path) + " includes " + target + "/" + m.captured(2);
            }
        }
    }
    EXPECT_GT(checked, 100) << "too few sources found under " << VSX_SOURCE_DIR;
    EXPECT_TRUE(offenders.isEmpty()) << offenders.join("\n").toStdString();
}
