#include "platform/ProgramLauncher.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include <unistd.h>

namespace vsx {

namespace {

bool startDetached(const std::string& program, const std::vector<std::string>& args)
{
    QStringList list;
    for (const std::string& a : args) list << QString::fromStdString(a);
    const QString path = QString::fromStdString(program);
    // The program runs in its own folder, never in whatever folder this one was started from.
    return QProcess::startDetached(path, list, QFileInfo(path).absolutePath());
}

ProgramLauncherFunction& launcher()
{
    static ProgramLauncherFunction f = startDetached;
    return f;
}

} // namespace

bool StartProgram(const std::string& program, const std::vector<std::string>& args) { return launcher()(program, args); }

void setProgramLauncher(ProgramLauncherFunction f) { launcher() = f ? std::move(f) : startDetached; }

bool isExecutableFile(const std::string& path)
{
    const QFileInfo info(QString::fromStdString(path));
    return !path.empty() && info.isFile() && ::access(path.c_str(), X_OK) == 0;
}

} // namespace vsx
