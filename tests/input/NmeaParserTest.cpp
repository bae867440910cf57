// Line cutting and the receiver's own reading of GGA, RMC and VTG, without a port.
#include "input/NmeaLineCutter.h"
#include "input/NmeaParser.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace vsx;

namespace {

std::vector<std::string> cut(NmeaLineCutter& cutter, const std::vector<std::string>& chunks)
{
    std::vector<std::string> lines;
    std::string_view line;
    for (const std::string& chunk : chunks) {
        cutter.append(chunk);
        while (cutter.nextLine(line)) lines.emplace_back(line);
    }
    return lines;
}

struct Events : NmeaParser::Listener {
    bool positionChanged(double lat, double lon, double alt) override
    {
        positions.push_back({lat, lon, alt});
        return true;
    }
    bool speedChanged(double kmh) override
    {
        speeds.push_back(kmh);
        return true;
    }
    std::vector<std::vector<double>> positions;
    std::vector<double> speeds;
};

} // namespace

TEST(NmeaLineCutter, CutsTrimsAndSkipsEmptyLines)
{
    struct Case {
        const char* name;
        std::vector<std::string> chunks;
        std::vector<std::string> lines;
    };
    const std::string nul("$GPHDT,1.5,T*00\0\0\r\n$GPHDT,2.5,T*00\r\n", 37);
    const std::string gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
    const Case cases[] = {
        {"only CR LF", {"\r\n", "\r\n\r\n"}, {}},
        {"blanks and CR LF around a line", {"  $GPVTG,,T,,M,0.1,N,0.2,K*00\r\n"}, {"$GPVTG,,T,,M,0.1,N,0.2,K*00"}},
        {"LF alone ends a line", {"$A\n$B\n"}, {"$A", "$B"}},
        {"a line split across reads", {"$GPGGA,1234", "56.00,48", "07.038,N\r", "\n$X"}, {"$GPGGA,123456.00,4807.038,N"}},
        {"zero bytes are dropped, the rest kept", {nul}, {"$GPHDT,1.5,T*00", "$GPHDT,2.5,T*00"}},
        {"8-bit text at the end survives the trim", {"$PXX,\xc7\xe7\r\n"}, {"$PXX,\xc7\xe7"}},
        {"control bytes at both ends go", {"\x01\x1f$A\x7f\x02\r\n"}, {"$A\x7f"}},
        {"a line of any length", {std::string(300, 'x') + "\n"}, {std::string(300, 'x')}},
        // A sentence cut short with a whole one glued behind it: both are handed out.
        {"a whole sentence behind a cut one", {"$GPGSV,3,3,12,06,08,270," + gga + "\r\n$GPHDT,1,T\r\n"},
         {"$GPGSV,3,3,12,06,08,270,", gga, "$GPHDT,1,T"}},
        {"split across reads", {"$GPGSV,3,3,12,06,08,270,$GPGGA,12", gga.substr(9) + "\r", "\n"},
         {"$GPGSV,3,3,12,06,08,270,", gga}},
        {"two cut sentences before it", {"$GPGSV,3,3,$GPRMC,1,A, " + gga + "\n"}, {"$GPGSV,3,3,$GPRMC,1,A,", gga}},
        // Two '$' parts that make one line, by design or by checksum, stay one line.
        {"a sounder's two-part line", {"$PVLXDHI,23.45,$PVLXDLO,24.10\n"}, {"$PVLXDHI,23.45,$PVLXDLO,24.10"}},
        {"a two-part line with its checksum", {"$PVLXDHI,23.45,$PVLXDLO,24.10*0D\n"}, {"$PVLXDHI,23.45,$PVLXDLO,24.10*0D"}},
        {"a tail with a wrong checksum", {"$GPGSV,3,3,$GPHDT,1,T*00\n"}, {"$GPGSV,3,3,$GPHDT,1,T*00"}},
        {"not a sentence at the start", {"xx" + gga + "\n"}, {"xx" + gga}},
    };
    for (const Case& c : cases) {
        NmeaLineCutter cutter;
        EXPECT_EQ(cut(cutter, c.chunks), c.lines) << c.name;
    }
}

