#pragma once
// A desktop of its own for a test: an Xvfb server on a free display with openbox managing its
// windows, the program started on it as a user starts it, and what the X server says about the
// windows (asked with xdotool, xwininfo and xprop, as a person would look).
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vsx::test {

// The tools a desktop needs; empty when all are there, else what is missing.
QString MissingDesktopTools();

class XDesktop {
public:
    XDesktop(int width, int height);
    ~XDesktop();
    XDesktop(const XDesktop&) = delete;
    XDesktop& operator=(const XDesktop&) = delete;

    bool ready() const { return ready_; }
    const QString& failure() const { return failure_; }
    QString display() const { return QStringLiteral(":%1").arg(displayNumber_); }
    QSize size() const { return size_; }

    // Runs one X tool on this display; its standard output.
    QString run(const QString& program, const QStringList& arguments) const;

    // The shown top-level window whose title is exactly `title`, or 0.
    unsigned long findWindow(const QString& title) const;
    bool isViewable(unsigned long window) const;
    // The window's inside on the screen, and with the window manager's frame around it.
    QRect clientRect(unsigned long window) const;
    QRect frameRect(unsigned long window) const;
    // Whether the pixels the pointer meets at `p` are the window's (or its frame's).
    bool topMostAt(unsigned long window, QPoint p) const;
    // A drop-down or pop-up menu is open.
    bool menuOpen() const;
    // The window manager's minimised state.
    bool isMinimised(unsigned long window) const;
    // What the screen shows in `area`; a null image when it could not be read.
    QImage grab(const QRect& area) const;

    // A user's hand: the pointer, a click, keys typed into the window that has the focus, a drag.
    void click(QPoint p) const;
    void keys(const QStringList& keys) const;
    void drag(QPoint from, QPoint to) const;

private:
    QSize size_;
    int displayNumber_ = -1;
    bool ready_ = false;
    QString failure_;
    std::unique_ptr<QProcess> server_, windowManager_;
};

// The program of this build, started on a desktop with its own home folder.
class RunningOnDesktop {
public:
    RunningOnDesktop(const XDesktop& desktop, const std::string& home);
    ~RunningOnDesktop();
    bool waitForExit(int milliseconds);
    bool running() const { return process_.state() != QProcess::NotRunning; }
    QString output();

private:
    QProcess process_;
};

// Waits for a condition, handling nothing but time; true when it came.
bool WaitUntil(const std::function<bool()>& condition, int milliseconds);

} // namespace vsx::test
