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

Placement ComputePlacement(const StoredPlacement& stored, const QRect& current, const QRect& desktop, bool withSize)
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
    // Keep the window reachable on the desktop made of all screens.
    if (left < desktop.left()) left = 0;
    if (top < desktop.top()) top = 0;
    if (left >= desktop.left() + desktop.width()) left = 0;
    if (top >= desktop.top() + desktop.height()) top = 0;
    p.rect = QRect(left, top, width, height);
    return p;
}

static QRect desktopRect()
{
    QRect r;
    for (QScreen* s : QGuiApplication::screens()) r = r.united(s->geometry());
    return r.isNull() ? QRect(0, 0, 1920, 1080) : r;
}

void SaveFormPlacement(QWidget* form)
{
    if (!form) return;
    const std::string section = form->objectName().toStdString();
    IniFile ini(GetIniFileName());
    const Qt::WindowStates st = form->windowState();
    const int state = (st & Qt::WindowMaximized) ? 2 : (st & Qt::WindowMinimized) ? 1 : 0;
    const QRect g = (state == 0) ? form->geometry() : form->normalGeometry();
    ini.writeInteger(section, "WindowState", state);
    ini.writeInteger(section, "Left", g.left());
    ini.writeInteger(section, "Top", g.top());
    ini.writeInteger(section, "Width", g.width());
    ini.writeInteger(section, "Height", g.height());
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
    const Placement p = ComputePlacement(stored, form->geometry(), desktopRect(), withSize);
    if (p.maximised) {
        form->setWindowState(form->windowState() | Qt::WindowMaximized);
        return;
    }
    form->move(p.rect.topLeft());
    if (withSize) form->resize(p.rect.size());
}

} // namespace vsx
