// The KML/KMZ reader: the placemarks, geometries and names it finds in documents as tools and
// people write them, the coordinate tuples it keeps, the encodings it reads, and KMZ archives,
// hostile ones included (built here, byte by byte where a tool would refuse to write them).
#include "nav/KmlReader.h"
#include "nav/KmlText.h"
#include "nav/KmzArchive.h"

#include "support/PeerPrograms.h"
#include "support/TempHome.h"

#include <QString>
#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <fstream>

using namespace vsx;

namespace {

std::string kml(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Document>" + body +
           "</Document></kml>\n";
}

// "kind:count" per geometry of each placemark, "name|kinds" per placemark.
std::vector<std::string> summary(const KmlReader& r)
{
    std::vector<std::string> out;
    for (const KmlPlacemark& p : r.Placemarks) {
        std::string s = p.Name + "|";
        for (const KmlGeometry& g : p.Geometries) s += std::to_string(g.Kind) + ":" + std::to_string(g.Coordinates.size()) + " ";
        out.push_back(s);
    }
    return out;
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

// A ZIP file with the given entries (name, content), deflated.
std::string makeZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries)
{
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    EXPECT_NE(z, nullptr);
    for (const auto& [name, content] : entries) {
        zip_source_t* s = zip_source_buffer(z, content.data(), content.size(), 0);
        const zip_int64_t i = zip_file_add(z, name.c_str(), s, ZIP_FL_ENC_UTF_8);
        EXPECT_GE(i, 0) << name;
        zip_set_file_compression(z, zip_uint64_t(i), ZIP_CM_DEFLATE, 0);
    }
    EXPECT_EQ(zip_close(z), 0);
    return readBytes(path);
}

void put32(std::string& b, std::size_t at, std::uint32_t v)
{
    for (int k = 0; k < 4; ++k) b[at + std::size_t(k)] = char((v >> (8 * k)) & 0xFF);
}

// Offsets of the local header and the central directory record of a one-entry archive.
std::pair<std::size_t, std::size_t> headers(const std::string& zip)
{
    return {zip.find("PK\x03\x04"), zip.find("PK\x01\x02")};
}

const std::string kOnePoint = kml("<Placemark><name>P</name><Point><coordinates>28.9,41.0</coordinates></Point></Placemark>");

} // namespace

TEST(KmlReader, FindsPlacemarksAsToolsAndPeopleWriteThem)
{
    struct Case {
        const char* what;
        std::string body;
        std::vector<std::string> expected;
    } cases[] = {
        {"prefix, attributes, entities",
         "<kml:Placemark id=\"p1\"><kml:name>A&amp;B &lt;1&gt; &#x15F;&#351;</kml:name>"
         "<kml:Point id='x'><kml:coordinates>28.9,41.0,5</kml:coordinates></kml:Point></kml:Placemark>",
         {"A&B <1> şş|0:1 "}},
        {"Points, then LineStrings, then Polygons; MultiGeometry",
         "<Placemark><name>M</name><MultiGeometry><Polygon><outerBoundaryIs><LinearRing><coordinates>1,1 2,1 2,2 1,1"
         "</coordinates></LinearRing></outerBoundaryIs><innerBoundaryIs><LinearRing><coordinates>1.1,1.1 1.2,1.1 1.1,1.1"
         "</coordinates></LinearRing></innerBoundaryIs></Polygon><LineString><coordinates>1,1 2,2</coordinates>"
         "</LineString><Point><coordinates>3,3</coordinates></Point><Point><coordinates>4,4</coordinates></Point>"
         "</MultiGeometry></Placemark>",
         {"M|0:1 0:1 1:2 2:4 "}},
        {"CDATA and comments",
         "<!-- <Placemark><name>ghost</name><Point><coordinates>9,9</coordinates></Point></Placemark> -->"
         "<Placemark><name><![CDATA[a < b & </name> c]]></name><description>x<!-- hidden -->y</description>"
         "<Point><coordinates><!-- 7,7 -->5,5</coordinates></Point></Placemark>",
         {"a < b & </name> c|0:1 "}},
        {"a declared entity is never expanded",
         "<Placemark><name>&boom;</name><Point><coordinates>5,5</coordinates></Point></Placemark>", {"&boom;|0:1 "}},
        {"self-closing and unclosed elements", "<Placemark><Point/><name/><LineString><coordinates>1,1 2,2</coordinates>"
                                               "</LineString><Point><coordinates>3,3</coordinates></Placemark>",
         {"|1:2 "}},
        {"name-only placemarks are not kept", "<Placemark><name>only</name></Placemark>", {}},
        {"a bare & in a hand-made name", "<Placemark><name>R&D dock</name><Point><coordinates>5,5</coordinates></Point>"
                                         "</Placemark>",
         {"R&D dock|0:1 "}},
    };
    for (const Case& c : cases) {
        std::string doc = kml(c.body);
        if (std::string(c.what).find("declared entity") != std::string::npos)
            doc.insert(doc.find("<kml"), "<!DOCTYPE kml [<!ENTITY boom \"BOOM\"> <!ENTITY big SYSTEM \"file:///etc/passwd\">]>\n");
        KmlReader r;
        EXPECT_EQ(r.Parse(doc), !c.expected.empty()) << c.what;
        EXPECT_EQ(summary(r), c.expected) << c.what;
        EXPECT_EQ(r.LastError, c.expected.empty() ? "The file holds no placemark with a point, line or polygon" : "")
            << c.what;
    }
}

