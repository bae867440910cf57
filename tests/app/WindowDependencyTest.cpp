// The windows below the main window reach it through MainWindowHost and SurveyHost, never by
// including its header: the one-way order of the folders holds for the windows too. The program
// start, which makes every window, is the one place outside nav/ that knows the main window.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(WindowDependencies, NoWindowBelowTheMainWindowIncludesItsHeaders)
{
    const QDir root(QStringLiteral(VSX_SOURCE_DIR));
    const QRegularExpression navWindowInclude(QStringLiteral(R"(^\s*#\s*include\s*"nav/windows/)"),
                                              QRegularExpression::MultilineOption);
    QStringList offenders;
    int checked = 0;
    for (const char* folder : {"app", "input", "tools"}) {
        QDirIterator it(root.filePath(QString::fromLatin1(folder)), {"*.h", "*.cpp"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (QFileInfo(path).fileName() == QLatin1String("ProgramStart.cpp")) continue;
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
            ++checked;
            if (navWindowInclude.match(QString::fromUtf8(file.readAll())).hasMatch())
                offenders << root.relativeFilePath(path);
        }
    }
    EXPECT_GT(checked, 0) << "no sources found under " << VSX_SOURCE_DIR;
    EXPECT_TRUE(offenders.isEmpty()) << offenders.join(", ").toStdString();
}