TEST(NmeaLineCutter, TextWithoutLineEndsStaysBounded)
{
    NmeaLineCutter cutter;
    std::string_view line;
    std::string tail;
    for (int i = 0; i < 8; ++i) {  // 8 KB without "\n", in the sizes the port delivers
        std::string chunk(1023, char('a' + i));
        cutter.append(chunk);
        EXPECT_FALSE(cutter.nextLine(line));
        EXPECT_LE(cutter.pendingSize(), NmeaLineCutter::kPendingLimit);
        tail += chunk;
        if (tail.size() > 2048) tail.erase(0, tail.size() - 2048);
    }
    EXPECT_EQ(cutter.pendingSize(), 2048u);
    cutter.append("END\n$GPHDT,1,T\n");
    ASSERT_TRUE(cutter.nextLine(line));
    EXPECT_EQ(std::string(line), tail + "END");  // the last 2048 bytes and what followed
    ASSERT_TRUE(cutter.nextLine(line));
    EXPECT_EQ(line, "$GPHDT,1,T");
}

TEST(NmeaChecksum, PresentAbsentAndWrong)
{
    const std::pair<const char*, NmeaChecksum> cases[] = {
        {"$GNGGA,132819.60,4134.49795459,N,09345.03431408,W,2,10,0.9,278.161,M,-31.442,M,6.6,0133*6A", NmeaChecksum::Valid},
        {"$GPHDT,,T*1b", NmeaChecksum::Valid},
        {"$GPHDT,,T*1C", NmeaChecksum::Invalid},
        {"$GPHDT,,T*1", NmeaChecksum::Invalid},
        {"$GPHDT,,T*1BX", NmeaChecksum::Invalid},
        {"$GPHDT,,T*", NmeaChecksum::Invalid},
        {"$GPHDT,,T", NmeaChecksum::Absent},
        {"!AIVDM,1,1,,A,13aG?P0P00PD;88MD5MTDww@2<0L,0*71", NmeaChecksum::Valid},
        {"HDT,,T*1B", NmeaChecksum::Absent},
    };
    for (auto [text, want] : cases) EXPECT_EQ(nmeaChecksum(text), want) << text;
}

// A GGA without a checksum is used only when it is whole and each field is well formed; a cut one
// (a cable glitch, noise glued on) would give an antenna height nobody measured. A checksum, when
// there is one, decides alone.
TEST(NmeaChecksum, GgaWithoutChecksumIsUsedOnlyWhole)
{
    const std::pair<const char*, bool> cases[] = {
        {"$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,545.4,M,46.9,M,,", true},
        {"$GPGGA,123519.25,4807.038,S,01131.000,W,4,08,0.9,-5.4,M,-46.9,M,1.2,0133", true},
        {"$GPGGA,235959.87,,,,,0,00,99.9,,,,,,", true},   // no fix: empty fields where a receiver leaves them
        {"$GPGGA,,,,,,,,,,,,,,", true},
        {"$GPGGA,123519,9500.000,N,01131.000,E,99,08,0.9,545.4,M,46.9,M,,", true},  // whole; its values are ReadGgaSentence's to refuse
        {"$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,27", false},               // cut after the altitude's first digits
        {"$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,545.4,M,46", false},
        {"$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,2$GPRMC", false},          // glued to what followed
        {"$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,5$4.4,M,46.9,M,,", false},
        {"$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,545.4,M,46.9,M,,,", false},  // a field too many
        {"$GPGGA,1235,4807.038,N,01131.000,E,4,08,0.9,545.4,M,46.9,M,,", false},
        {"$GPGGA,123519,4807.038,,01131.000,E,4,08,0.9,545.4,M,46.9,M,,", false},  // latitude without N or S
        {"$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,545.4,F,46.9,M,,", false},
        {"$GPGGA,123519,4807.038,N,01131.000,E,4,8x,0.9,545.4,M,46.9,M,,", false},
        {"$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,27*50", true},             // short, but its checksum vouches for it
        {"$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,545.4,M,46.9,M,,*43", false},
        {"$GPRMC,1,A,4134.49,N,09345.03", true},                                    // other types as they come
    };
    for (auto [text, usable] : cases) EXPECT_EQ(nmeaSentenceUsable(text), usable) << text;
}