// A file that gives nothing to import says why, naming what it held instead; a file that is no
// XML text at all (a binary file renamed .kml) says that.
TEST(KmlReader, SaysWhyAFileGivesNothingToImport)
{
    test::TempHome home;
    const struct {
        const char* what;
        std::string bytes;
        std::string reason;
    } cases[] = {
        {"an empty document", kml(""), "The file holds no placemark with a point, line or polygon"},
        {"a gx:Track only",
         "<kml xmlns=\"http://www.opengis.net/kml/2.2\" xmlns:gx=\"http://www.google.com/kml/ext/2.2\"><Document>"
         "<Placemark><name>Run 3</name><gx:Track><when>2024-05-01T10:00:00Z</when><gx:coord>28.9 41.0 0</gx:coord>"
         "</gx:Track></Placemark></Document></kml>",
         "The file holds no placemark with a point, line or polygon (skipped: 1 track)"},
        {"tracks, overlays and a network link",
         kml("<Placemark><gx:MultiTrack><gx:Track/><gx:Track></gx:Track></gx:MultiTrack></Placemark>"
             "<GroundOverlay><Icon><href>chart.png</href></Icon></GroundOverlay><ScreenOverlay id=\"logo\"/>"
             "<PhotoOverlay></PhotoOverlay><NetworkLink><Link><href>http://example.com/live.kml</href></Link>"
             "</NetworkLink>"),
         "The file holds no placemark with a point, line or polygon (skipped: 2 tracks, 3 overlays, 1 network link)"},
        {"a binary file", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01\0", 20),
         "The file is not a KML document: it is not XML text"},
        {"text that is no markup", "28.9,41.0\n29.0,41.1\n", "The file is not a KML document: it is not XML text"},
    };
    for (const auto& c : cases) {
        const std::string path = home.path("nothing.kml");
        writeBytes(path, c.bytes);
        KmlReader r;
        EXPECT_FALSE(r.LoadFromFile(path)) << c.what;
        EXPECT_EQ(r.LastError, c.reason) << c.what;
        EXPECT_EQ(r.ShownError().toStdString(), c.reason) << c.what << ": shown as it is without a translation";
    }
    // The same inside an archive.
    const std::string kmz = home.path("nothing.kmz");
    makeZip(kmz, {{"doc.kml", kml("<GroundOverlay/>")}});
    KmlReader r;
    EXPECT_FALSE(r.LoadFromFile(kmz));
    EXPECT_EQ(r.LastError, "The file holds no placemark with a point, line or polygon (skipped: 1 overlay)");
}

