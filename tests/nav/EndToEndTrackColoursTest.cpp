// The own vessel's track in the colours the navigation settings window shows: a survey on a
// pseudo-terminal receiver goes from RTK fixed to RTK float to an autonomous fix, and the pixels
// of every segment on the map and on the helmsman's map, and the track styles of the exported
// KML, are read back. Once from a first start (no colours in the settings file) and once from a
// settings file with colours of the surveyor's own.
#include "app/Settings.h"
#include "app/windows/ColorBox.h"
#include "app/windows/NumberEdit.h"
#include "app/windows/WindowPointers.h"
#include "canvas/VeldorCanvas.h"
#include "nav/RealtimeState.h"
#include "nav/windows/HelmsmanWindow.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "tools/FolderOpener.h"
#include "tools/windows/NavigationSettingsWindow.h"

#include "MainWindowDriver.h"
#include "NavTestSupport.h"
#include "support/ControlInput.h"
#include "support/PtyPair.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <optional>

using namespace vsx;
using namespace vsx::test;

namespace {

using P = MapProgram;

struct TrackColours {
    ColorValue fixed, floating;
};

// The pixel colour of a colour number, as a grab of a widget holds it.
QRgb rgbOf(ColorValue c) { return toQColor(c).rgb() & 0xFFFFFF; }

// KML's aabbggrr for an opaque colour number (0x00BBGGRR).
std::string kmlColour(ColorValue c)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "ff%06x", unsigned(c) & 0xFFFFFFu);
    return buf;
}

// The segments of a track layer whose middle pixel on `canvas` is not `colour`, away from the
// vessel symbol; "none" when all are; also how many were read.
std::string offColourSegments(TVeldorCanvas* canvas, const char* layer, ColorValue colour, int& read)
{
    const CanvasModel& m = canvas->Model();
    const QImage image = canvas->grab().toImage();
    // The vessel symbol lies over the track's last metres.
    double vx0 = 0, vy0 = 0, vx1 = -1, vy1 = -1;
    for (int id : m.GetLayerShapeIds(m.FindLayer("~~Veldor Vessel"))) {
        const TVShape* s = m.FindShape(id);
        if (vx1 < vx0) vx0 = s->MinX, vy0 = s->MinY, vx1 = s->MaxX, vy1 = s->MaxY;
        vx0 = std::min(vx0, s->MinX), vy0 = std::min(vy0, s->MinY);
        vx1 = std::max(vx1, s->MaxX), vy1 = std::max(vy1, s->MaxY);
    }
    std::string off;
    read = 0;
    for (int id : m.GetLayerShapeIds(m.FindLayer(layer))) {
        double x1, y1, x2, y2;
        if (!m.GetLine(id, x1, y1, x2, y2)) continue;
        const double x = (x1 + x2) / 2, y = (y1 + y2) / 2;
        if (x >= vx0 - 3 && x <= vx1 + 3 && y >= vy0 - 3 && y <= vy1 + 3) continue;
        int px = 0, py = 0;
        canvas->WorldToScreen(x, y, px, py);
        if (!image.rect().contains(px, py)) continue;
        ++read;
        const QRgb seen = image.pixel(px, py) & 0xFFFFFF;
        if (seen != rgbOf(colour)) {
            char buf[96];
            std::snprintf(buf, sizeof buf, " segment %d at (%d,%d) is #%06x;", id, px, py, unsigned(seen));
            off += buf;
        }
    }
    return off.empty() ? "none" : off;
}

