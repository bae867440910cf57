// The helmsman window in the running program: a run line selected on the main map with the mouse,
// the window opened from the Window menu, a GNSS receiver on a pseudo-terminal moving the vessel
// along the line; the helmsman map follows head-up with the corridor, its chainage ticks, the
// vessel and a copy of the track, and its own menu; and the periodic screenshots of the screens.
#include "nav/RealtimeState.h"
#include "nav/ScreenshotWriter.h"
#include "nav/windows/HelmsmanWindow.h"

#include "MainWindowDriver.h"
#include "NavTestSupport.h"
#include "support/PtyPair.h"

#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QTimer>

#include <algorithm>
#include <cmath>

using namespace vsx;
using namespace vsx::test;

namespace {

using P = MapProgram;

std::vector<std::string> texts(const CanvasModel& m, const char* layer)
{
    std::vector<std::string> out;
    for (int id : m.GetLayerShapeIds(m.FindLayer(layer))) {
        double x, y;
        std::string t;
        if (m.GetText(id, x, y, t)) out.push_back(t);
    }
    return out;
}

void wgs84Utm36(IniFile& ini)
{
    const char* g = "GEODETIC_PARAMETERS";
    const std::pair<const char*, const char*> values[] = {
        {"SemiMajorAxis", "6378137"}, {"InverseFlattening", "298.257223563"}, {"Scale_PPM", "0"},
        {"X_Rotation", "0"},          {"Y_Rotation", "0"},                    {"Z_Rotation", "0"},
        {"X_Shift", "0"},             {"Y_Shift", "0"},                       {"Z_Shift", "0"},
        {"Central_Meridian", "33"},   {"Reference_Latitude", "0"},            {"Scale_Factor", "0.9996"},
        {"False_Easting", "500000"},  {"False_Northing", "0"}};
    for (const auto& [key, value] : values) ini.writeString(g, key, value);
}

} // namespace

