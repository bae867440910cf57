// The program under a real window manager (openbox on Xvfb), driven as a user drives it: the
// pointer on the menus and title bars, keys typed, and the X server asked what is where. What
// only a window manager shows: frames, stacking and placement over restarts.
#include "XDesktop.h"

#include "app/Settings.h"
#include "platform/IniFile.h"
#include "support/MissingPeer.h"
#include "support/TempHome.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QSet>
#include <gtest/gtest.h>

#include <functional>

using namespace vsx::test;

namespace {

constexpr int kWait = 15000;
const QString kMainTitle = QStringLiteral("Veldor Sondrix - ");
// The windows a start shows, by the title the user reads.
const QStringList kStartWindows = {kMainTitle, QStringLiteral("Navigation Settings"),
                                   QStringLiteral("Offsets Essential for Post Processing / Recovery")};

// The menus in the main window's menu bar, in order, and the items of the Window menu.
enum Menu { File = 0, Window = 4 };
enum WindowItem { Helmsman = 0, RealtimeWindow = 2, NtripClient = 5 };

class WindowManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const QString missing = MissingDesktopTools(); !missing.isEmpty())
            VSX_SKIP_MISSING() << "needs " << missing.toStdString() << " to run the program under a window manager";
        desktop_ = std::make_unique<XDesktop>(1920, 1080);
        ASSERT_TRUE(desktop_->ready()) << desktop_->failure().toStdString();
    }

    // Starts the program and waits for its start-up windows to be up and placed.
    void start()
    {
        program_ = std::make_unique<RunningOnDesktop>(*desktop_, home_.root());
        for (const QString& title : kStartWindows)
            ASSERT_TRUE(WaitUntil([&] { return desktop_->findWindow(title) != 0; }, kWait))
                << title.toStdString() << " did not come up: " << program_->output().toStdString();
        ASSERT_TRUE(settled()) << "windows did not stay put";
    }

    // Window places no longer change: the window manager has framed them and the program placed them.
    bool settled()
    {
        QMap<QString, QRect> last;
        int same = 0;
        return WaitUntil([&] {
            const QMap<QString, QRect> now = frames();
            same = (now == last) ? same + 1 : 0;
            last = now;
            return same >= 3;
        }, kWait);
    }

    QMap<QString, QRect> frames() const
    {
        QMap<QString, QRect> out;
        for (const QString& title : kStartWindows)
            if (const unsigned long w = desktop_->findWindow(title)) out.insert(title, desktop_->frameRect(w));
        return out;
    }

    unsigned long mainWindow() const { return desktop_->findWindow(kMainTitle); }

    // The window the window manager reports active.
    unsigned long activeWindow() const
    {
        return desktop_->run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}).trimmed().toULong();
    }

    // The main window's menu bar and tool bar, on the screen.
    QRect mainBars() const
    {
        const QRect inside = desktop_->clientRect(mainWindow());
        return QRect(inside.left(), inside.top(), inside.width(), 70);
    }

    // Opens a menu of the menu bar with the pointer and picks its item with the keys.
    void pick(Menu menu, int item)
    {
        // The user first takes the main window by its title bar, so the keys go to its menus.
        const QRect frame = desktop_->frameRect(mainWindow());
        desktop_->click(QPoint(frame.left() + frame.width() / 3, frame.top() + 8));
        ASSERT_TRUE(WaitUntil([&] { return activeWindow() == mainWindow(); }, kWait)) << "the main window did not become active";
        const QRect inside = desktop_->clientRect(mainWindow());
        desktop_->click(inside.topLeft() + QPoint(15, 10));
        ASSERT_TRUE(WaitUntil([&] { return desktop_->menuOpen(); }, kWait)) << "the File menu did not open";
        QStringList keys;
        for (int i = 0; i < int(menu); ++i) keys << QStringLiteral("Right");
        if (menu == File) keys << QStringLiteral("Up");  // Exit is the last item
        else
            for (int i = 0; i < item; ++i) keys << QStringLiteral("Down");
        keys << QStringLiteral("Return");
        desktop_->keys(keys);
    }

    // Closes a window with the window manager's Alt+F4, as a user does. The key goes to the window
    // the window manager has made active; on a loaded machine the activation can come after the key
    // (or another window can take the focus first), so the user tries again until the window is gone.
    bool closeWithAltF4(unsigned long window, const std::function<bool()>& gone)
    {
        for (int attempt = 0; attempt < 4; ++attempt) {
            desktop_->run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window)});
            if (!WaitUntil([&] { return activeWindow() == window; }, kWait / 3)) continue;
            desktop_->keys({QStringLiteral("alt+F4")});
            if (WaitUntil(gone, kWait / 3)) return true;
        }
        return gone();
    }

    void exitWithMenu()
    {
        pick(File, 0);
        ASSERT_TRUE(program_->waitForExit(kWait)) << "File > Exit did not end the program";
    }

    TempHome home_;
    std::unique_ptr<XDesktop> desktop_;
    std::unique_ptr<RunningOnDesktop> program_;
};

