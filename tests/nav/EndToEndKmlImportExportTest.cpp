// KML import and export through the File menu of the running program, as a surveyor meets them:
// files that give nothing to import say why, and points far from the central meridian (where the
// transverse Mercator series is no longer accurate) are converted as before and said, in the
// message and the events log. The file dialogs and message boxes go through the prompt seam.
#include "MainWindowDriver.h"
#include "NavTestSupport.h"
#include "platform/Paths.h"
#include "tools/FolderOpener.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>

using namespace vsx;
using namespace vsx::test;

namespace {

std::string kml(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\" "
           "xmlns:gx=\"http://www.google.com/kml/ext/2.2\"><Document>" +
           body + "</Document></kml>\n";
}

// With a language: the program installed in a folder of its own, with the shipped language file
// in its Languages folder, while it runs.
struct InstalledLanguages {
    explicit InstalledLanguages(const char* language)
    {
        if (!language) return;
        std::filesystem::create_directory(folder.filePath("Languages").toStdString());
        std::filesystem::copy_file(std::string(VSX_SOURCE_DIR) + "/languages/tr.json",
                                   folder.filePath("Languages/tr.json").toStdString());
        setProgramFolder(folder.path().toStdString() + "/");
    }
    ~InstalledLanguages() { setProgramFolder({}); }
    QTemporaryDir folder;
};

struct Program : InstalledLanguages, MapProgram {
    // In English, or in the language the settings name.
    explicit Program(const char* language = nullptr)
        : InstalledLanguages(language), MapProgram([language](IniFile& ini) {
              writeLocalGridSettings(ini);
              if (language) ini.writeString("SETTINGS", "Language", language);
          })
    {
    }

    // Chooses the file in the dialog File > Import... (or Export...) opens, as the filter row says.
    void run(const char* item, const std::string& file, int filterRow)
    {
        const std::size_t before = prompts.entries.size();
        prompts.files = {{QString::fromStdString(home.path(file)), filterRow}};
        chooseMenu(item);
        EXPECT_TRUE(QTest::qWaitFor([&] { return prompts.files.empty(); }, 5000)) << item << " asked for no file";
        shown = prompts.entries.size() > before ? prompts.entries.back().text.toStdString() : std::string();
    }

    std::string shown;  // the message the last command showed, or empty
};

} // namespace

TEST(EndToEndKmlImportExport, FilesWithNothingToImportSayWhy)
{
    Program p;
    const struct {
        const char* file;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"empty.kml", kml(""), "The file holds no placemark with a point, line or polygon"},
        {"run3.kml",
         kml("<Placemark><name>Run 3</name><gx:Track><when>2024-05-01T10:00:00Z</when><gx:coord>28.9 41.0 0</gx:coord>"
             "</gx:Track></Placemark>"),
         "The file holds no placemark with a point, line or polygon (skipped: 1 track)"},
        {"photo.kml", std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0\x01\x01", 14),
         "The file is not a KML document: it is not XML text"},
    };
    for (const auto& c : cases) {
        p.home.writeFile(c.file, c.bytes);
        p.run("Import1", c.file, 1);
        EXPECT_EQ(p.shown, std::string("Failed to load KML/KMZ file: ") + c.reason) << c.file;
    }
    EXPECT_EQ(p.model().FindLayer("empty"), -1) << "a refused file makes no layer";
}

