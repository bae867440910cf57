#include "XDesktop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

namespace vsx::test {
namespace {

constexpr int kToolTimeout = 10000;

// Escapes a window title for xdotool's (POSIX extended) regular expressions.
QString escapedTitle(const QString& title)
{
    QString out;
    for (QChar c : title) {
        if (QStringLiteral(".[]()*+?{}|^$\\").contains(c)) out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

int numberAfter(const QString& text, const QString& label)
{
    const QRegularExpression re(QRegularExpression::escape(label) + QStringLiteral("\\s*(-?\\d+)"));
    const QRegularExpressionMatch m = re.match(text);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

void stop(QProcess* p)
{
    if (!p || p->state() == QProcess::NotRunning) return;
    p->terminate();
    if (!p->waitForFinished(3000)) {
        p->kill();
        p->waitForFinished(3000);
    }
}

} // namespace

QString MissingDesktopTools()
{
    QStringList missing;
    for (const char* tool : {"Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "import", "display"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) missing << QString::fromLatin1(tool);
    return missing.join(QStringLiteral(", "));
}

bool WaitUntil(const std::function<bool()>& condition, int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (true) {
        if (condition()) return true;
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(40);
    }
}

XDesktop::XDesktop(int width, int height) : size_(width, height)
{
    // The server picks a free display itself and writes its number to the given descriptor.
    server_ = std::make_unique<QProcess>();
    server_->setProcessChannelMode(QProcess::SeparateChannels);
    server_->start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                            QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(width).arg(height),
                                            QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!server_->waitForStarted(kToolTimeout)) {
        failure_ = QStringLiteral("Xvfb did not start");
        return;
    }
    QByteArray number;
    QDeadlineTimer deadline(kToolTimeout);
    while (!number.contains('\n') && !deadline.hasExpired() && server_->state() == QProcess::Running) {
        server_->waitForReadyRead(200);
        number += server_->readAllStandardOutput();
    }
    bool ok = false;
    displayNumber_ = number.trimmed().toInt(&ok);
    if (!ok) {
        failure_ = QStringLiteral("Xvfb gave no display: ") + QString::fromLocal8Bit(server_->readAllStandardError());
        return;
    }

    // Under a heavily loaded machine the window manager can be slow to take over, or give up on a
    // server that is still settling: it is given time, and started again when it has ended.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display());
    QString managerErrors;
    for (int attempt = 0; attempt < 3 && !ready_; ++attempt) {
        stop(windowManager_.get());
        windowManager_ = std::make_unique<QProcess>();
        windowManager_->setProcessEnvironment(env);
        windowManager_->start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        if (!windowManager_->waitForStarted(kToolTimeout)) {
            failure_ = QStringLiteral("openbox did not start");
            return;
        }
        // The window manager has taken over when it names itself on the root window.
        ready_ = WaitUntil([this] {
            return windowManager_->state() != QProcess::Running ||
                   run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                       .contains(QStringLiteral("window id"));
        }, 3 * kToolTimeout) && windowManager_->state() == QProcess::Running;
        managerErrors += QString::fromLocal8Bit(windowManager_->readAllStandardError());
    }
    if (!ready_) {
        failure_ = QStringLiteral("openbox did not take over the display: ") + managerErrors;
        return;
    }
}

XDesktop::~XDesktop()
{
    stop(windowManager_.get());
    stop(server_.get());
}

QString XDesktop::run(const QString& program, const QStringList& arguments) const
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display());
    p.setProcessEnvironment(env);
    p.start(program, arguments);
    if (!p.waitForFinished(kToolTimeout)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

unsigned long XDesktop::findWindow(const QString& title) const
{
    const QString out = run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                        QStringLiteral("--name"), QLatin1Char('^') + escapedTitle(title)});
    const QStringList ids = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return ids.isEmpty() ? 0 : ids.first().trimmed().toULong();
}

bool XDesktop::isViewable(unsigned long window) const
{
    return run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)})
        .contains(QStringLiteral("IsViewable"));
}

QRect XDesktop::clientRect(unsigned long window) const
{
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    return QRect(numberAfter(info, QStringLiteral("Absolute upper-left X:")),
                 numberAfter(info, QStringLiteral("Absolute upper-left Y:")), numberAfter(info, QStringLiteral("Width:")),
                 numberAfter(info, QStringLiteral("Height:")));
}