// Beside the placemarks it reads, the reader counts what it leaves out: tracks (each one of a
// multi-track), the holes of polygons (one written before the outer boundary too, which stays the
// outline), overlays and network links to outside documents; a link to a document the archive
// holds is read, not left out.
TEST(KmlReader, CountsWhatItLeavesOutBesideWhatItReads)
{
    KmlReader r;
    ASSERT_TRUE(r.Parse(kml(
        "<Placemark><name>buoy</name><Point><coordinates>28.9,41.0</coordinates></Point></Placemark>"
        "<Placemark><gx:MultiTrack><gx:Track/><gx:Track><gx:coord>28.9 41.0 0</gx:coord></gx:Track></gx:MultiTrack>"
        "</Placemark><Placemark><name>basin</name><Polygon><innerBoundaryIs><LinearRing><coordinates>28.95,41.05 "
        "28.96,41.05 28.95,41.06 28.95,41.05</coordinates></LinearRing></innerBoundaryIs><outerBoundaryIs><LinearRing>"
        "<coordinates>28.9,41 29,41 29,41.1 28.9,41</coordinates></LinearRing></outerBoundaryIs><innerBoundaryIs>"
        "<LinearRing><coordinates>28.91,41.01 28.92,41.01 28.91,41.02 28.91,41.01</coordinates></LinearRing><LinearRing>"
        "<coordinates>28.97,41.01 28.98,41.01 28.97,41.02 28.97,41.01</coordinates></LinearRing></innerBoundaryIs>"
        "</Polygon></Placemark><ScreenOverlay/>"
        "<NetworkLink><Link><href>http://example.com/live.kml</href></Link></NetworkLink>")));
    ASSERT_EQ(r.Placemarks.size(), 2u);
    const KmlGeometry& outline = r.Placemarks[1].Geometries.at(0);
    ASSERT_EQ(outline.Coordinates.size(), 4u);
    EXPECT_EQ(outline.Coordinates[1].Longitude, 29);
    EXPECT_EQ(KmlLeftOutList(r.Skipped), "2 tracks, 3 inner polygon rings, 1 overlay, 1 network link");
    EXPECT_EQ(KmlLeftOutList({}), "");

    test::TempHome home;
    const std::string kmz = home.path("layers.kmz");
    makeZip(kmz, {{"doc.kml", kml("<NetworkLink><Link><href>layers/depths.kml</href></Link></NetworkLink><NetworkLink>"
                                  "<Link><href>http://example.com/live.kml</href></Link></NetworkLink>")},
                  {"layers/depths.kml", kOnePoint}});
    ASSERT_TRUE(r.LoadFromFile(kmz)) << r.LastError;
    EXPECT_EQ(r.Placemarks.size(), 1u);
    EXPECT_EQ(KmlLeftOutList(r.Skipped), "1 network link");
}

TEST(KmlReader, KeepsOnlyUsableCoordinateTuples)
{
    struct Case {
        const char* text;
        std::vector<std::array<double, 3>> lonLatAlt;
    } cases[] = {
        {"0,0,0 28.9,41.0", {{28.9, 41.0, 0}}},
        {"28.9,41.0,12.5,7", {{28.9, 41.0, 0}}},
        {"28.9,41.0,12.5", {{28.9, 41.0, 12.5}}},
        {"abc,41 28.9, 41.0 200,41 28,95 nan,1 1,inf", {}},
        {"\r\n\t 1,2\r\n3,4\t\t5,6   +7,-8 ", {{1, 2, 0}, {3, 4, 0}, {5, 6, 0}, {7, -8, 0}}},
        {"1e1,2.5E-1", {{10, 0.25, 0}}},
    };
    for (const Case& c : cases) {
        std::vector<KmlCoordinate> got;
        ParseKmlCoordinates(c.text, got);
        ASSERT_EQ(got.size(), c.lonLatAlt.size()) << c.text;
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].Longitude, c.lonLatAlt[i][0]) << c.text;
            EXPECT_EQ(got[i].Latitude, c.lonLatAlt[i][1]) << c.text;
            EXPECT_EQ(got[i].Altitude, c.lonLatAlt[i][2]) << c.text;
        }
    }
}

