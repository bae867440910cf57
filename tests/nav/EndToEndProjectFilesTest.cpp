// The whole program, offscreen, through the File menu: New, a drawing made of a line drawn with
// the mouse, a short RTK track from a pseudo-terminal receiver and an imported point file, Save
// As, a fresh start that opens the saved project, Export to KMZ and Import of that KMZ. Menus are
// clicked open, file dialogs and questions are answered through the prompt service; the files
// written are checked on disk.
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "program/ProgramStart.h"
#include "app/windows/WindowPointers.h"
#include "nav/KmzArchive.h"
#include "nav/RealtimeState.h"
#include "nav/windows/MainWindow.h"
#include "platform/IniFile.h"
#include "platform/Prompts.h"
#include "tools/FolderOpener.h"
#include "tools/windows/NavigationSettingsWindow.h"
#include "app/windows/NumberEdit.h"

#include "MainWindowDriver.h"
#include "NavTestSupport.h"
#include "support/ControlInput.h"
#include "support/PtyPair.h"
#include "support/TempHome.h"

#include <QLineEdit>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

using namespace vsx;
using namespace vsx::test;

namespace {

void writeSettings(const std::string& iniPath)
{
    IniFile ini(iniPath);
    writeGnssPort(ini, "COM5");
    ini.writeBool("SENSOR COMUNICATION SETTINGS", "Sensor Enabled", false);
    writeLocalGridSettings(ini);
}

using P = MapProgram;

// Draws a line on the map with the line tool: a click at each end, the right click that ends it.
void drawLine(QPoint from, QPoint to)
{
    click(P::button("ToolButton12"));
    P::click(from);
    P::click(to);
    P::click(to, Qt::RightButton);
}

// Millimetres and below as the project file keeps them: 6 decimals.
std::string mm(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", v);
    return buf;
}

// "layer type x y ..." per shape of the drawing's own layers (not the grid or the vessel).
std::vector<std::string> drawing()
{
    const CanvasModel& m = FNav->fcad->Model();
    std::vector<std::string> out;
    for (const TVShape* s : m.Shapes()) {
        const CanvasLayer* l = m.FindLayerById(s->LayerId);
        if (!l || l->Name == "Veldor Grid" || l->Name == "~~Veldor Vessel") continue;
        std::string d = l->Name + " " + std::to_string(s->ShapeType);
        double x1, y1, x2, y2;
        std::string text;
        if (m.GetLine(s->Id, x1, y1, x2, y2)) d += " " + mm(x1) + " " + mm(y1) + " " + mm(x2) + " " + mm(y2);
        else if (m.GetText(s->Id, x1, y1, text)) d += " " + mm(x1) + " " + mm(y1) + " " + text;
        else if (m.GetPoint(s->Id, x1, y1)) d += " " + mm(x1) + " " + mm(y1);
        out.push_back(d);
    }
    return out;
}

struct Segment {
    double x1, y1, x2, y2;
};

std::vector<Segment> layerLines(const char* layerName)
{
    const CanvasModel& m = FNav->fcad->Model();
    std::vector<Segment> out;
    for (int id : m.GetLayerShapeIds(m.FindLayer(layerName))) {
        Segment s{};
        if (m.GetShapeType(id) != 11 && m.GetLine(id, s.x1, s.y1, s.x2, s.y2)) out.push_back(s);
    }
    return out;
}

} // namespace

