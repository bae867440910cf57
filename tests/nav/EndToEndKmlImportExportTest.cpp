// KML import and export through the File menu of the running program, as a surveyor meets them:
// files that give nothing to import say why, and points far from the central meridian (where the
// transverse Mercator series is no longer accurate) are converted as before and said, in the
// message and the events log. The file dialogs and message boxes go through the prompt seam.
#include "MainWindowDriver.h"
#include "NavTestSupport.h"
#include "tools/FolderOpener.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace vsx;
using namespace vsx::test;

namespace {

std::string kml(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\" "
           "xmlns:gx=\"http://www.google.com/kml/ext/2.2\"><Document>" +
           body + "</Document></kml>\n";
}

struct Program : MapProgram {
    Program() : MapProgram([](IniFile& ini) { writeLocalGridSettings(ini); }) {}

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