void runSurveyAndCheckColours(const std::optional<TrackColours>& stored)
{
    const auto start = utm36Grid(41.0, 33.0);
    ASSERT_TRUE(start);
    const double e0 = start->easting, n0 = start->northing;

    PtyPair gnss;
    P p([&](IniFile& ini) {
        gnss.mapTo(GetIniFileName(), "COM5");
        writeGnssPort(ini, "COM5");
        ini.writeBool("SENSOR COMUNICATION SETTINGS", "Sensor Enabled", false);
        ini.writeBool("GYRO", "Gyro Enabled", true);
        writeUtm36Settings(ini);
        writeMapView(ini, e0, n0, 200);
        if (stored) {
            ini.writeInteger("NAVIGATION_SETTINGS", "ColorTracklines1", int(stored->fixed));
            ini.writeInteger("NAVIGATION_SETTINGS", "ColorTracklines0", int(stored->floating));
        }
    });
    std::vector<std::string> opened;
    setFolderOpener([&](const std::string& folder) { opened.push_back(folder); });

    // What the surveyor reads in the window: the picker's own default on a first start.
    ASSERT_TRUE(Navset->isVisible());
    const TrackColours shown{Navset->ColorTracklines1->color(), Navset->ColorTracklines0->color()};
    if (stored) {
        EXPECT_EQ(shown.fixed, stored->fixed);
        EXPECT_EQ(shown.floating, stored->floating);
    } else {
        EXPECT_EQ(Navset->ColorTracklines1->currentText(), "Green");
        EXPECT_EQ(Navset->ColorTracklines0->currentText(), "Yellow");
    }
    typeInto(Navset->TrackDistance, "5");
    typeInto(Navset->eVesselUpdateRate, "100");

    P::chooseMenu("HelsmanWindow1");
    HelmsmanWindow* helm = FNav->Helmsman;
    ASSERT_TRUE(helm && helm->isVisible());
    P::mapMenu(P::at(e0 + 150, n0 - 150), "MainTrackliningItem");
    ASSERT_TRUE(realtimeState().MainTracklining);
    click(FNav->bRealtime);
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();

    // Due north along the central meridian, 10 m a fix: RTK fixed, float, then autonomous.
    const RealtimeState& s = realtimeState();
    const int qualities[] = {4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 1, 1, 1, 1, 1, 1, 1, 1};
    for (int k = 0; k < int(std::size(qualities)); ++k) {
        char t[16];
        std::snprintf(t, sizeof t, "1200%02d.00", k);
        const double lat = 41.0 + k * 10.0 / 111030.0;
        ASSERT_TRUE(gnss.write(gga(t, lat, 33.0, qualities[k]) + "\r\n" + hdt(0.0) + "\r\n"));
        const double north = utm36Grid(lat, 33.0)->northing;
        ASSERT_TRUE(QTest::qWaitFor([&] { return std::fabs(s.VesselNorthing - north) < 0.01; }, 10000)) << "fix " << k;
    }
    // The helmsman's map has taken the last segment too.
    const CanvasModel& h = helm->Canvas->Model();
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.LayerShapeCount(h.FindLayer("track_nofix")) == P::layerCount("track_nofix"); },
                                10000));
    click(FNav->bRealtime);
    ASSERT_FALSE(FNav->Run().Running());
    ASSERT_EQ(P::layerCount("track_fix"), 4);
    ASSERT_EQ(P::layerCount("track_float"), 5);
    ASSERT_EQ(P::layerCount("track_nofix"), 8);

    // Every segment on both maps, in the colour of its fix class.
    const std::pair<const char*, ColorValue> classes[] = {
        {"track_fix", shown.fixed}, {"track_float", shown.floating}, {"track_nofix", clRed}};
    FNav->fcad->Redraw();
    helm->Canvas->Redraw();
    for (TVeldorCanvas* canvas : {FNav->fcad, helm->Canvas}) {
        const char* where = canvas == FNav->fcad ? "map" : "helmsman's map";
        for (const auto& [layer, colour] : classes) {
            int read = 0;
            EXPECT_EQ(offColourSegments(canvas, layer, colour, read), "none") << where << ", " << layer;
            EXPECT_GE(read, 3) << where << ", " << layer << ": too few segments were on the screen to read";
        }
    }

    // The KML export styles each fix class in the same colour.
    const std::string kml = p.home.path("track.kml");
    p.prompts.files = {{QString::fromStdString(kml), 1}};
    P::chooseMenu("Export1");
    const std::string doc = p.home.readFile("track.kml");
    const std::pair<const char*, ColorValue> styles[] = {
        {"trackFix", shown.fixed}, {"trackFloat", shown.floating}, {"trackNofix", clRed}};
    for (const auto& [id, colour] : styles)
        EXPECT_NE(doc.find(std::string("<Style id=\"") + id + "\"><LineStyle><color>" + kmlColour(colour) + "</color>"),
                  std::string::npos)
            << id << " in " << doc.substr(0, 800);

    // Closing the window keeps what it showed.
    ASSERT_TRUE(closeFromTitleBar(Navset));
    IniFile ini(GetIniFileName());
    EXPECT_EQ(ini.readInteger("NAVIGATION_SETTINGS", "ColorTracklines1", -1), int(shown.fixed));
    EXPECT_EQ(ini.readInteger("NAVIGATION_SETTINGS", "ColorTracklines0", -1), int(shown.floating));
    setFolderOpener({});
}

} // namespace

TEST(EndToEndTrackColours, FirstStartDrawsInThePickersDefaults) { runSurveyAndCheckColours(std::nullopt); }

TEST(EndToEndTrackColours, StoredColoursAreDrawn) { runSurveyAndCheckColours(TrackColours{clBlue, clFuchsia}); }
