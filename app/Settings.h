#pragma once
// The small services every window uses: the settings file's path, today's date, the dated data
// folders, window placement and the daily events log.
#include <QMargins>
#include <QRect>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace vsx {

// Full path of the settings file (<APPDATA>/Veldor/VSX/VeldorSX.ini). Makes the two folders one
// level at a time when missing; never fails.
std::string GetIniFileName();

// Today's local date as "YYYY-MM-DD".
std::string CurrentDateString();

// Makes sure today's data folders exist: the data root, the day folder and its VLT, LOG and SVP
// folders (not XYZ). A folder that cannot be made is skipped.
void CreateDataFolders();

// The events log of the moment: LogFolder + today + " Events.log".
std::string EventsLogFileName();

// How an events-log entry stamps its time: to the millisecond, or to the second with "000" in
// the millisecond digits.
enum class EventTimeStamp { Milliseconds, WholeSeconds };

// Appends "\nAuto Event:\t<YYYY-MM-DD hhnnsszzz>\t<text>" to the file (CR LF line breaks),
// whole or not at all. Nothing is written when the file cannot be opened or written; the
// watcher, when one is set, learns of every entry whether it was written.
bool AppendEventLine(const std::string& text, const std::string& fileName,
                     EventTimeStamp stamp = EventTimeStamp::Milliseconds);

// Learns whether each entry reached the events log. An events log that cannot be written cannot
// say so itself: the watcher (the main window) says it elsewhere.
using EventsLogWatcher = std::function<void(const std::string& fileName, bool written, const std::string& reason)>;
void setEventsLogWatcher(EventsLogWatcher watcher);
// Appends one entry (it begins with its own line break) to the events log, whole or not at all,
// and tells the watcher whether it was written.
bool AppendEventsLogEntry(const std::string& fileName, const std::string& entry);

// Window placement, stored in the section named after the window's object name.
struct StoredPlacement {
    int windowState = 0;  // 0 normal, 1 minimised, 2 maximised
    int left = 0, top = 0;
    int width = -1, height = -1;  // -1: not stored
};
struct Placement {
    bool maximised = false;
    QRect rect;
};
// Where a window goes: `current` is its designed rectangle, `screens` the usable areas of the
// screens that exist, the primary first. The stored Left and Top are the corner of the window's
// frame (its title bar). A corner that lies on no screen is brought back: an edge left of, right
// of, above or below all screens goes to the primary screen's edge (0 on a plain desktop); a
// corner still in a gap between screens of unequal size goes onto the nearest screen, as far in as
// the window needs to fit there.
// `frame` is the width of the window's frame on each side, where known.
Placement ComputePlacement(const StoredPlacement& stored, const QRect& current, const std::vector<QRect>& screens,
                           bool withSize, const QMargins& frame = {});

// Where a window's frame goes when nothing is stored for it (a first start), given the size of
// its frame and the usable area of the primary screen: the tool windows along the right and
// bottom edges below the main window's bars, clear of one another; any other window at the
// area's top left corner. The whole frame stays on the area.
QPoint FirstStartCorner(const std::string& objectName, QSize outer, const QRect& area);

// Left and Top are stored and restored as the position of the window's frame, Width and Height
// as the size of its inside, so a window comes back exactly where it was left. A window neither
// shown nor restored in this run keeps the place stored for it.
void SaveFormPlacement(QWidget* form);
void RestoreFormPlacement(QWidget* form, bool withSize);
// Forgets the window frame learned from the windows of this run (the windows' teardown calls it).
void ForgetWindowFrames();

} // namespace vsx