// The columns of a title bar that hold dark pixels, its edges, the window icon at its left and
// the buttons at its right left out: on an inactive window, those of the caption's text.
int captionColumns(const QImage& titleBar)
{
    int columns = 0;
    for (int x = 24; x < titleBar.width() - 60; ++x)
        for (int y = 2; y < titleBar.height() - 2; ++y)
            if (qGray(titleBar.pixel(x, y)) < 170) {
                ++columns;
                break;
            }
    return columns;
}

bool titleBarOnScreen(const QRect& frame, QSize screen)
{
    return frame.top() >= 0 && frame.left() >= 0 && frame.top() + 20 <= screen.height() && frame.right() < screen.width();
}

} // namespace

TEST_F(WindowManagerTest, RestartsLeaveEveryWindowWhereItWas)
{
    start();
    // On a first start nothing covers the main window's menu and tool bars, and no tool window
    // sits on another.
    const QMap<QString, QRect> first = frames();
    for (auto it = first.begin(); it != first.end(); ++it) {
        EXPECT_TRUE(titleBarOnScreen(it.value(), desktop_->size())) << it.key().toStdString();
        if (it.key() == kMainTitle) continue;
        EXPECT_FALSE(it.value().intersects(mainBars())) << it.key().toStdString() << " covers the main window's bars";
        for (auto other = std::next(it); other != first.end(); ++other)
            if (other.key() != kMainTitle)
                EXPECT_FALSE(it.value().intersects(other.value())) << it.key().toStdString() << " on " << other.key().toStdString();
    }
    // The user drags the navigation settings window by its title bar to a place of their own.
    const QRect navset = first.value(QStringLiteral("Navigation Settings"));
    desktop_->drag(navset.topLeft() + QPoint(60, 8), navset.topLeft() + QPoint(-240, 108));
    ASSERT_TRUE(settled());
    const QMap<QString, QRect> left = frames();
    ASSERT_NE(left.value(QStringLiteral("Navigation Settings")), navset) << "the drag did not move the window";
    exitWithMenu();

    for (int run = 2; run <= 5; ++run) {
        start();
        if (run < 5) exitWithMenu();
    }
    const QMap<QString, QRect> fifth = frames();
    for (auto it = left.begin(); it != left.end(); ++it) {
        const QRect now = fifth.value(it.key());
        EXPECT_LE(std::abs(now.left() - it.value().left()), 1) << it.key().toStdString();
        EXPECT_LE(std::abs(now.top() - it.value().top()), 1) << it.key().toStdString();
        EXPECT_EQ(now.size(), it.value().size()) << it.key().toStdString();
        EXPECT_TRUE(titleBarOnScreen(now, desktop_->size())) << it.key().toStdString();
    }
    exitWithMenu();
}