TEST(EndToEndProjectFiles, NewDrawSaveAsOpenExportKmzImport)
{
    TempHome home;
    PtyPair gnss;
    gnss.mapTo(home.iniPath(), "COM5");
    writeSettings(home.iniPath());
    InitSharedValues();
    RecordingPrompts prompts;
    setPrompts(&prompts);
    std::vector<std::string> opened;
    setFolderOpener([&](const std::string& folder) { opened.push_back(folder); });
    const std::string work = home.path("work/");
    std::filesystem::create_directories(work);
    home.writeFile("work/soundings day2.xyz", "Easting,Northing,Elevation\r\n1,450100.5,4540200.25,-3.456\r\n"
                                              "2,450120,4540230,-4.1\r\n");

    CreateAllWindows();
    ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 3000));

    // New, answered No, keeps the line drawn; answered Yes, clears it.
    drawLine({200, 200}, {300, 250});
    ASSERT_EQ(P::layerCount("veldor_usershape"), 1);
    prompts.answers = {PromptAnswer::No};
    P::chooseMenu("New1");
    EXPECT_EQ(prompts.entries.back().text, "Entire layout will be cleared! Continue?");
    EXPECT_EQ(FNav->fcad->Model().ShapeCount(), 1);
    prompts.answers = {PromptAnswer::Yes};
    P::chooseMenu("New1");
    EXPECT_EQ(FNav->fcad->Model().ShapeCount(), 0);
    EXPECT_EQ(FNav->findChild<QAction*>("New1")->text(), "New");
    // Every shape went, on every layer, and the next shape drawn is shape 1 again.
    drawLine({200, 200}, {300, 250});
    EXPECT_EQ(FNav->fcad->Model().GetShapeIds(), std::vector<std::int32_t>{1});
    P::chooseMenu("New1");
    ASSERT_EQ(FNav->fcad->Model().ShapeCount(), 0);

    // A short RTK track: tracklining on, real time from the receiver.
    P::chooseMenu("NavigationSettings1");
    ASSERT_TRUE(QTest::qWaitFor([] { return Navset->isVisible(); }, 5000));
    typeInto(Navset->TrackDistance, "1");
    typeInto(Navset->eVesselUpdateRate, "100");
    P::mapMenu({300, 300}, "MainTrackliningItem");
    click(FNav->bRealtime);
    ASSERT_TRUE(FNav->Run().Running()) << FNav->Run().LastStartError();
    for (int k = 0; k < 10; ++k) {
        char t[16];
        std::snprintf(t, sizeof t, "1015%02d.%02d", k / 5, (k % 5) * 20);
        const double lat = 41.01 + k * 2.0 / 111050.0, lon = 28.03 + k * 1e-5;
        ASSERT_TRUE(gnss.write(gga(t, lat, lon, 4) + "\r\n" + hdt(10.0) + "\r\n"));
        QTest::qWait(200);
    }
    // The map loop lays the track down as it takes the fixes in.
    ASSERT_TRUE(QTest::qWaitFor([] { return layerLines("track_fix").size() >= 3; }, 10000))
        << layerLines("track_fix").size() << " track lines";
    click(FNav->bRealtime);
    ASSERT_FALSE(FNav->Run().Running());
    const std::vector<Segment> track = layerLines("track_fix");
    ASSERT_GE(track.size(), 3u);

    // A point file through File > Import.
    prompts.files = {{QString::fromStdString(work + "soundings day2.xyz"), 2}};
    P::chooseMenu("Import1");
    {
        const CanvasModel& map = FNav->fcad->Model();
        ASSERT_EQ(map.LayerShapeCount(map.FindLayer("soundings day2")), 4) << "two points and their labels";
        EXPECT_NE(map.CurrentLayer(), map.FindLayer("soundings day2"));
    }

    // Save As without an extension, the project filter selected: "survey.vltx".
    const std::vector<std::string> before = drawing();
    prompts.files = {{QString::fromStdString(work + "survey"), 1}};
    P::chooseMenu("SaveAs1");
    EXPECT_EQ(prompts.fileDialogs.back().filters, "Veldor Sondrix [*.vltx] (*.vltx);;All Files [*.*] (*)");
    ASSERT_TRUE(std::filesystem::exists(work + "survey.vltx"));
    EXPECT_EQ(FNav->windowTitle().toStdString(), "Veldor Sondrix  <" + work + "survey.vltx>");

    // A fresh start: the program ends (saving its time-stamped copy) and starts again; New
    // clears what the start loaded, and Open brings the saved project back shape for shape.
    DestroyAllWindows();
    InitSharedValues();
    CreateAllWindows();
    ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 3000));
    prompts.answers = {PromptAnswer::Yes};
    P::chooseMenu("New1");
    ASSERT_TRUE(drawing().empty());
    prompts.files = {{QString::fromStdString(work + "survey.vltx"), 1}};
    click(P::button("bOpen"));
    EXPECT_EQ(drawing(), before);

    // Export to KMZ: the name without an extension, the KMZ filter row.
    const std::size_t messages = prompts.entries.size();
    prompts.files = {{QString::fromStdString(work + "out"), 2}};
    P::chooseMenu("Export1");
    EXPECT_EQ(prompts.fileDialogs.back().filters, "Google Earth KML [*.kml] (*.kml);;Google Earth KMZ [*.kmz] (*.kmz);;"
                                                  "AutoCAD R12 DXF [*.dxf] (*.dxf);;All Files [*.*] (*)");
    ASSERT_TRUE(std::filesystem::exists(work + "out.kmz"));
    ASSERT_EQ(prompts.entries.size(), messages + 1);
    const std::string tracks = std::to_string(track.size() + 2);  // the track lines and two points
    EXPECT_EQ(prompts.entries.back().text.toStdString(),
              "Exported: " + tracks + " tracks, 0 depth points to " + work + "out.kmz");
    EXPECT_EQ(opened, std::vector<std::string>{work});
    const KmzReadResult inner = ReadKmlFromKmzFile(work + "out.kmz");
    ASSERT_TRUE(inner.ok) << inner.error;
    EXPECT_EQ(inner.entry, "doc.kml");
    EXPECT_EQ(inner.kml.substr(0, 3), "\xEF\xBB\xBF");

    // Import it back: every track segment returns within a millimetre, on the layer "out".
    prompts.files = {{QString::fromStdString(work + "out.kmz"), 1}};
    P::chooseMenu("Import1");
    EXPECT_EQ(prompts.fileDialogs.back().filters,
              "KML/KMZ Files [*.kml;*.kmz] (*.kml *.kmz);;XYZ Files [*.xyz;*.txt;*.csv] (*.xyz *.txt *.csv);;"
              "AutoCAD 2018 DXF [*.dxf] (*.dxf);;All Files [*.*] (*)");
    EXPECT_EQ(prompts.entries.size(), messages + 1) << "a successful import shows no message";
    const std::vector<Segment> back = layerLines("out");
    ASSERT_EQ(back.size(), track.size());
    for (std::size_t i = 0; i < track.size(); ++i) {
        EXPECT_NEAR(back[i].x1, track[i].x1, 0.001) << i;
        EXPECT_NEAR(back[i].y1, track[i].y1, 0.001) << i;
        EXPECT_NEAR(back[i].x2, track[i].x2, 0.001) << i;
        EXPECT_NEAR(back[i].y2, track[i].y2, 0.001) << i;
    }
    const CanvasModel& map = FNav->fcad->Model();
    int names = 0;
    for (int id : map.GetLayerShapeIds(map.FindLayer("out"))) names += map.GetShapeType(id) == 11;
    EXPECT_EQ(names, int(track.size()) + 4) << "each placemark's name at its first coordinate: the track lines, "
                                               "the two points and the two labels";

    // The same drawing as DXF R12 (filter row 3, no extension typed), and back through Import.
    prompts.files = {{QString::fromStdString(work + "plan"), 3}};
    P::chooseMenu("Export1");
    ASSERT_TRUE(std::filesystem::exists(work + "plan.dxf"));
    prompts.files = {{QString::fromStdString(work + "plan.dxf"), 3}};
    P::chooseMenu("Import1");
    EXPECT_EQ(map.LayerShapeCount(map.FindLayer("_dxf_plan.dxf")), map.ShapeCount() / 2)
        << "every shape of the drawing once more on the import layer";
    EXPECT_EQ(prompts.entries.size(), messages + 1) << "nothing was left out";

    const std::string events = home.readFile(EventsLogFileName().substr(home.root().size()));
    for (const std::string& line : std::vector<std::string>{"New layout - cleared all shapes",
                                                            "Exported DXF: " + work + "plan.dxf",
                                                            "Imported DXF: " + work + "plan.dxf", "Imported XYZ: " + work +
                                    "soundings day2.xyz (2 points) to layer: soundings day2",
                                    "Saved As: " + work + "survey.vltx", "Opened file: " + work + "survey.vltx",
                                    "Exported: " + tracks + " tracks", "Imported KML/KMZ: " + work + "out.kmz to layer: out"})
        EXPECT_NE(events.find(line), std::string::npos) << line;

    DestroyAllWindows();
    setFolderOpener({});
    setPrompts(nullptr);
}