// Central meridian 27° E: a point 1° away, one 45° away (at 72° E) and a line whose second vertex
// lies 6° away. Both far coordinates are counted on import; the export converts the two points,
// the line's vertices and the three names back and counts the three positions beyond the limit.
TEST(EndToEndKmlImportExport, PositionsFarFromTheCentralMeridianAreConvertedAndSaid)
{
    Program p;
    setFolderOpener([](const std::string&) {});
    p.home.writeFile("wide.kml", kml("<Placemark><name>near</name><Point><coordinates>28,41</coordinates></Point>"
                                     "</Placemark><Placemark><name>far</name><Point><coordinates>72,41</coordinates>"
                                     "</Point></Placemark><Placemark><name>edge</name><LineString><coordinates>"
                                     "27.5,41 33,41</coordinates></LineString></Placemark>"));
    p.run("Import1", "wide.kml", 1);
    const std::string note = "2 coordinates lie more than 4.5° of longitude from the central meridian, where the grid "
                             "conversion is no longer accurate";
    EXPECT_EQ(p.shown, note);
    EXPECT_NE(p.events().find("Imported KML/KMZ: " + p.home.path("wide.kml") + " to layer: wide (" + note + ")"),
              std::string::npos)
        << p.events();
    EXPECT_EQ(p.layerCount("wide"), 6) << "two points, the line and three names, converted as ever";

    p.run("Export1", "wide-out.kml", 1);
    EXPECT_EQ(p.shown, "Exported: 3 tracks, 0 depth points to " + p.home.path("wide-out.kml") +
                           " (3 positions lie more than 4.5° of longitude from the central meridian, where the grid "
                           "conversion is no longer accurate)");
    EXPECT_NE(p.events().find(p.shown), std::string::npos);

    // Near the meridian nothing of the kind is said.
    p.home.writeFile("harbour.kml", kml("<Placemark><name>buoy</name><Point><coordinates>27.2,41</coordinates></Point>"
                                        "</Placemark>"));
    p.run("Import1", "harbour.kml", 1);
    EXPECT_EQ(p.shown, "");
    setFolderOpener({});
}

// Points beside a track and a multi-track, and a polygon with a hole: the points, the polygon's
// outline and the names are imported, and the message (in the interface's language) and the
// events-log line say what was left out beside what was imported.
TEST(EndToEndKmlImportExport, WhatWasLeftOutIsSaidBesideWhatWasImported)
{
    const struct {
        const char* language;
        const char* shown;
    } languages[] = {
        {nullptr, "Imported to layer basin: 2 point(s), 1 line(s) (left out: 3 tracks, 1 inner polygon ring)"},
        {"tr", "basin katmanına aktarıldı: 2 nokta, 1 çizgi (dışarıda bırakılanlar: 3 iz, 1 alan iç halkası)"},
    };
    for (const auto& l : languages) {
        Program p(l.language);
        p.home.writeFile(
            "basin.kml",
            kml("<Placemark><name>buoy</name><Point><coordinates>27.2,41</coordinates></Point></Placemark>"
                "<Placemark><Point><coordinates>27.21,41.01</coordinates></Point></Placemark>"
                "<Placemark><name>Run 3</name><gx:Track><when>2024-05-01T10:00:00Z</when><gx:coord>27.2 41.0 0"
                "</gx:coord></gx:Track></Placemark><Placemark><name>Run 4</name><gx:MultiTrack><gx:Track><gx:coord>"
                "27.2 41.0 0</gx:coord></gx:Track><gx:Track><gx:coord>27.3 41.1 0</gx:coord></gx:Track></gx:MultiTrack>"
                "</Placemark><Placemark><name>basin</name><Polygon><outerBoundaryIs><LinearRing><coordinates>27.1,40.9 "
                "27.3,40.9 27.3,41.1 27.1,40.9</coordinates></LinearRing></outerBoundaryIs><innerBoundaryIs><LinearRing>"
                "<coordinates>27.15,40.95 27.2,40.95 27.2,41 27.15,40.95</coordinates></LinearRing></innerBoundaryIs>"
                "</Polygon></Placemark>"));
        p.run("Import1", "basin.kml", 1);
        EXPECT_EQ(p.shown, l.shown);
        EXPECT_NE(p.events().find("Imported KML/KMZ: " + p.home.path("basin.kml") +
                                  " to layer: basin (left out: 3 tracks, 1 inner polygon ring)"),
                  std::string::npos)
            << p.events();
        EXPECT_EQ(p.layerCount("basin"), 5) << "two points, the outline and the names buoy and basin";
    }
}