TEST_F(WindowManagerTest, WindowOpenedFromMenuIsAboveStayOnTopWindows)
{
    start();
    const QString ntripTitle = QStringLiteral("Veldor NTRIP Client");
    const QString realtimeTitle = QStringLiteral("Realtime Data");
    pick(Window, RealtimeWindow);
    ASSERT_TRUE(WaitUntil([&] { return desktop_->findWindow(realtimeTitle) != 0; }, kWait));
    pick(Window, NtripClient);
    ASSERT_TRUE(WaitUntil([&] { return desktop_->findWindow(ntripTitle) != 0; }, kWait));
    unsigned long ntrip = desktop_->findWindow(ntripTitle);
    ASSERT_TRUE(WaitUntil([&] { return activeWindow() == ntrip; }, kWait)) << "the NTRIP window was not made active";
    const QRect ntripFrame = desktop_->frameRect(ntrip);

    // The user closes it, drags the stay-on-top real-time window over where it stood, and opens it again.
    ASSERT_TRUE(closeWithAltF4(ntrip, [&] { return desktop_->findWindow(ntripTitle) == 0; }));
    const unsigned long realtime = desktop_->findWindow(realtimeTitle);
    // A drag the window manager did not take up (its pointer grab comes late on a loaded machine)
    // is made again from where the window now stands, as a user would.
    const auto dragRealtimeOver = [&](QPoint target) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            const QRect realtimeFrame = desktop_->frameRect(realtime);
            const QPoint grip = realtimeFrame.topLeft() + QPoint(40, 8);
            desktop_->drag(grip, grip + (target - realtimeFrame.center()));
            if (WaitUntil([&] { return desktop_->frameRect(realtime).contains(target); }, kWait)) return true;
        }
        return false;
    };
    ASSERT_TRUE(dragRealtimeOver(ntripFrame.center()))
        << "the real-time window was not dragged over";
    pick(Window, NtripClient);
    ASSERT_TRUE(WaitUntil([&] { return (ntrip = desktop_->findWindow(ntripTitle)) != 0; }, kWait));
    ASSERT_TRUE(WaitUntil([&] { return desktop_->topMostAt(ntrip, desktop_->clientRect(ntrip).center()); }, kWait))
        << "the NTRIP window opened behind another window";
    // The window manager has made it the active window: the opening is over.
    ASSERT_TRUE(WaitUntil([&] { return activeWindow() == ntrip; }, kWait)) << "the NTRIP window was not made active";

    // Covered by the stay-on-top window while open, it comes back on top when commanded again.
    // The real-time window lies under it now, its title bar too: the user brings it to the front
    // with its menu item and drags it over the NTRIP window's centre.
    const QPoint centre = desktop_->clientRect(ntrip).center();
    pick(Window, RealtimeWindow);
    ASSERT_TRUE(WaitUntil([&] { return activeWindow() == realtime; }, kWait)) << "the real-time window was not made active";
    ASSERT_TRUE(dragRealtimeOver(centre)) << "the real-time window was not dragged over";
    ASSERT_TRUE(WaitUntil([&] { return !desktop_->topMostAt(ntrip, centre); }, kWait))
        << "the real-time window does not cover the NTRIP window";
    pick(Window, NtripClient);
    ASSERT_TRUE(WaitUntil([&] { return activeWindow() == ntrip; }, kWait)) << "the NTRIP window was not made active";

    // Under the pointer at its centre, and wherever it meets the other stay-on-top windows, the
    // window just opened is the top-most.
    ASSERT_TRUE(WaitUntil([&] { return desktop_->topMostAt(ntrip, desktop_->clientRect(ntrip).center()); }, kWait))
        << "the NTRIP window opened behind another window";
    const unsigned long navset = desktop_->findWindow(QStringLiteral("Navigation Settings"));
    const QRect overlap = desktop_->clientRect(ntrip).intersected(desktop_->frameRect(navset));
    if (!overlap.isEmpty()) EXPECT_TRUE(desktop_->topMostAt(ntrip, overlap.center()));
    exitWithMenu();
}

// A message over the main window is not hidden by a stay-on-top tool window lying over it: Start
// with no port chosen is refused with a message box over the main window.
TEST_F(WindowManagerTest, MessageOverMainWindowIsAboveStayOnTopWindows)
{
    start();
    const QRect inside = desktop_->clientRect(mainWindow());
    const unsigned long navset = desktop_->findWindow(QStringLiteral("Navigation Settings"));
    const QRect navsetFrame = desktop_->frameRect(navset);
    const QPoint grip = navsetFrame.topLeft() + QPoint(40, 8);
    desktop_->drag(grip, grip + (inside.center() - navsetFrame.center()));
    ASSERT_TRUE(WaitUntil([&] { return desktop_->frameRect(navset).contains(inside.center()); }, kWait))
        << "Navigation Settings was not dragged over the main window";

    desktop_->click(inside.topLeft() + QPoint(36, 32));  // the tool bar's Start
    const QString title = QStringLiteral("Realtime not started");
    ASSERT_TRUE(WaitUntil([&] { return desktop_->findWindow(title) != 0; }, kWait)) << "no refusal message came up";
    const unsigned long box = desktop_->findWindow(title);
    const QRect boxInside = desktop_->clientRect(box);
    ASSERT_TRUE(desktop_->frameRect(navset).intersects(boxInside)) << "the message does not meet the tool window";
    const QRect overlap = boxInside.intersected(desktop_->frameRect(navset));
    EXPECT_TRUE(WaitUntil([&] { return desktop_->topMostAt(box, overlap.center()); }, kWait))
        << "the message opened behind the stay-on-top Navigation Settings";
    desktop_->run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(box),
                                             QStringLiteral("key"), QStringLiteral("Return")});
    ASSERT_TRUE(WaitUntil([&] { return desktop_->findWindow(title) == 0; }, kWait)) << "the message did not close";
    exitWithMenu();
}