// What goes wrong is said where the user acted, and leaves the drawing and the files as they
// were: a save into a folder that cannot be made, a damaged project, imports that fail or are
// refused, exports to a type that is not written or without usable datum parameters.
TEST(EndToEndProjectFiles, FailuresAreShownAndChangeNothing)
{
    TempHome home;
    writeSettings(GetIniFileName());
    IniFile(GetIniFileName()).writeString("GEODETIC_PARAMETERS", "SemiMajorAxis", "0");
    InitSharedValues();
    // A file where the day's project folder belongs: no save can make it.
    std::filesystem::create_directories(DayFolder);
    home.writeFile(ProjectFolder.substr(home.root().size(), ProjectFolder.size() - home.root().size() - 1), "x");
    RecordingPrompts prompts;
    setPrompts(&prompts);
    setFolderOpener([](const std::string&) {});
    const std::string work = home.path("work/");
    std::filesystem::create_directories(work);
    home.writeFile("work/damaged.vltx", std::string("VLT1") + "\x78\x9c garbage");
    home.writeFile("work/empty.kml", "<kml><Placemark><name>x</name></Placemark></kml>");
    home.writeFile("work/renamed.kmz", "Easting,Northing\n");
    home.writeFile("work/survey.csv", "500000 4400000 5\n");
    home.writeFile("work/empty.csv", "450000 4500000 1\n");
    home.writeFile("work/renamed.csv", "450010 4500010 2\n");
    home.writeFile("work/plan.dat", "0\nSECTION\n2\nHEADER\n0\nENDSEC\n0\nEOF\n");
    auto choose = [&](const std::string& file, int row) { prompts.files = {{QString::fromStdString(work + file), row}}; };
    auto lastMessage = [&] { return prompts.entries.empty() ? std::string() : prompts.entries.back().text.toStdString(); };

    CreateAllWindows();
    ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 3000));
    CanvasModel& map = FNav->fcad->Model();

    click(P::button("bSave"));
    EXPECT_EQ(lastMessage().rfind("The drawing could not be saved: ", 0), 0u) << lastMessage();
    EXPECT_EQ(prompts.entries.back().kind, PromptKind::Error);
    EXPECT_NE(FNav->sStatusBar->currentMessage().toStdString().find("Auto-save failed: " + ProjectFolder), std::string::npos);
    EXPECT_NE(home.readFile(EventsLogFileName().substr(home.root().size())).find("Auto-save failed: "), std::string::npos);

    // Point files: imported, refused while unchanged, imported again once touched.
    choose("survey.csv", 2);
    P::chooseMenu("Import1");
    const int survey = map.FindLayer("survey");
    ASSERT_EQ(map.LayerShapeCount(survey), 2);
    const std::size_t shown = prompts.entries.size();
    choose("survey.csv", 2);
    P::chooseMenu("Import1");
    EXPECT_EQ(lastMessage(), "File unchanged since last import. Skipping.");
    EXPECT_EQ(map.LayerShapeCount(survey), 2);
    std::filesystem::last_write_time(work + "survey.csv",
                                     std::filesystem::last_write_time(work + "survey.csv") + std::chrono::seconds(5));
    choose("survey.csv", 2);
    P::chooseMenu("Import1");
    EXPECT_EQ(prompts.entries.size(), shown + 1);
    EXPECT_EQ(map.LayerShapeCount(survey), 2);

    const std::vector<std::string> before = drawing();
    struct Case {
        const char* action;
        const char* file;
        int row;
        std::string message;  // its start
    } cases[] = {
        {"Open1", "damaged.vltx", 1, "Failed to open project: "},
        {"Import1", "survey.kml", 1, "Please configure datum parameters in GPS Settings before importing KML/KMZ files."},
        {"Import1", "plan.dat", 4, "DXF load failed: ENTITIES section not found"},
        {"Import1", "missing.dxf", 3, "Failed to import DXF file: " + work + "missing.dxf"},
        {"Export1", "out.txt", 4, "Export writes KML (.kml), KMZ (.kmz) and DXF (.dxf) files."},
        {"Export1", "out", 2, "Please configure datum parameters in GPS Settings before exporting to KML/KMZ."},
    };
    for (const Case& c : cases) {
        choose(c.file, c.row);
        P::chooseMenu(c.action);
        EXPECT_EQ(lastMessage().substr(0, c.message.size()), c.message) << c.action << " " << c.file;
        EXPECT_EQ(drawing(), before) << c.action << " " << c.file;
    }
    EXPECT_FALSE(std::filesystem::exists(work + "out.txt"));
    EXPECT_FALSE(std::filesystem::exists(work + "out.kmz"));

    // With usable parameters (a new start reads them), KML and KMZ that cannot be read leave
    // the layer of the same name as it was.
    DestroyAllWindows();
    IniFile(GetIniFileName()).writeString("GEODETIC_PARAMETERS", "SemiMajorAxis", "6378388");
    CreateAllWindows();
    ASSERT_TRUE(QTest::qWaitFor([] { return FNav->windowTitle().startsWith("Veldor Sondrix - "); }, 3000));
    // Layers of those names from point files, and a line drawn on the map.
    for (const char* points : {"empty.csv", "renamed.csv"}) {
        choose(points, 2);
        P::chooseMenu("Import1");
    }
    drawLine({200, 200}, {300, 250});
    const CanvasModel& again = FNav->fcad->Model();
    ASSERT_EQ(again.LayerShapeCount(again.FindLayer("empty")), 2) << "a point and its label";
    ASSERT_EQ(again.LayerShapeCount(again.FindLayer("renamed")), 2);
    ASSERT_EQ(again.LayerShapeCount(again.FindLayer("veldor_usershape")), 1);
    const std::vector<std::string> kept = drawing();
    choose("empty.kml", 1);
    P::chooseMenu("Import1");
    EXPECT_EQ(lastMessage(), "Failed to load KML/KMZ file: The file holds no placemark with a point, line or polygon");
    choose("renamed.kmz", 1);
    P::chooseMenu("Import1");
    EXPECT_EQ(lastMessage().rfind("Failed to load KML/KMZ file: The file is not a KMZ archive", 0), 0u) << lastMessage();
    EXPECT_EQ(drawing(), kept);

    DestroyAllWindows();
    setFolderOpener({});
    setPrompts(nullptr);
}
