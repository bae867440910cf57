#include "app/Settings.h"
#include "app/SharedValues.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

#include "support/TempHome.h"

#include <QWidget>
#include <gtest/gtest.h>

using namespace vsx;
using vsx::test::TempHome;

namespace {
struct ClockGuard {
    explicit ClockGuard(FakeClock& c) { setClock(&c); }
    ~ClockGuard() { setClock(nullptr); }
};
} // namespace

TEST(Settings, IniFileNameMakesItsFolders)
{
    TempHome home;
    const std::string path = GetIniFileName();
    EXPECT_EQ(path, home.iniPath());
    EXPECT_TRUE(folderExists(home.path("appdata/Veldor/VSX")));
    EXPECT_FALSE(fileExists(path));
}

TEST(Settings, DatesAndFoldersAcrossMidnight)
{
    TempHome home;
    FakeClock clock({2024, 3, 5, 23, 59, 59, 500});
    ClockGuard guard(clock);
    EXPECT_EQ(CurrentDateString(), "2024-03-05");
    InitSharedValues();
    EXPECT_EQ(LogFolder, home.path("home/VLT/2024-03-05/LOG/"));
    EXPECT_EQ(CoordinatesFileName, LogFolder + "2024-03-05 Coordinates.csv");
    CreateDataFolders();
    clock.advance(std::chrono::seconds(2));
    EXPECT_EQ(CurrentDateString(), "2024-03-06");
    CreateDataFolders();
    EXPECT_EQ(LogFolder, home.path("home/VLT/2024-03-05/LOG/")) << "folders keep the start date";
    for (const char* sub : {"VLT", "LOG", "SVP"}) {
        EXPECT_TRUE(folderExists(home.path("home/VLT/2024-03-05/") + sub));
        EXPECT_TRUE(folderExists(home.path("home/VLT/2024-03-06/") + sub));
    }
    EXPECT_FALSE(folderExists(home.path("home/VLT/2024-03-06/XYZ")));
    EXPECT_EQ(EventsLogFileName(), LogFolder + "2024-03-06 Events.log") << "events log named by the day of writing";
}

TEST(Settings, EventsLogBytes)
{
    TempHome home;
    FakeClock clock({2024, 5, 1, 13, 45, 1, 123});
    ClockGuard guard(clock);
    const std::string file = home.path("ev.log");
    AppendEventLine("GPS is idle!", file);
    clock.advance(std::chrono::milliseconds(1));
    AppendEventLine("Sensor TimeOut.", file);
    AppendEventLine("two\nlines", file);
    EXPECT_EQ(home.readFile("ev.log"),
              "\r\nAuto Event:\t2024-05-01 134501123\tGPS is idle!"
              "\r\nAuto Event:\t2024-05-01 134501124\tSensor TimeOut."
              "\r\nAuto Event:\t2024-05-01 134501124\ttwo\r\nlines");
    AppendEventLine("lost", home.path("no/such/dir/ev.log"));  // silently dropped, no throw
}

TEST(Settings, PlacementTable)
{
    const QRect designed(0, 0, 640, 480);
    const std::vector<QRect> oneScreen{QRect(0, 0, 1920, 1080)};
    const std::vector<QRect> twoScreens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1920, 1080)};
    // A laptop beside a smaller monitor, and a desktop with a panel along the top.
    const std::vector<QRect> unequal{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 720)};
    const std::vector<QRect> panel{QRect(0, 27, 1920, 1053)};
    const std::vector<QRect> leftOfPrimary{QRect(0, 0, 1920, 1080), QRect(-1280, 0, 1280, 1024)};
    struct Case {
        StoredPlacement stored;
        std::vector<QRect> screens;
        bool withSize;
        bool maximised;
        QRect want;
    };
    const Case cases[] = {
        {{0, 0, 0, 640, 480}, oneScreen, true, false, QRect(0, 0, 640, 480)},       // nothing stored
        {{0, 5000, 100, 800, 600}, oneScreen, true, false, QRect(0, 100, 800, 600)}, // off the right edge
        {{0, 100, -40, 800, 600}, oneScreen, true, false, QRect(100, 0, 800, 600)},  // above the top
        {{0, 100, 2000, 800, 600}, oneScreen, false, false, QRect(100, 0, 640, 480)}, // below, size kept
        {{2, 300, 300, 10, 10}, oneScreen, true, true, designed},                     // maximised
        {{1, 300, 200, 700, 500}, oneScreen, true, false, QRect(300, 200, 700, 500)}, // minimised -> normal
        {{0, 2500, 100, 800, 600}, twoScreens, true, false, QRect(2500, 100, 800, 600)}, // second monitor kept
        {{0, 2500, 900, 800, 600}, unequal, true, false, QRect(2400, 120, 800, 600)},  // below the smaller one
        {{0, 2500, 300, 800, 600}, unequal, true, false, QRect(2500, 300, 800, 600)},  // on the smaller one
        {{0, 100, 0, 800, 600}, panel, true, false, QRect(100, 27, 800, 600)},         // under the panel
        {{0, -1000, 500, 800, 600}, leftOfPrimary, true, false, QRect(-1000, 500, 800, 600)}, // left screen
        {{0, -2000, 500, 800, 600}, leftOfPrimary, true, false, QRect(0, 500, 800, 600)},     // beyond it
    };
    for (const auto& c : cases) {
        const Placement p = ComputePlacement(c.stored, designed, c.screens, c.withSize);
        EXPECT_EQ(p.maximised, c.maximised);
        if (!c.maximised) {
            EXPECT_EQ(p.rect, c.want) << c.stored.left << "," << c.stored.top;
        }
    }
}