QRect XDesktop::frameRect(unsigned long window) const
{
    const QString extents =
        run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window), QStringLiteral("_NET_FRAME_EXTENTS")});
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("=\\s*(\\d+),\\s*(\\d+),\\s*(\\d+),\\s*(\\d+)")).match(extents);
    const QRect inside = clientRect(window);
    if (!m.hasMatch()) return inside;
    return inside.adjusted(-m.captured(1).toInt(), -m.captured(3).toInt(), m.captured(2).toInt(), m.captured(4).toInt());
}

bool XDesktop::topMostAt(unsigned long window, QPoint p) const
{
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(p.x()), QString::number(p.y())});
    const QString out = run(QStringLiteral("xdotool"), {QStringLiteral("getmouselocation"), QStringLiteral("--shell")});
    const unsigned long under = static_cast<unsigned long>(numberAfter(out, QStringLiteral("WINDOW=")));
    // The pointer meets the window manager's frame, a child of the root that holds the window.
    unsigned long w = window;
    for (int depth = 0; depth < 8 && w != 0; ++depth) {
        if (w == under) return true;
        const QString tree = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(w), QStringLiteral("-tree")});
        const QRegularExpressionMatch root = QRegularExpression(QStringLiteral("Root window id: (0x[0-9a-f]+)")).match(tree);
        const QRegularExpressionMatch parent = QRegularExpression(QStringLiteral("Parent window id: (0x[0-9a-f]+)")).match(tree);
        if (!parent.hasMatch() || (root.hasMatch() && root.captured(1) == parent.captured(1))) break;
        w = parent.captured(1).toULong(nullptr, 16);
    }
    return false;
}

bool XDesktop::menuOpen() const
{
    const QStringList ids = run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                            QStringLiteral("--class"), QStringLiteral(".")})
                                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& id : ids) {
        const QString type = run(QStringLiteral("xprop"), {QStringLiteral("-id"), id.trimmed(), QStringLiteral("_NET_WM_WINDOW_TYPE")});
        if (type.contains(QStringLiteral("MENU"))) return true;
    }
    return false;
}

bool XDesktop::isMinimised(unsigned long window) const
{
    return run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window), QStringLiteral("WM_STATE")})
        .contains(QStringLiteral("Iconic"));
}

QImage XDesktop::grab(const QRect& area) const
{
    QTemporaryDir folder;
    if (!folder.isValid()) return {};
    const QString file = folder.filePath(QStringLiteral("grab.png"));
    run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-crop"),
                                   QStringLiteral("%1x%2+%3+%4").arg(area.width()).arg(area.height()).arg(area.left()).arg(area.top()),
                                   QStringLiteral("+repage"), QStringLiteral("png:") + file});
    return QImage(file);
}

void XDesktop::click(QPoint p) const
{
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(p.x()),
                                    QString::number(p.y()), QStringLiteral("click"), QStringLiteral("1")});
}

void XDesktop::keys(const QStringList& keys) const
{
    run(QStringLiteral("xdotool"), QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("80")} + keys);
}

void XDesktop::drag(QPoint from, QPoint to) const
{
    const QString x0 = QString::number(from.x()), y0 = QString::number(from.y());
    const QString x1 = QString::number(to.x()), y1 = QString::number(to.y());
    const QString xm = QString::number((from.x() + to.x()) / 2), ym = QString::number((from.y() + to.y()) / 2);
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--sync"), x0, y0, QStringLiteral("mousedown"),
                                    QStringLiteral("1"), QStringLiteral("sleep"), QStringLiteral("0.2"),
                                    QStringLiteral("mousemove"), QStringLiteral("--sync"), xm, ym, QStringLiteral("sleep"),
                                    QStringLiteral("0.2"), QStringLiteral("mousemove"), QStringLiteral("--sync"), x1, y1,
                                    QStringLiteral("sleep"), QStringLiteral("0.2"), QStringLiteral("mouseup"), QStringLiteral("1")});
}

RunningOnDesktop::RunningOnDesktop(const XDesktop& desktop, const std::string& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), desktop.display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("HOME"), QString::fromStdString(home));
    env.insert(QStringLiteral("APPDATA"), QString::fromStdString(home));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(home + ".config"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), QString::fromStdString(home + ".cache"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.setWorkingDirectory(QString::fromStdString(home));
    process_.start(QStringLiteral(VSX_PROGRAM), {});
    process_.waitForStarted(10000);
}

RunningOnDesktop::~RunningOnDesktop()
{
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(5000);
}

bool RunningOnDesktop::waitForExit(int milliseconds)
{
    return WaitUntil([this] { return process_.state() == QProcess::NotRunning; }, milliseconds);
}

QString RunningOnDesktop::output() { return QString::fromLocal8Bit(process_.readAll()); }

} // namespace vsx::test