TEST(EndToEndHelmsman, FollowsAPseudoTerminalFeedAlongTheSelectedRunLine)
{
    // The vessel starts at 41° N on the central meridian and steers 10° east of north.
    const auto start = utm36Grid(41.0, 33.0);
    ASSERT_TRUE(start);
    const double e0 = start->easting, n0 = start->northing;

    PtyPair gnss;
    P p(
        [&](IniFile& ini) {
            gnss.mapTo(GetIniFileName(), "COM5");
            ini.writeString("GPS1 COMUNICATION SETTINGS", "Port No", "COM5");
            ini.writeBool("SENSOR COMUNICATION SETTINGS", "Sensor Enabled", false);
            ini.writeBool("GYRO", "Gyro Enabled", true);
            wgs84Utm36(ini);
            writeMapView(ini, e0, n0, 300);
        },
        [&](CanvasModel& m) {
            // A 250 m run line north from 30 m behind the start, 5 m west of it.
            m.AddPolyline({{e0 - 5, n0 - 30}, {e0 - 5, n0 + 220}}, m.AddLayer("Veldor_Runlines"), 0);
        });
    P::mapMenu(P::at(e0 - 5, n0 + 100), "SelectRunlineHereItem");
    ASSERT_EQ(P::model().SelectedCount(), 1);
    P::chooseMenu("HelsmanWindow1");
    HelmsmanWindow* helm = FNav->Helmsman;
    ASSERT_TRUE(helm && helm->isVisible());
    const CanvasModel& h = helm->Canvas->Model();
    EXPECT_EQ(texts(h, "~~Veldor Motorway"), (std::vector<std::string>{"KP0", "KP100", "KP200"}));
    P::mapMenu(P::at(e0 + 200, n0 - 200), "MainTrackliningItem");
    ASSERT_TRUE(realtimeState().MainTracklining);

    QTest::mouseClick(P::button("bRealtime"), Qt::LeftButton);
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    const int rebuildsBefore = helm->Canvas->RebuildCount();
    QSignalSpy refreshes(helm->Timer, &QTimer::timeout);
    const RealtimeState& s = realtimeState();
    // 6 m per fix along 10°, about five fixes a second; each fix is taken in before the next.
    auto feed = [&gnss, &s](int from, int to) {
        const double north = 10.0 * M_PI / 180;
        for (int k = from; k < to; ++k) {
            char t[16];
            std::snprintf(t, sizeof t, "1200%02d.%02d", k / 5, (k % 5) * 20);
            const double lat = 41.0 + k * 6 * std::cos(north) / 111030.0;
            const double lon = 33.0 + k * 6 * std::sin(north) / (111320.0 * std::cos(41.0 * M_PI / 180));
            ASSERT_TRUE(gnss.write(gga(t, lat, lon, 4) + "\r\n" + hdt(10.0) + "\r\n"));
            ASSERT_TRUE(QTest::qWaitFor([&] { return std::fabs(s.GpsLatitude - lat) < 1e-8; }, 10000)) << "fix " << k;
            QTest::qWait(200);
        }
    };
    feed(0, 25);
    // The map has moved the vessel to the last fix and the helmsman map has followed it.
    const auto helmOnVessel = [&h, &s] {
        return std::fabs((h.WorldXMin() + h.WorldXMax()) / 2 - s.VesselEasting) < 0.01 &&
               std::fabs((h.WorldYMin() + h.WorldYMax()) / 2 - s.VesselNorthing) < 0.01;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return s.VesselNorthing > n0 + 130 && helmOnVessel(); }, 10000))
        << "vessel at N" << s.VesselNorthing - n0 << " from the start";
    const int rebuilds = helm->Canvas->RebuildCount() - rebuildsBefore;
    const int ticks = int(refreshes.count());

    // The corridor around the line: its chainage runs from behind the vessel, each tick once.
    EXPECT_EQ(texts(h, "~~Veldor Motorway"), (std::vector<std::string>{"KP0", "KP100", "KP200"}));
    int redLines = 0;
    for (const TVShape* shape : h.Shapes()) redLines += shape->ShapeType == 5 && shape->PenColor == 255;
    EXPECT_EQ(redLines, 1) << "the selected run line, copied in red";
    // The vessel, followed head-up.
    EXPECT_GT(h.LayerShapeCount(h.FindLayer("~~Veldor Vessel")), 5);
    EXPECT_NEAR(h.GetRotation(), s.GridHeading, 1e-9);
    EXPECT_NEAR(s.GridHeading, 10, 0.1);
    // The track, mirrored segment for segment.
    const int mainTrack = P::layerCount("track_fix");
    EXPECT_GE(mainTrack, 3);
    EXPECT_EQ(h.LayerShapeCount(h.FindLayer("track_fix")), mainTrack);
    // One repaint per refresh (5 a second) and per mirrored segment, not one per layer rebuilt.
    EXPECT_LE(rebuilds, ticks + mainTrack + 3) << ticks << " refreshes";
    EXPECT_GE(rebuilds, ticks / 2) << ticks << " refreshes";

    // Its menu: north up at once, and kept in the settings; clearing its track leaves the main one.
    helm->activateWindow();
    QTest::mouseClick(helm->Canvas, Qt::RightButton, {}, QPoint(100, 100));
    ASSERT_TRUE(QTest::qWaitFor([helm] { return helm->Menu->isVisible(); }, 1000));
    EXPECT_EQ(helm->HeadUpItem->text(), "Up North (standard chart view)");
    P::clickItem(helm->Menu, helm->HeadUpItem);
    EXPECT_EQ(h.GetRotation(), 0);
    EXPECT_EQ(IniFile(GetIniFileName()).readString("HELMSMAN", "HeadUp", ""), "0");
    QTest::mouseClick(helm->Canvas, Qt::RightButton, {}, QPoint(100, 100));
    ASSERT_TRUE(QTest::qWaitFor([helm] { return helm->Menu->isVisible(); }, 1000));
    P::clickItem(helm->Menu, helm->ClearTracksItem);
    EXPECT_EQ(h.LayerShapeCount(h.FindLayer("track_fix")), 0);
    EXPECT_EQ(P::layerCount("track_fix"), mainTrack);

    // A right drag on the helmsman map measures and opens no menu.
    QTest::mousePress(helm->Canvas, Qt::RightButton, {}, QPoint(100, 100));
    QTest::mouseMove(helm->Canvas, QPoint(200, 100));
    EXPECT_TRUE(helm->Canvas->Measure().Measuring);
    QTest::mouseRelease(helm->Canvas, Qt::RightButton, {}, QPoint(200, 100));
    QTest::qWait(20);
    EXPECT_FALSE(helm->Menu->isVisible());

    // While the user draws on the main map, the map goes on (the vessel moves, the track grows)
    // but its view holds still under the mouse; once the shape is finished it follows again.
    QTest::mouseClick(P::button("ToolButton23"), Qt::LeftButton);
    P::click(QPoint(40, 40));
    const double heldX = P::model().WorldXMin(), heldY = P::model().WorldYMin();
    const double northingBefore = s.VesselNorthing;
    feed(25, 30);
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.VesselNorthing > northingBefore + 20; }, 10000))
        << "moved " << s.VesselNorthing - northingBefore << " m";
    EXPECT_EQ(P::model().WorldXMin(), heldX);
    EXPECT_EQ(P::model().WorldYMin(), heldY);
    P::click(QPoint(90, 40));
    P::click(QPoint(90, 40), Qt::RightButton);
    ASSERT_TRUE(QTest::qWaitFor([&s] {
        return std::fabs((P::model().WorldYMin() + P::model().WorldYMax()) / 2 - s.VesselNorthing) < 0.01;
    }, 1000));
    EXPECT_EQ(P::layerCount("veldor_usershape"), 1);

    // Another selection on the main map: a click on empty ground selects nothing (the map
    // ignores the first click after a right-click finish), and the next refresh takes the run
    // line and its corridor away.
    P::clickWorld(s.VesselEasting + 250, s.VesselNorthing - 250);
    P::clickWorld(s.VesselEasting + 250, s.VesselNorthing - 250);
    EXPECT_EQ(P::model().SelectedCount(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&h] { return texts(h, "~~Veldor Motorway").empty(); }, 2000));
    QTest::mouseClick(P::button("bRealtime"), Qt::LeftButton);

    // Closing only hides it; the map menu offers to show it again.
    EXPECT_TRUE(closeFromTitleBar(helm));
    EXPECT_EQ(FNav->Helmsman, helm);
    P::mapMenu(P::at(s.VesselEasting, s.VesselNorthing), "HelmsmanWindowItem");
    EXPECT_TRUE(helm->isVisible());
    EXPECT_TRUE(helm->Timer->isActive());
}

