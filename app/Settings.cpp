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
#include <QWindow>

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

void AppendEventLine(const std::string& text, const std::string& fileName)
{
    const LocalDateTime now = localNow();
    AppendFile f(fileName);
    if (!f.isOpen()) return;
    f.writeText("\nAuto Event:\t" + formatDate(now) + " " + formatTimeCompact(now) + "\t" + text);
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

// Puts the corner of the window's frame at `corner`. A shown window's frame may not be known yet
// (the window manager adds it later): moving the window itself would then put its inside at the
// corner and its title bar above the screen, out of reach.
void placeFrameAt(QWidget* form, QPoint corner)
{
    if (QWindow* handle = form->windowHandle()) handle->setFramePosition(corner);
    else form->move(corner);  // before the window exists a move places its frame
}

} // namespace

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
    const std::string section = form->objectName().toStdString();
    IniFile ini(GetIniFileName());
    const Qt::WindowStates st = form->windowState();
    const int state = (st & Qt::WindowMaximized) ? 2 : (st & Qt::WindowMinimized) ? 1 : 0;
    const QRect inside = (state == 0) ? form->geometry() : form->normalGeometry();
    // Where the frame stands: the inside less the frame's left and top edges.
    const QPoint frameEdges = form->geometry().topLeft() - form->frameGeometry().topLeft();
    const QPoint corner = inside.topLeft() - frameEdges;
    ini.writeInteger(section, "WindowState", state);
    ini.writeInteger(section, "Left", corner.x());
    ini.writeInteger(section, "Top", corner.y());
    ini.writeInteger(section, "Width", inside.width());
    ini.writeInteger(section, "Height", inside.height());
}

void RestoreFormPlacement(QWidget* form, bool withSize)
{
    if (!form) return;
    const std::string section = form->objectName().toStdString();
    StoredPlacement stored;
    {
        IniFile ini(GetIniFileName());
        stored.windowState = ini.readInteger(section, "WindowState", 0);
        stored.left = ini.readInteger(section, "Left", 0);
        stored.top = ini.readInteger(section, "Top", 0);
        stored.width = ini.readInteger(section, "Width", form->width());
        stored.height = ini.readInteger(section, "Height", form->height());
    }
    const QRect inside = form->geometry(), outside = form->frameGeometry();
    const QMargins frame(inside.left() - outside.left(), inside.top() - outside.top(), outside.right() - inside.right(),
                         outside.bottom() - inside.bottom());
    const Placement p = ComputePlacement(stored, inside, screenAreas(), withSize, frame);
    if (p.maximised) {
        form->setWindowState(form->windowState() | Qt::WindowMaximized);
        return;
    }
    if (withSize) form->resize(p.rect.size());
    placeFrameAt(form, p.rect.topLeft());
}

} // namespace vsx