TEST_F(WindowManagerTest, KeypadGoesWithTheOffsetsWindow)
{
    start();
    const unsigned long offsets = desktop_->findWindow(kStartWindows[2]);
    // The click must find the field where the window ends up: the window manager has mapped the
    // window and it has been moved to its place on the screen (the program reckons the frame's
    // border a pixel or two otherwise than the window manager reports it).
    const QRect screen(QPoint(0, 0), desktop_->size());
    QPoint place;
    ASSERT_TRUE(WaitUntil([&] {
        const QRect frame = desktop_->frameRect(offsets);
        place = vsx::FirstStartCorner("Offsets", frame.size(), screen);
        return desktop_->isViewable(offsets) && (frame.topLeft() - place).manhattanLength() <= 4;
    }, kWait)) << "the offsets window did not come to its place " << place.x() << "," << place.y() << ": it is at "
               << desktop_->frameRect(offsets).x() << "," << desktop_->frameRect(offsets).y();
    const QRect inside = desktop_->clientRect(offsets);
    // The keypad stands at the bottom right of the main window's map, black with an orange edge.
    auto keypadShown = [&] {
        const QRect map = desktop_->clientRect(mainWindow());
        const QPoint keypadEdge(map.right() - 10 - 170 + 2, map.bottom() - 10 - 200 + 100);
        return desktop_->run(QStringLiteral("import"),
                             {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-crop"),
                              QStringLiteral("1x1+%1+%2").arg(keypadEdge.x()).arg(keypadEdge.y()), QStringLiteral("-depth"),
                              QStringLiteral("8"), QStringLiteral("txt:-")})
            .contains(QStringLiteral("#FFA500"));
    };
    ASSERT_FALSE(keypadShown());
    desktop_->click(inside.topLeft() + QPoint(225, 27));  // the A (draft) field
    ASSERT_TRUE(WaitUntil(keypadShown, kWait)) << "the keypad did not come up for the draft field";
    ASSERT_TRUE(closeWithAltF4(offsets, [&] { return desktop_->findWindow(kStartWindows[2]) == 0; }))
        << "Alt+F4 did not close the offsets window";
    EXPECT_TRUE(WaitUntil([&] { return !keypadShown(); }, kWait)) << "the keypad stayed after the offsets window closed";
    exitWithMenu();
}

// The battery window's title bar holds its whole caption: given more room, the window manager
// writes no more of it than it already did (a caption cut to "B..." grows).
TEST_F(WindowManagerTest, BatteryTitleBarHoldsItsCaption)
{
    // The echosounder speaks the sentence with the battery value, so the window stays up.
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(home_.root() + "Veldor/VSX")));
    {
        vsx::IniFile ini(home_.root() + "Veldor/VSX/VeldorSX.ini");
        ini.writeString("SENSOR COMUNICATION SETTINGS", "cSBESMessage", "Veldor SMT");
        ASSERT_TRUE(ini.flush());
    }
    start();
    const unsigned long battery = desktop_->findWindow(QStringLiteral("Battery"));
    ASSERT_NE(battery, 0u) << "the battery window is not up";
    // Where it can grow without running under another window.
    desktop_->run(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), QStringLiteral("--sync"), QString::number(battery),
                                             QStringLiteral("20"), QStringLiteral("900")});
    ASSERT_TRUE(WaitUntil([&] { return QRect(0, 860, 60, 60).contains(desktop_->frameRect(battery).topLeft()); }, kWait))
        << "the window manager did not move the window";
    // Its caption as an inactive window shows it: the main window has the focus.
    desktop_->run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(mainWindow())});
    const auto titleBar = [&] {
        const QRect frame = desktop_->frameRect(battery);
        return desktop_->grab(QRect(frame.left(), frame.top(), frame.width(), desktop_->clientRect(battery).top() - frame.top()));
    };
    const QImage before = titleBar();
    ASSERT_FALSE(before.isNull());
    const int shown = captionColumns(before);
    ASSERT_GT(shown, 10) << "no caption found in the title bar";

    const QRect inside = desktop_->clientRect(battery);
    desktop_->run(QStringLiteral("xdotool"), {QStringLiteral("windowsize"), QStringLiteral("--sync"), QString::number(battery),
                                             QString::number(inside.width() + 240), QString::number(inside.height())});
    ASSERT_TRUE(WaitUntil([&] { return desktop_->clientRect(battery).width() == inside.width() + 240; }, kWait))
        << "the window manager did not widen the window";
    // A pixel either way where the centred text falls on another pixel column.
    EXPECT_NEAR(captionColumns(titleBar()), shown, 2) << "the caption was cut in the title bar";
    exitWithMenu();
}