TEST(KmlReader, ReadsTheDocumentsEncoding)
{
    const std::string name = "\xC5\x9E" "ile \xC4\xB0skele";  // "Şile İskele"
    auto doc = [&](const std::string& declaration, const std::string& n) {
        return "<?xml version=\"1.0\"" + declaration + "?><kml><Placemark><name>" + n +
               "</name><Point><coordinates>29,41</coordinates></Point></Placemark></kml>";
    };
    const std::string plain = doc("", name);
    // The same document in UTF-16 with a byte-order mark, both byte orders.
    auto utf16 = [&](bool big) {
        std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t u : QString::fromStdString(plain).toStdU16String()) {
            const char hi = char(u >> 8), lo = char(u & 0xFF);
            out += big ? std::string{hi, lo} : std::string{lo, hi};
        }
        return out;
    };
    const std::string le = utf16(false), be = utf16(true);

    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"UTF-8 without a byte-order mark", plain},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + plain},
        {"UTF-16 little-endian", le},
        {"UTF-16 big-endian", be},
        {"declared windows-1254", doc(" encoding=\"windows-1254\"", "\xDE" "ile \xDD" "skele")},
        {"declared ISO-8859-9", doc(" encoding='ISO-8859-9'", "\xDE" "ile \xDD" "skele")},
    };
    for (const Case& c : cases) {
        KmlReader r;
        ASSERT_TRUE(r.Parse(c.bytes)) << c.what << ": " << r.LastError;
        EXPECT_EQ(r.Placemarks.at(0).Name, name) << c.what;
    }
    KmlReader r;
    EXPECT_FALSE(r.Parse(doc(" encoding=\"x-no-such-code\"", "n")));
    EXPECT_EQ(r.LastError, "Unsupported text encoding: x-no-such-code");
    EXPECT_FALSE(r.Parse(" \r\n"));
    EXPECT_EQ(r.LastError, "Empty KML content");
}

TEST(KmlReader, ProjectsEachCoordinateOnceAndLeavesOutFailures)
{
    KmlReader r;
    int calls = 0;
    r.ProjectionCallback = [&](double lat, double lon, double& x, double& y) {
        ++calls;
        if (lon > 100) return false;
        x = lon * 1000;
        y = lat * 1000;
        return true;
    };
    const std::string doc = kml("<Placemark><name>L</name><LineString><coordinates>1,2 150,3 4,5</coordinates>"
                                "</LineString><Point><coordinates>150,1</coordinates></Point></Placemark>"
                                "<Placemark><Point><coordinates>7,8</coordinates></Point></Placemark>");
    ASSERT_TRUE(r.LoadFromBytes(doc, false));
    EXPECT_EQ(calls, 5) << "one projection per coordinate";
    EXPECT_EQ(r.FailedProjections(), 2);
    ASSERT_EQ(r.GetProjectedPoints().size(), 1u);
    EXPECT_EQ(r.GetProjectedPoints()[0].X, 7000);
    ASSERT_EQ(r.GetProjectedLines().size(), 1u);
    EXPECT_EQ(r.GetProjectedLines()[0].size(), 2u) << "the unconverted vertex is left out of the line";
    EXPECT_EQ(r.GetPoints().size(), 2u);
    EXPECT_EQ(r.GetLines().size(), 1u);
}