// First-start places: on a large and a small screen, and under a panel, each tool window's whole
// frame lies on the area, below the main window's bars, and no two overlap.
TEST(Settings, FirstStartPlacesTable)
{
    struct Window {
        const char* name;
        QSize outer;
    };
    const Window windows[] = {{"Navset", {262, 463}},   {"fRealtime", {194, 412}}, {"fRunline1", {302, 355}},
                              {"Offsets", {491, 245}},  {"fJoystick", {262, 67}},  {"fWaterfal", {388, 147}}};
    const QRect areas[] = {QRect(0, 0, 1920, 1080), QRect(0, 0, 1680, 1050), QRect(0, 27, 1920, 1053),
                           QRect(1920, 0, 1920, 1080)};
    const QRect mainBars(0, 0, 1026, 140);  // the main window's title, menu and tool bars at the corner
    for (const QRect& area : areas) {
        std::vector<QRect> placed;
        for (const Window& w : windows) {
            const QRect r(FirstStartCorner(w.name, w.outer, area), w.outer);
            EXPECT_TRUE(area.contains(r)) << w.name << " on " << area.width() << "x" << area.height();
            EXPECT_FALSE(r.intersects(mainBars.translated(area.topLeft()))) << w.name;
            for (const QRect& other : placed) EXPECT_FALSE(r.intersects(other)) << w.name;
            placed.push_back(r);
        }
    }
    // The main window and any window without a place of its own start in the area's corner.
    EXPECT_EQ(FirstStartCorner("FNav", {1026, 725}, QRect(0, 27, 1920, 1053)), QPoint(0, 27));
    EXPECT_EQ(FirstStartCorner("FGPS", {762, 585}, QRect(1920, 0, 1920, 1080)), QPoint(1920, 0));
}

TEST(Settings, PlacementRoundTripThroughSettingsFile)
{
    TempHome home;
    QWidget w;
    w.setObjectName("Navset");
    w.setGeometry(40, 60, 300, 200);
    RestoreFormPlacement(&w, true);  // no file: its designed size, at its first-start place
    EXPECT_EQ(w.size(), QSize(300, 200));
    EXPECT_GT(w.pos().x(), 0);
    w.setGeometry(50, 70, 320, 240);
    SaveFormPlacement(&w);
    IniFile ini(GetIniFileName());
    EXPECT_EQ(ini.readSections(), std::vector<std::string>{"Navset"});
    EXPECT_EQ(ini.readInteger("Navset", "Width", 0), 320);
    QWidget other;
    other.setObjectName("Navset");
    other.resize(100, 100);
    RestoreFormPlacement(&other, false);
    EXPECT_EQ(other.size(), QSize(100, 100));

    // A window the run never showed nor placed (made at start, left hidden) keeps the stored place.
    QWidget unshown;
    unshown.setObjectName("Navset");
    SaveFormPlacement(&unshown);
    IniFile after(GetIniFileName());
    EXPECT_EQ(after.readInteger("Navset", "Left", -1), 50);
    EXPECT_EQ(after.readInteger("Navset", "Top", -1), 70);
}