TEST_F(WindowManagerTest, MinimisedHelmsmanComesBackWhenCommanded)
{
    start();
    const QString title = QStringLiteral("Helmsman");
    pick(Window, Helmsman);
    ASSERT_TRUE(WaitUntil([&] { return desktop_->findWindow(title) != 0; }, kWait));
    const unsigned long helmsman = desktop_->findWindow(title);
    desktop_->run(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), QStringLiteral("--sync"), QString::number(helmsman)});
    ASSERT_TRUE(WaitUntil([&] { return desktop_->isMinimised(helmsman); }, kWait));
    pick(Window, Helmsman);
    EXPECT_TRUE(WaitUntil([&] { return !desktop_->isMinimised(helmsman) && desktop_->isViewable(helmsman); }, kWait))
        << "the helmsman window stayed minimised";
    exitWithMenu();
}

// The periodic screenshot of a busy full-HD desktop, taken by the program itself from the X
// server, is a lossless 24-bit PNG that stays well under a megabyte.
TEST_F(WindowManagerTest, ScreenshotOfABusyDesktopIsACompactPng)
{
    // The settings file of a first start, with a screenshot every second.
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(home_.root() + "Veldor/VSX")));
    {
        vsx::IniFile ini(home_.root() + "Veldor/VSX/VeldorSX.ini");
        ini.writeInteger("SCREENSHOT", "Interval", 1);
        ASSERT_TRUE(ini.flush());
    }
    // A shaded wallpaper behind the windows, as desktops have.
    desktop_->run(QStringLiteral("display"), {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-size"),
                                             QStringLiteral("1920x1080"), QStringLiteral("gradient:SteelBlue-MidnightBlue")});
    start();
    pick(Window, RealtimeWindow);
    ASSERT_TRUE(WaitUntil([&] { return desktop_->findWindow(QStringLiteral("Realtime Data")) != 0; }, kWait));
    pick(Window, Helmsman);
    ASSERT_TRUE(WaitUntil([&] { return desktop_->findWindow(QStringLiteral("Helmsman")) != 0; }, kWait));
    ASSERT_TRUE(settled());

    // Screenshots that started after every window was up: the second one that appears from now.
    const auto pngs = [&] {
        QStringList out;
        QDirIterator it(QString::fromStdString(home_.root() + "VLT"), {QStringLiteral("*.png")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) out << it.next();
        return out;
    };
    const QStringList before = pngs();
    QStringList fresh;
    ASSERT_TRUE(WaitUntil([&] {
        fresh.clear();
        for (const QString& p : pngs())
            if (!before.contains(p)) fresh << p;
        return fresh.size() >= 2;
    }, 4 * kWait)) << "no screenshot came: " << program_->output().toStdString();
    fresh.sort();
    const QString shot = fresh.last();
    EXPECT_TRUE(shot.contains(QStringLiteral("/PNG/VSX ")) && shot.endsWith(QStringLiteral(" Primary.png"))) << shot.toStdString();

    QFile file(shot);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    RecordProperty("screenshot_bytes", int(bytes.size()));
    EXPECT_LT(bytes.size(), 1000 * 1000) << "a full-HD screenshot should be well under 1 MB";
    ASSERT_GE(bytes.size(), 26);
    EXPECT_TRUE(bytes.startsWith("\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(int(uchar(bytes[24])), 8) << "8 bits per channel";
    EXPECT_EQ(int(uchar(bytes[25])), 2) << "RGB without alpha";
    QImage image;
    ASSERT_TRUE(image.loadFromData(bytes, "PNG")) << "not a readable PNG";
    EXPECT_EQ(image.size(), QSize(1920, 1080));
    // A busy screen: the program's windows with their text, not an empty picture.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height() && colours.size() < 200; y += 3)
        for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
    EXPECT_GE(colours.size(), 50) << "the picture holds too few colours to be the desktop";
    exitWithMenu();
}