TEST(KmlReader, ReadsKmzArchivesInMemory)
{
    test::TempHome home;
    const std::string dir = home.path("kmz/");
    std::filesystem::create_directories(dir);
    const std::string other = kml("<Placemark><name>other</name><Point><coordinates>2,2</coordinates></Point></Placemark>");
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> entries;
        std::string expectedName;  // empty: "No KML file found in KMZ archive"
    } cases[] = {
        {"doc.kml wins over an earlier .kml", {{"a.kml", other}, {"files/x.png", "png"}, {"doc.kml", kOnePoint}}, "P"},
        {"upper-case DOC.KML", {{"DOC.KML", kOnePoint}}, "P"},
        {"the first top-level .kml", {{"readme.txt", "x"}, {"other.kml", other}, {"z.kml", kOnePoint}}, "other"},
        {"only in a sub-folder", {{"sub/doc.kml", kOnePoint}}, ""},
        {"zip-slip and absolute names are never taken",
         {{"../doc.kml", kOnePoint}, {"/doc.kml", kOnePoint}, {"C:doc.kml", kOnePoint}, {"..\\doc.kml", kOnePoint}},
         ""},
    };
    for (const Case& c : cases) {
        const std::string path = dir + "case.kmz";
        makeZip(path, c.entries);
        const auto before = std::distance(std::filesystem::directory_iterator(dir), {});
        KmlReader r;
        const bool ok = r.LoadFromFile(path);
        EXPECT_EQ(ok, !c.expectedName.empty()) << c.what;
        if (ok) EXPECT_EQ(r.Placemarks.at(0).Name, c.expectedName) << c.what;
        else EXPECT_EQ(r.LastError, "No KML file found in KMZ archive") << c.what;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), before) << c.what << ": nothing written";
    }
    EXPECT_TRUE(IsSafeKmzEntryName("doc.kml"));
    for (const char* bad : {"../x.kml", "a/../x.kml", "/x.kml", "\\x.kml", "D:x.kml", ""})
        EXPECT_FALSE(IsSafeKmzEntryName(bad)) << bad;
}

TEST(KmlReader, RefusesHostileAndDamagedArchivesClearly)
{
    test::TempHome home;
    const std::string dir = home.path("hostile/");
    std::filesystem::create_directories(dir);
    const std::string good = makeZip(dir + "good.kmz", {{"doc.kml", kOnePoint}});

    // 4 MB of blanks inflate from a few kilobytes; the headers claim 100 bytes.
    std::string big = kOnePoint;
    big.insert(big.find("<kml"), std::string(4 << 20, ' '));
    std::string lying = makeZip(dir + "lying.kmz", {{"doc.kml", big}});
    {
        const auto [local, central] = headers(lying);
        put32(lying, local + 22, 100);
        put32(lying, central + 24, 100);
    }
    std::string encrypted = good;
    {
        const auto [local, central] = headers(encrypted);
        encrypted[local + 6] = char(encrypted[local + 6] | 1);
        encrypted[central + 8] = char(encrypted[central + 8] | 1);
    }
    const std::string truncated = good.substr(0, good.size() / 2);
    const std::string text = kOnePoint;

    struct Case {
        const char* what;
        std::string bytes;
        std::size_t cap;
        std::string error;  // prefix
    } cases[] = {
        {"a lying size header meets the cap", lying, 1 << 20, "The KML file in the KMZ archive is larger than 1 MB"},
        {"an encrypted entry", encrypted, KmlSizeCap, "The KML file in the KMZ archive is encrypted"},
        {"a truncated archive", truncated, KmlSizeCap, "The file is not a KMZ archive"},
        {"a text file renamed .kmz", text, KmlSizeCap, "The file is not a KMZ archive"},
        {"an empty file", "", KmlSizeCap, "The file is not a KMZ archive"},
    };
    for (const Case& c : cases) {
        const std::string path = dir + "case.kmz";
        writeBytes(path, c.bytes);
        const auto before = std::distance(std::filesystem::directory_iterator(dir), {});
        const KmzReadResult fromFile = ReadKmlFromKmzFile(path, c.cap);
        const KmzReadResult fromMemory = ReadKmlFromKmzBytes(c.bytes, c.cap);
        for (const KmzReadResult& r : {fromFile, fromMemory}) {
            EXPECT_FALSE(r.ok) << c.what;
            EXPECT_EQ(r.error.substr(0, c.error.size()), c.error) << c.what << ": " << r.error;
            EXPECT_TRUE(r.kml.empty()) << c.what;
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), before) << c.what << ": nothing written";
    }
    // Under the program's own cap the same archive reads whole: the 100 bytes of its headers are
    // not what the reading goes by.
    KmlReader r;
    writeBytes(dir + "lying.kmz", lying);
    ASSERT_TRUE(r.LoadFromFile(dir + "lying.kmz")) << r.LastError;
    EXPECT_EQ(r.Placemarks.at(0).Name, "P");
    EXPECT_FALSE(r.LoadFromFile(dir + "missing.kmz"));
    EXPECT_EQ(r.LastError, "File not found: " + dir + "missing.kmz");
}
