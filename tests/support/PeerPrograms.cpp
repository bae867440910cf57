#include "support/PeerPrograms.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <csignal>
#include <stdexcept>
#include <sys/resource.h>
#include <unistd.h>

namespace vsx::test {

namespace {
constexpr const char* kPython = "/usr/bin/python3";
}  // namespace

PeerResult runProgram(const std::string& program, const std::vector<std::string>& args, int timeoutMs)
{
    QProcess p;
    QStringList list;
    for (const std::string& a : args) list << QString::fromStdString(a);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(QString::fromStdString(program), list);
    PeerResult r;
    if (!p.waitForStarted(10000)) {
        r.err = "cannot start " + program;
        return r;
    }
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(5000);
        r.err = program + " did not finish";
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

PeerResult runPython(const std::string& script, const std::vector<std::string>& args)
{
    std::vector<std::string> all{"-c", script};
    all.insert(all.end(), args.begin(), args.end());
    return runProgram(kPython, all);
}

FileSizeLimit::FileSizeLimit(unsigned long bytes)
{
    struct rlimit lim {};
    if (getrlimit(RLIMIT_FSIZE, &lim) != 0) throw std::runtime_error("getrlimit failed");
    oldCur_ = lim.rlim_cur;
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    lim.rlim_cur = bytes;
    if (setrlimit(RLIMIT_FSIZE, &lim) != 0) throw std::runtime_error("setrlimit failed");
}

FileSizeLimit::~FileSizeLimit()
{
    struct rlimit lim {};
    getrlimit(RLIMIT_FSIZE, &lim);
    lim.rlim_cur = oldCur_;
    setrlimit(RLIMIT_FSIZE, &lim);
    std::signal(SIGXFSZ, oldHandler_);
}

bool havePython() { return ::access(kPython, X_OK) == 0; }

bool haveEzdxf()
{
    static const bool have = havePython() && runPython("import ezdxf").exitCode == 0;
    return have;
}

bool haveOgrinfo()
{
    static const bool have = !QStandardPaths::findExecutable("ogrinfo").isEmpty();
    return have;
}

bool haveProgram(const std::string& name) { return !QStandardPaths::findExecutable(QString::fromStdString(name)).isEmpty(); }

}  // namespace vsx::test
