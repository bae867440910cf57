#include "app/Settings.h"

#include "app/Translated.h"
#include "app/SharedValues.h"
#include "platform/AppendFile.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QVariant>

#include <algorithm>

namespace vsx {

std::string GetIniFileName()
{
    const std::string root = appDataFolder();
    makeFolder(root + "Veldor");
    makeFolder(root + "Veldor/VSX/");
    return root + "Veldor/VSX/VeldorSX.ini";
}

std::string CurrentDateString() { return formatDate(localNow()); }

void CreateDataFolders()
{
    try {
        std::string root = dataRoot();
        if (!root.empty() && root.back() == '/') root.pop_back();
        makeFolder(root);
        makeFolder(root + "/" + CurrentDateString());
        makeFolder(root + "/" + CurrentDateString() + "/VLT");
        makeFolder(root + "/" + CurrentDateString() + "/LOG");
        makeFolder(root + "/" + CurrentDateString() + "/SVP");
    } catch (const std::exception&) {
        prompts().message(translatedArgs("Cannot create log folder %1. Check if you are authorized create folder at this address.",
                                         {QString::fromStdString(dataRoot() + CurrentDateString() + "/LOG/")}));
    }
}

std::string EventsLogFileName() { return LogFolder + CurrentDateString() + " Events.log"; }

namespace {
EventsLogWatcher& eventsLogWatcher()
{
    static EventsLogWatcher watcher;
    return watcher;
}
} // namespace

void setEventsLogWatcher(EventsLogWatcher watcher) { eventsLogWatcher() = std::move(watcher); }

bool AppendEventsLogEntry(const std::string& fileName, const std::string& entry)
{
    AppendFile f(fileName);
    const bool written = f.isOpen() && f.writeText(entry);
    // A copy: the watcher may write into the events log itself, and may be replaced meanwhile.
    if (const EventsLogWatcher watcher = eventsLogWatcher()) watcher(fileName, written, written ? std::string() : f.errorText());
    return written;
}

bool AppendEventLine(const std::string& text, const std::string& fileName, EventTimeStamp stamp)
{
    LocalDateTime now = localNow();
    if (stamp == EventTimeStamp::WholeSeconds) now.millisecond = 0;
    return AppendEventsLogEntry(fileName, "\nAuto Event:\t" + formatDate(now) + " " + formatTimeCompact(now) + "\t" + text);
}

namespace {

bool onAScreen(const std::vector<QRect>& screens, QPoint p)
{
    for (const QRect& s : screens)
        if (s.contains(p)) return true;
    return false;
}

// Squared distance from a point to a rectangle (0 inside).
long long distanceSquared(const QRect& r, QPoint p)
{
    const long long dx = p.x() < r.left() ? r.left() - p.x() : (p.x() > r.right() ? p.x() - r.right() : 0);
    const long long dy = p.y() < r.top() ? r.top() - p.y() : (p.y() > r.bottom() ? p.y() - r.bottom() : 0);
    return dx * dx + dy * dy;
}

std::vector<QRect> screenAreas()
{
    std::vector<QRect> areas;
    if (QScreen* primary = QGuiApplication::primaryScreen()) areas.push_back(primary->availableGeometry());
    for (QScreen* s : QGuiApplication::screens())
        if (s != QGuiApplication::primaryScreen()) areas.push_back(s->availableGeometry());
    if (areas.empty()) areas.push_back(QRect(0, 0, 1920, 1080));
    return areas;
}

// The frame a window manager drew around a window, as far as Qt knows it now (none until the
// window manager has framed the shown window).
QMargins frameNow(const QWidget* form)
{
    const QRect in = form->geometry(), out = form->frameGeometry();
    return QMargins(in.left() - out.left(), in.top() - out.top(), out.right() - in.right(), out.bottom() - in.bottom());
}

// A window remembers the frame it had while shown: once hidden, the window manager takes the
// frame away and Qt reports none, yet the place to store is still the frame's corner.
constexpr const char* kFrameProperty = "vsxFrameMargins";
constexpr const char* kShownProperty = "vsxPlacedThisRun";
// The frame of the last framed window seen: the best guess for a window not framed yet.
QMargins g_lastFrame;

// A title bar and thin edges: the frame reckoned with for a first place before any window was framed.
const QMargins kFrameGuess(1, 24, 1, 4);

bool frameless(const QWidget* form) { return form->windowFlags().testFlag(Qt::FramelessWindowHint); }

void rememberFrame(QWidget* form, const QMargins& m)
{
    form->setProperty(kFrameProperty, QRect(m.left(), m.top(), m.right(), m.bottom()));
    if (!m.isNull()) g_lastFrame = m;
}

// The frame the window has, had when last shown, or will most likely get.
QMargins expectedFrame(const QWidget* form)
{
    if (frameless(form)) return {};
    if (form->isVisible())
        if (const QMargins now = frameNow(form); !now.isNull()) return now;
    if (const QVariant v = form->property(kFrameProperty); v.isValid()) {
        const QRect r = v.toRect();
        if (!QMargins(r.x(), r.y(), r.width(), r.height()).isNull()) return QMargins(r.x(), r.y(), r.width(), r.height());
    }
    return g_lastFrame;
}

// Puts the corner of the window's frame at `corner`. The inside is placed (a window manager keeps
// an inside where it was asked to be), the frame it will get reckoned in; once the window manager
// has framed the shown window, a wrong reckoning is put right, so the frame's corner lands on the
// pixel and the title bar stays where the user can take it.
void placeFrameAt(QWidget* form, QPoint corner)
{
    const QMargins frame = expectedFrame(form);
    form->setGeometry(QRect(corner + QPoint(frame.left(), frame.top()), form->size()));
    if (!form->isVisible()) return;
    QPointer<QWidget> guarded(form);
    auto* check = new QTimer(form);
    check->setInterval(20);
    QElapsedTimer waited;
    waited.start();
    QObject::connect(check, &QTimer::timeout, form, [guarded, check, waited, corner] {
        const auto finish = [&] {
            check->stop();
            check->deleteLater();
        };
        QWidget* w = guarded.data();
        if (!w || waited.elapsed() > 3000) return finish();
        if (!w->isVisible()) return;
        const QMargins now = frameNow(w);
        if (now.isNull() && !frameless(w)) return;  // not framed yet
        rememberFrame(w, now);
        if (w->frameGeometry().topLeft() != corner)
            w->setGeometry(QRect(corner + QPoint(now.left(), now.top()), w->size()));
        finish();
    });
    check->start();
}

} // namespace

QPoint FirstStartCorner(const std::string& objectName, QSize outer, const QRect& area)
{
    // Below the main window's title, menu and tool bars (it starts in the area's top left
    // corner), the tool windows stand along the right and bottom edges, each clear of the others
    // and of the main window's commands: a column at the right edge (navigation settings, then
    // the real-time data under it), a second column left of it (run-line generator), the offsets
    // window and the battery along the bottom left of the first column, the waterfall at the
    // bottom left.
    // The navigation settings window grows to about 465 pixels with its frame in the larger fonts.
    constexpr int kGap = 8, kBelowBars = 150, kFirstColumn = 262 + kGap, kNavsetHeight = 480;
    const int right = area.right() + 1 - kGap, bottom = area.bottom() + 1 - kGap;
    QPoint corner = area.topLeft();
    if (objectName == "Navset") corner = {right - outer.width(), area.top() + kBelowBars};
    else if (objectName == "fRealtime") corner = {right - outer.width(), area.top() + kBelowBars + kNavsetHeight};
    else if (objectName == "fRunline1") corner = {right - kFirstColumn - outer.width(), area.top() + kBelowBars};
    else if (objectName == "Offsets") corner = {right - kFirstColumn - outer.width(), bottom - outer.height()};
    else if (objectName == "fJoystick") corner = {right - kFirstColumn - 491 - kGap - outer.width(), bottom - outer.height()};
    else if (objectName == "fWaterfal") corner = {area.left() + kGap, bottom - outer.height()};
    else if (objectName == "fSVP") corner = {area.left() + (area.width() - outer.width()) / 2, area.top() + kBelowBars};
    // The whole frame on the area, the title bar first.
    corner.setX(std::max(area.left(), std::min(corner.x(), area.right() + 1 - outer.width())));
    corner.setY(std::max(area.top(), std::min(corner.y(), area.bottom() + 1 - outer.height())));
    return corner;
}

Placement ComputePlacement(const StoredPlacement& stored, const QRect& current, const std::vector<QRect>& screens,
                           bool withSize, const QMargins& frame)
{
    Placement p;
    if (stored.windowState == 2) {
        p.maximised = true;
        p.rect = current;
        return p;
    }
    int left = stored.left, top = stored.top;
    int width = current.width(), height = current.height();
    if (withSize) {
        if (stored.width >= 0) width = stored.width;
        if (stored.height >= 0) height = stored.height;
    }
    const std::vector<QRect> areas = screens.empty() ? std::vector<QRect>{QRect(0, 0, 1920, 1080)} : screens;
    if (!onAScreen(areas, {left, top})) {
        // Keep the window reachable: an edge beyond all screens goes to the primary screen's.
        QRect all;
        for (const QRect& s : areas) all = all.united(s);
        const QRect& primary = areas.front();
        if (left < all.left() || left > all.right()) left = primary.left();
        if (top < all.top() || top > all.bottom()) top = primary.top();
        if (!onAScreen(areas, {left, top})) {
            // In a gap between screens of unequal size: onto the nearest one.
            const QRect* nearest = &areas.front();
            for (const QRect& s : areas)
                if (distanceSquared(s, {left, top}) < distanceSquared(*nearest, {left, top})) nearest = &s;
            const int outerWidth = width + frame.left() + frame.right();
            const int outerHeight = height + frame.top() + frame.bottom();
            left = std::clamp(left, nearest->left(), std::max(nearest->left(), nearest->right() + 1 - outerWidth));
            top = std::clamp(top, nearest->top(), std::max(nearest->top(), nearest->bottom() + 1 - outerHeight));
        }
    }
    p.rect = QRect(left, top, width, height);
    return p;
}

void SaveFormPlacement(QWidget* form)
{
    if (!form) return;
    // A window neither shown nor placed in this run has no place of its own: the stored one stays.
    if (!form->isVisible() && !form->property(kShownProperty).toBool()) return;
    form->setProperty(kShownProperty, true);
    if (form->isVisible() && !frameless(form))
        if (const QMargins now = frameNow(form); !now.isNull()) rememberFrame(form, now);
    const std::string section = form->objectName().toStdString();
    IniFile ini(GetIniFileName());
    const Qt::WindowStates st = form->windowState();
    const int state = (st & Qt::WindowMaximized) ? 2 : (st & Qt::WindowMinimized) ? 1 : 0;
    const QRect inside = (state == 0) ? form->geometry() : form->normalGeometry();
    // Where the frame stands: the inside less the frame's left and top edges.
    const QMargins frame = expectedFrame(form);
    const QPoint corner = inside.topLeft() - QPoint(frame.left(), frame.top());
    ini.writeInteger(section, "WindowState", state);
    ini.writeInteger(section, "Left", corner.x());
    ini.writeInteger(section, "Top", corner.y());
    ini.writeInteger(section, "Width", inside.width());
    ini.writeInteger(section, "Height", inside.height());
}

void ForgetWindowFrames() { g_lastFrame = {}; }

void RestoreFormPlacement(QWidget* form, bool withSize)
{
    if (!form) return;
    // From here on the window has a place of its own in this run, whether shown yet or not.
    form->setProperty(kShownProperty, true);
    const std::string section = form->objectName().toStdString();
    StoredPlacement stored;
    bool placeStored = false;
    {
        IniFile ini(GetIniFileName());
        placeStored = ini.valueExists(section, "Left") || ini.valueExists(section, "WindowState");
        stored.windowState = ini.readInteger(section, "WindowState", 0);
        stored.left = ini.readInteger(section, "Left", 0);
        stored.top = ini.readInteger(section, "Top", 0);
        stored.width = ini.readInteger(section, "Width", form->width());
        stored.height = ini.readInteger(section, "Height", form->height());
    }
    const QMargins frame = expectedFrame(form);
    const std::vector<QRect> areas = screenAreas();
    if (!placeStored) {
        // A first start: the window's own place on the primary screen.
        const QSize outer = form->size().grownBy(frame.isNull() && !frameless(form) ? kFrameGuess : frame);
        const QPoint corner = FirstStartCorner(section, outer, areas.front());
        stored.left = corner.x();
        stored.top = corner.y();
    }
    const Placement p = ComputePlacement(stored, form->geometry(), areas, withSize, frame);
    if (p.maximised) {
        form->setWindowState(form->windowState() | Qt::WindowMaximized);
        return;
    }
    if (withSize) form->resize(p.rect.size());
    placeFrameAt(form, p.rect.topLeft());
}

} // namespace vsx