TEST(NmeaParser, DegreesFromNmeaText)
{
    struct Case {
        const char* value;
        const char* hemisphere;
        double degrees;
    };
    const Case cases[] = {
        {"4807.038", "N", 48 + 7.038 / 60},   {"4807.038", "S", -(48 + 7.038 / 60)},
        {"01131.000", "E", 11 + 31.0 / 60},   {"01131.000", "W", -(11 + 31.0 / 60)},
        {"1.5", "N", 0},                      {"123.4", "N", 12 + 3.4 / 60},
        {"", "N", 0},                         {"4807", "N", 0},
        {"4807.038", "", 48 + 7.038 / 60},    {"4134.49795459", "N", 41 + 34.49795459 / 60},
        {"48x7.038", "N", 48},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(NmeaToDegrees(c.value, c.hemisphere), c.degrees) << c.value << c.hemisphere;
}

TEST(NmeaParser, GgaGivesPositionAltitudeFixAndSatellitesOncePerChange)
{
    NmeaParser p;
    Events e;
    p.ParseSentence("$GNGGA,132819.60,4807.038,N,01131.000,E,4,12,0.9,278.161,M,-31.442,M,6.6,0133*6A", e);
    const NmeaFix& f = p.fix();
    EXPECT_DOUBLE_EQ(f.latitude, 48 + 7.038 / 60);
    EXPECT_DOUBLE_EQ(f.longitude, 11 + 31.0 / 60);
    EXPECT_DOUBLE_EQ(f.altitude, 278.161);
    EXPECT_EQ(f.fixQuality, 4);
    EXPECT_EQ(f.satellites, 12);
    ASSERT_EQ(e.positions.size(), 1u);

    // The same fields from another talker: the same values, no event.
    p.ParseSentence("$GPGGA,132819.60,4807.038,N,01131.000,E,4,12,0.9,278.161,M,-31.442,M,6.6,0133", e);
    EXPECT_EQ(e.positions.size(), 1u);
    // Empty altitude and satellites keep theirs; the event comes for the move alone.
    p.ParseSentence("$GPGGA,132820.00,4807.040,N,01131.000,E,4,,0.9,,M,,M,,", e);
    ASSERT_EQ(e.positions.size(), 2u);
    EXPECT_DOUBLE_EQ(e.positions[1][2], 278.161);
    EXPECT_EQ(f.fixQuality, 4);
    EXPECT_EQ(f.satellites, 12);
    p.ParseSentence("$GPGGA,132821.00,4807.040,N,01131.000,E,1,08,0.9,,M,,M,,", e);
    EXPECT_EQ(e.positions.size(), 2u);
    EXPECT_EQ(f.fixQuality, 1);
    // No fix: the fix quality drops to 0; no position is reported, the last one is kept.
    p.ParseSentence("$GPGGA,,,,,,0,,,,M,,M,,*66", e);
    EXPECT_EQ(e.positions.size(), 2u);
    EXPECT_DOUBLE_EQ(f.latitude, 48 + 7.040 / 60);
    EXPECT_EQ(f.fixQuality, 0);
    p.ParseSentence("$GPGGA,132822.00,4807.050,N,01131.000,E,0,08,0.9,,M,,M,,", e);
    EXPECT_EQ(e.positions.size(), 2u) << "the position of a sentence without a fix is not taken";
    // Too few fields, unknown types, short lines: nothing.
    p.ParseSentence("$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9", e);
    p.ParseSentence("$GPZDA,193913.00,07,09,2018,00,00*63", e);
    p.ParseSentence("$GPGS", e);
    EXPECT_EQ(e.positions.size(), 2u);
    EXPECT_EQ(p.rejectedGga(), 1) << "the short GGA";
}

// Hostile GGA values give no position and leave every value as it was; each is counted.
TEST(NmeaParser, GgaWithImpossibleValuesGivesNoPosition)
{
    struct Row {
        const char* fields;  // from the time field on
        GgaKind kind;
        const char* problem;
    };
    const Row rows[] = {
        {"120000.00,4100.000,N,20000.000,E,4,12,0.8,45.5,M,20.1,M,,", GgaKind::Rejected, "longitude"},
        {"120000.00,9500.000,N,03300.000,E,4,12,0.8,45.5,M,20.1,M,,", GgaKind::Rejected, "latitude"},
        {"120000.00,4100.000,N,03300.000,E,4,12,0.8,1e9,M,20.1,M,,", GgaKind::Rejected, "altitude"},
        {"120000.00,4100.000,N,03300.000,E,4,12,0.8,-100000.1,M,20.1,M,,", GgaKind::Rejected, "altitude"},
        {"120000.00,4100.000,N,03300.000,E,4,12,0.8,45.5,M,1e9,M,,", GgaKind::Rejected, "geoid separation"},
        {"120000.00,4100.000,N,03300.000,E,99,12,0.8,45.5,M,20.1,M,,", GgaKind::Rejected, "fix quality"},
        {"120000.00,4100.000,N,03300.000,E,9,12,0.8,45.5,M,20.1,M,,", GgaKind::Rejected, "fix quality"},
        {"120000.00,4100.000,N,03300.000,E,-1,12,0.8,45.5,M,20.1,M,,", GgaKind::Rejected, "fix quality"},
        {"120000.00,NaN,N,03300.000,E,4,12,0.8,45.5,M,20.1,M,,", GgaKind::Rejected, "latitude"},
        {"120000.00,4100.000,N,03300.000,E,4,12,0.8,NaN,M,20.1,M,,", GgaKind::Rejected, "altitude"},
        {"120000.00,4100.000,N,03300.000,E,4,12,0.8,inf,M,20.1,M,,", GgaKind::Rejected, "altitude"},
        {"120000.00,,N,03300.000,E,4,12,0.8,45.5,M,20.1,M,,", GgaKind::Rejected, "latitude"},
        {"120000.00,4100.000,N,,E,4,12,0.8,45.5,M,20.1,M,,", GgaKind::Rejected, "longitude"},
        {"120000.00,4100.000,N,03300.000,E,,12,0.8,45.5,M,20.1,M,,", GgaKind::Rejected, "fix quality"},
        {"120000.00,,,,,4,12,0.8,45.5,M,20.1,M,,", GgaKind::Rejected, "position fields"},
        {"120000.00,4160.000,N,03300.000,E,4,12,0.8,45.5,M,20.1,M,,", GgaKind::Rejected, "latitude"},
        {"120000.00,4100.000,X,03300.000,E,4,12,0.8,45.5,M,20.1,M,,", GgaKind::Rejected, "latitude"},
        {"120000.00,4100.000,N,03300.000,N,4,12,0.8,45.5,M,20.1,M,,", GgaKind::Rejected, "longitude"},
        {"120000.00,41O0.000,N,03300.000,E,4,12,0.8,45.5,M,20.1,M,,", GgaKind::Rejected, "latitude"},
        {"120000.00,-4100.000,N,03300.000,E,4,12,0.8,45.5,M,20.1,M,,", GgaKind::Rejected, "latitude"},
        {"120000.00,4100.000,N,03300.000", GgaKind::Rejected, "field count"},
        // The limits themselves, an empty altitude and the sentences of a receiver without a fix.
        {"120000.00,9000.000,S,18000.000,W,8,12,0.8,-100000,M,20.1,M,,", GgaKind::Position, ""},
        {"120000.00,4100.000,N,03300.000,E,1,12,0.8,,M,,M,,", GgaKind::Position, ""},
        {"120000.00,4100.000,N,03300.000,E,0,12,0.8,45.5,M,20.1,M,,", GgaKind::NoFix, ""},
        {"120000.00,,,,,0,00,99.9,,,,,,", GgaKind::NoFix, ""},
        {",,,,,,,,,,,,,", GgaKind::NoFix, ""},
    };
    for (const Row& r : rows) {
        const std::string line = std::string("$GPGGA,") + r.fields;
        const GgaSentence g = ReadGgaSentence(line);
        EXPECT_EQ(int(g.kind), int(r.kind)) << line;
        EXPECT_STREQ(g.problem, r.problem) << line;

        // Through the receiver's parser, after a good fix: only a good sentence moves anything.
        NmeaParser p;
        Events e;
        p.ParseSentence("$GPGGA,115959.00,4000.000,N,03200.000,E,4,10,0.8,40.0,M,20.1,M,,", e);
        ASSERT_EQ(e.positions.size(), 1u);
        p.ParseSentence(line, e);
        EXPECT_EQ(e.positions.size(), r.kind == GgaKind::Position ? 2u : 1u) << line;
        EXPECT_EQ(p.rejectedGga(), r.kind == GgaKind::Rejected ? 1 : 0) << line;
        const int quality = r.kind == GgaKind::Rejected ? 4 : r.kind == GgaKind::NoFix ? 0 : g.fixQuality;
        EXPECT_EQ(p.fix().fixQuality, quality) << line;
        if (r.kind != GgaKind::Position) {
            EXPECT_DOUBLE_EQ(p.fix().latitude, 40.0) << line;
        }
        if (r.kind == GgaKind::Rejected) {
            EXPECT_EQ(p.fix().satellites, 10) << line;
        }
    }
    const GgaSentence edge = ReadGgaSentence("$GPGGA,120000.00,9000.000,S,18000.000,W,8,12,0.8,-100000,M,20.1,M,,*00");
    EXPECT_DOUBLE_EQ(edge.latitude, -90);
    EXPECT_DOUBLE_EQ(edge.longitude, -180);
    EXPECT_EQ(edge.altitude, -100000);
    EXPECT_FALSE(ReadGgaSentence("$GPGGA,120000.00,4100.000,N,03300.000,E,1,12,0.8,,M,,M,,").altitude);
}

TEST(NmeaParser, RmcAndVtgGiveSpeedAndCourse)
{
    NmeaParser p;
    Events e;
    const NmeaFix& f = p.fix();
    p.ParseSentence("$GPRMC,132819.60,A,4134.49,N,09345.03,W,10.0,124.888,180320,11.5985,E,D*3F", e);
    ASSERT_EQ(e.speeds.size(), 1u);
    EXPECT_DOUBLE_EQ(e.speeds[0], 18.52);
    EXPECT_DOUBLE_EQ(f.course, 124.888);
    EXPECT_TRUE(e.positions.empty());  // RMC does not move the vessel
    // Exactly 8 fields: the speed only.
    p.ParseSentence("$GPRMC,1,A,4134.49,N,09345.03,W,5.0", e);
    EXPECT_DOUBLE_EQ(f.speed, 9.26);
    EXPECT_DOUBLE_EQ(f.course, 124.888);
    // VTG: course from field 1, km/h from field 7; an unchanged speed raises nothing.
    p.ParseSentence("$GPVTG,54.7,T,034.4,M,005.0,N,9.26,K*48", e);
    EXPECT_DOUBLE_EQ(f.course, 54.7);
    EXPECT_EQ(e.speeds.size(), 2u);
    p.ParseSentence("$GNVTG,,T,,M,,N,12.5,K", e);
    EXPECT_DOUBLE_EQ(f.speed, 12.5);
    EXPECT_DOUBLE_EQ(f.course, 54.7);
    EXPECT_EQ(e.speeds.size(), 3u);
    p.ParseSentence("$GPVTG,,T,,M,,N,,K,N*2C", e);
    EXPECT_EQ(e.speeds.size(), 3u);
    EXPECT_DOUBLE_EQ(f.speed, 12.5);
}

// The handler may close the receiver at the speed event of an RMC; the course of that sentence
// must then not be stored into the closed receiver's values.
TEST(NmeaParser, StopsWhenTheListenerSaysSo)
{
    struct Closing : Events {
        bool speedChanged(double kmh) override
        {
            Events::speedChanged(kmh);
            return false;
        }
    } e;
    NmeaParser p;
    p.ParseSentence("$GPRMC,1,A,4134.49,N,09345.03,W,10.0,124.888,180320", e);
    EXPECT_EQ(e.speeds.size(), 1u);
    EXPECT_EQ(p.fix().course, 0);
}

TEST(NmeaParser, SplitFieldsCountsEmptyFields)
{
    std::vector<std::string_view> f;
    SplitFields("$GPHDT,,T", f);
    EXPECT_EQ(f, (std::vector<std::string_view>{"$GPHDT", "", "T"}));
    SplitFields(",", f);
    EXPECT_EQ(f.size(), 2u);
    SplitFields("", f);
    EXPECT_EQ(f.size(), 1u);
}

// Every sentence type from every talker goes through the one reading and gives the same fix; a
// proprietary address is never taken for a standard type, whatever letters follow the 'P'.
TEST(NmeaParser, TalkerTableReadsEveryTypeAlike)
{
    struct Type {
        const char* body;  // after the talker
        SentenceType type;
        unsigned carried;
    };
    const Type types[] = {
        {"GGA,132819.60,4134.49795459,N,09345.03431408,W,4,10,0.9,278.161,M,-31.442,M,6.6,0133", SentenceType::Gga,
         kFixTime | kFixPosition | kFixQuality | kFixSatellites | kFixHdop | kFixAltitude | kFixGeoidSeparation | kFixAge},
        {"RMC,132819.60,A,4134.49795459,N,09345.03431408,W,0.148,124.888,180320,11.5985,E,D", SentenceType::Rmc,
         kFixSpeed | kFixCourse},
        {"VTG,54.7,T,034.4,M,005.5,N,010.2,K,A", SentenceType::Vtg, kFixSpeed | kFixCourse},
        {"HDT,274.07,T", SentenceType::Hdt, kFixHeading},
        {"ZDA,193913.00,07,09,2018,00,00", SentenceType::Zda, 0},
        {"GSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1", SentenceType::Gsa, 0},
    };
    auto checked = [](const std::string& body) {
        unsigned char sum = 0;
        for (char c : body) sum ^= static_cast<unsigned char>(c);
        char tail[4];
        std::snprintf(tail, sizeof tail, "*%02X", sum);
        return "$" + body + tail;
    };
    const auto now = std::chrono::steady_clock::time_point(std::chrono::seconds(100));
    NmeaParser reference;
    for (const Type& t : types) reference.Read(checked(std::string("GP") + t.body), NmeaChecksum::Valid, now);
    const ReceiverFix& want = reference.published();
    ASSERT_TRUE(want.position.valid && want.heading.valid && want.speed.valid && want.course.valid);
    EXPECT_DOUBLE_EQ(want.speed.value, 5.5) << "the knots field of VTG";
    EXPECT_DOUBLE_EQ(want.age.value, 6.6);
    EXPECT_DOUBLE_EQ(want.hdop.value, 0.9);
    EXPECT_DOUBLE_EQ(want.geoidSeparation.value, -31.442);
    EXPECT_EQ(want.time.value, "132819.60");

    for (const char* talker : {"GP", "GN", "GL", "GA", "GB", "BD", "QZ"}) {
        NmeaParser p;
        for (const Type& t : types) {
            const std::string line = checked(talker + std::string(t.body));
            const SentenceRead& r = p.Read(line, NmeaChecksum::Valid, now);
            EXPECT_EQ(r.address.talker, talker) << line;
            EXPECT_FALSE(r.address.proprietary) << line;
            EXPECT_EQ(int(r.type), int(t.type)) << line;
            EXPECT_EQ(int(r.outcome), int(SentenceRead::Outcome::Read)) << line;
            EXPECT_EQ(r.carried, t.carried) << line;
        }
        const ReceiverFix& f = p.published();
        EXPECT_EQ(f.position.value.latitude, want.position.value.latitude) << talker;
        EXPECT_EQ(f.position.value.longitude, want.position.value.longitude) << talker;
        EXPECT_EQ(f.fixQuality.value, 4) << talker;
        EXPECT_EQ(f.satellites.value, 10) << talker;
        EXPECT_EQ(f.altitude.value, want.altitude.value) << talker;
        EXPECT_EQ(f.speed.value, want.speed.value) << talker;
        EXPECT_EQ(f.course.value, 54.7) << talker << ": VTG came after RMC";
        EXPECT_EQ(f.heading.value, 274.07) << talker;
    }

    // Proprietary addresses: a 'P', the maker's letters and whatever follows are one address,
    // never a talker and a type ("$PGRMC" is no RMC, "$PSTIGGA" no GGA).
    NmeaParser p;
    for (const Type& t : types) {
        for (const std::string maker : {"PGR", "PSTI", "PVLX"}) {
            const std::string line = checked(maker + t.body);
            const SentenceRead& r = p.Read(line, NmeaChecksum::Valid, now);
            EXPECT_TRUE(r.address.proprietary) << line;
            EXPECT_EQ(int(r.type), int(SentenceType::Other)) << line;
            EXPECT_EQ(int(r.outcome), int(SentenceRead::Outcome::NotRead)) << line;
        }
    }
    EXPECT_FALSE(p.published().position.heard || p.published().speed.heard || p.published().heading.heard);

    // Addresses of neither kind are no sentence: a type longer or shorter than three, small
    // letters, a talker with a digit.
    for (const char* address : {"GPGGAX", "GPGG", "gpgga", "G1GGA", "GP", ""}) {
        const std::string line = checked(std::string(address) + ",132819.60,4134.49,N,09345.03,W,4,10,0.9,1,M,1,M,,");
        EXPECT_EQ(int(p.Read(line, NmeaChecksum::Valid, now).type), int(SentenceType::None)) << line;
    }
}

// The one reading puts a line's values into the published fix at once; the last values and the
// events follow only when the line is committed, after the owner has seen it. A sentence with a
// wrong checksum changes nothing; a value left empty keeps the last one, marked as not valid.
TEST(NmeaParser, ReadPublishesTheLineAndCommitFollows)
{
    NmeaParser p;
    Events e;
    const auto t0 = std::chrono::steady_clock::time_point(std::chrono::seconds(50));
    const std::string gga = "$GPGGA,120000.00,4100.000,N,03300.000,E,4,12,0.8,45.5,M,20.1,M,1.2,0001";
    p.Read(gga, NmeaChecksum::Absent, t0);
    EXPECT_TRUE(p.published().position.valid);
    EXPECT_EQ(p.published().position.heard, t0);
    EXPECT_DOUBLE_EQ(p.published().position.value.latitude, 41.0);
    EXPECT_EQ(p.fix().latitude, 0) << "the last values wait for the commit";
    EXPECT_TRUE(e.positions.empty());
    p.Commit(e);
    EXPECT_DOUBLE_EQ(p.fix().latitude, 41.0);
    ASSERT_EQ(e.positions.size(), 1u);

    const auto t1 = t0 + std::chrono::milliseconds(200);
    p.Read("$GPGGA,120000.20,4100.100,N,03300.000,E,4,12,0.8,45.5,M,20.1,M,1.2,0001*00", NmeaChecksum::Invalid, t1);
    EXPECT_EQ(int(p.lastRead().outcome), int(SentenceRead::Outcome::NotRead));
    EXPECT_EQ(int(p.lastRead().type), int(SentenceType::Gga));
    EXPECT_EQ(p.published().position.heard, t0) << "a changed sentence is not heard";
    p.Commit(e);
    EXPECT_EQ(e.positions.size(), 1u);

    // A fix without altitude and age: the position moves, the altitude stays the last one.
    p.Read("$GPGGA,120000.40,4100.200,N,03300.000,E,5,12,0.8,,M,,M,,", NmeaChecksum::Absent, t1);
    p.Commit(e);
    const ReceiverFix& f = p.published();
    EXPECT_FALSE(f.altitude.valid);
    EXPECT_DOUBLE_EQ(f.altitude.value, 45.5);
    EXPECT_EQ(f.altitude.heard, t0);
    EXPECT_FALSE(f.age.valid);
    EXPECT_EQ(f.fixQuality.value, 5);
    ASSERT_EQ(e.positions.size(), 2u);
    EXPECT_DOUBLE_EQ(e.positions[1][2], 45.5);

    // No fix: the position is not valid (kept as the last known one), the GGA is heard.
    p.Read("$GPGGA,120000.60,,,,,0,00,99.9,,,,,,", NmeaChecksum::Absent, t1);
    EXPECT_FALSE(f.position.valid);
    EXPECT_TRUE(p.lastRead().emptyGga);
    EXPECT_EQ(f.fixQuality.value, 0);
    EXPECT_FALSE(f.current.At(t1));
    EXPECT_FALSE(f.current.SilentAt(t1, std::chrono::seconds(1)));

    // A new run forgets what was heard and keeps the last values known.
    p.forget();
    EXPECT_FALSE(f.position.heard || f.fixQuality.heard || f.current.FixTime());
    EXPECT_TRUE(f.current.SilentAt(t1, std::chrono::seconds(10)));
    EXPECT_DOUBLE_EQ(f.position.value.latitude, 41.0 + 0.2 / 60);
}