namespace {

class Screens : public ScreenSource {
public:
    std::vector<MonitorRect> Monitors() override { return {{0, 0, 1280, 800}, {1280, 0, 1920, 1080}}; }
    QImage Grab(size_t i) override
    {
        const auto m = Monitors()[i];
        QImage img(m.width, m.height, QImage::Format_ARGB32_Premultiplied);
        img.fill(i == 0 ? Qt::darkBlue : Qt::darkGreen);
        return img;
    }
};

} // namespace

TEST(EndToEndHelmsman, ScreenshotsOfEveryScreenLandInTheDaysPngFolder)
{
    P p([](IniFile& ini) { ini.writeInteger("SCREENSHOT", "Interval", 1); });
    FNav->SetScreenSource(std::make_unique<Screens>());
    ASSERT_EQ(FNav->tScreenshot->interval(), 1000);
    const QDir folder(QString::fromStdString(DayFolder + "PNG/"));
    ASSERT_TRUE(QTest::qWaitFor([&folder] { return folder.entryList({"*.png"}).size() >= 2; }, 15000));
    FNav->Screenshots().WaitForDone();
    const QStringList files = folder.entryList({"*.png"}, QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 2);
    const QString first = files[0];
    ASSERT_TRUE(first.startsWith("VSX ")) << first.toStdString();
    const QString stamp = first.mid(4, 17);  // "yyyy-mm-dd hhnnss"
    for (const auto& [name, size] : {std::pair{"Left", QSize(1280, 800)}, std::pair{"Right", QSize(1920, 1080)}}) {
        const QString file = "VSX " + stamp + " " + name + ".png";
        ASSERT_TRUE(files.contains(file)) << file.toStdString();
        QImage image(folder.filePath(file));
        EXPECT_EQ(image.size(), size);
        EXPECT_FALSE(image.hasAlphaChannel()) << "24-bit";
    }
}
