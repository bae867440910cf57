// The profile pipeline without a window: extraction, per-metre means, the SV column, the search
// format from a header, the column lookup and the table files.
#include "platform/ScanFormat.h"
#include "tools/SoundVelocityColumn.h"
#include "tools/SoundVelocityProfile.h"
#include "tools/SvpFiles.h"

#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>

using namespace vsx;

namespace {

// ---- An independent computation: exact decimal arithmetic on integers ------------------------

using Int = __int128;

// num / den rounded half away from zero to a whole number.
Int roundHalfAway(Int num, Int den)
{
    if (den < 0) num = -num, den = -den;
    const Int a = num < 0 ? -num : num;
    const Int r = (2 * a + den) / (2 * den);
    return num < 0 ? -r : r;
}

std::string decimal(Int units, int decimals)
{
    const bool negative = units < 0;
    Int a = negative ? -units : units;
    Int scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    std::string whole = std::to_string((long long)(a / scale));
    std::string frac = std::to_string((long long)(a % scale));
    frac = std::string(size_t(decimals) - frac.size(), '0') + frac;
    return (negative && a != 0 ? "-" : "") + whole + (decimals ? "." + frac : "");
}

// A probe sample as the cast file writes it: velocity and depth in thousandths / tenths.
struct Sample {
    long long svThousandths;
    long long depthTenths;
};

std::string probeLine(const Sample& s)
{
    // A 23-character time stamp without blanks, a blank, then "sv,depth".
    return "2024-05-01T10:00:00.000 " + decimal(s.svThousandths, 3) + "," + decimal(s.depthTenths, 1);
}

struct Expected {
    TextLines pairs, table, column;
};

// The pipeline computed with exact fractions: depths rounded half away from zero to metres,
// velocities kept to three decimals, each later sample's mean from the mean as written (two
// decimals) and rounded half away from zero; the column as the depth-weighted running mean.
Expected independently(const std::vector<Sample>& samples, int maxDepth)
{
    Expected e;
    struct Entry {
        Int meanThousandths;
        int count;
        int decimals;
    };
    std::map<int, Entry> entries;
    int deepest = -1;
    for (const Sample& s : samples) {
        if (s.svThousandths < 1350000 || s.svThousandths > 1600000) continue;
        const int d = int(roundHalfAway(s.depthTenths, 10));
        e.pairs.push_back(std::to_string(d) + "," + decimal(s.svThousandths, 3));
        deepest = std::max(deepest, d);
        if (d < 0 || d > maxDepth) continue;
        auto it = entries.find(d);
        if (it == entries.end()) {
            entries[d] = {s.svThousandths, 1, 3};
        } else {
            Entry& x = it->second;
            const Int hundredths = roundHalfAway(x.count * x.meanThousandths + s.svThousandths, Int(x.count + 1) * 10);
            x = {hundredths * 10, x.count + 1, 2};
        }
    }
    e.table.assign(size_t(maxDepth) + 1, "");
    for (const auto& [d, x] : entries)
        e.table[size_t(d)] = std::to_string(d) + "," + decimal(x.meanThousandths / (x.decimals == 3 ? 1 : 10), x.decimals) +
                             "," + std::to_string(x.count);
    if (deepest >= 0 && deepest < maxDepth) {
        const Entry& last = entries.at(deepest);
        const Int hundredths = last.decimals == 3 ? roundHalfAway(last.meanThousandths, 10) : last.meanThousandths / 10;
        for (int d = deepest + 1; d <= maxDepth; ++d) e.table[size_t(d)] = std::to_string(d) + "," + decimal(hundredths, 2) + ",0";
    }
    // Column: mean = (m * mean + v) / (m + 1) as an exact fraction of thousandths.
    Int num = 0, den = 1, m = 0, v = 0;
    for (int d = 0; d <= maxDepth; ++d) {
        const std::string& line = e.table[size_t(d)];
        if (!line.empty()) {
            const size_t c1 = line.find(','), c2 = line.find(',', c1 + 1);
            m = std::stoll(line.substr(0, c1));
            const std::string value = line.substr(c1 + 1, c2 - c1 - 1);
            const size_t dot = value.find('.');
            const std::string frac = (value.substr(dot + 1) + "000").substr(0, 3);
            v = Int(std::stoll(value.substr(0, dot))) * 1000 + std::stoll(frac);
        }
        num = m * num + v * den;
        den = den * (m + 1);
        e.column.push_back(decimal(roundHalfAway(num, den * 10), 2));
    }
    return e;
}

} // namespace

// Ties in both roundings: depths 0.5, 2.5, 4.5 go to metres 1, 3, 5 (a round-half-even
// formatter gives 0, 2, 4); the mean of 1500.25 and 1500.00 (exactly 1500.125) is written 1500.13
// and the deepest velocity 1507.125 is carried down as 1507.13 (half-even: .12). Out-of-range
// samples are questioned and skipped; a depth above the surface changes no line; a sample deeper
// than MaxDepth leaves no tail; a depth without samples above the deepest stays empty.
TEST(SoundVelocityProfile, ExtractionAndMeansAgainstAnIndependentComputation)
{
    const std::vector<Sample> samples = {
        {1500250, 4},   {1500000, 2},  {1501625, 5},   {1501000, 13}, {1502000, 10}, {1620000, 20},
        {1503000, 25},  {1503500, 31}, {1500062, -12}, {1505000, 45}, {1504500, 46}, {1504000, 49},
        {1340000, 50},  {1500063, 24}, {1506125, 55},  {1506000, 60}, {1507125, 74},
    };
    TextLines raw = {"Time Stamp SV Depth", ""};
    for (const Sample& s : samples) raw.push_back(probeLine(s));
    raw.push_back("2024-05-01T10:00:00.000 1500.0");  // one number: not a sample

    const auto format = ScanFormat::compile("%*23s %lf,%lf");
    ASSERT_TRUE(format);
    std::vector<std::pair<double, int>> asked;
    const ExtractResult extracted = ExtractProfilePairs(raw, *format, true, [&](double sv, int line) {
        asked.push_back({sv, line});
        return OutOfRangeAnswer::SkipLine;
    });
    EXPECT_FALSE(extracted.stopped);
    EXPECT_EQ(asked, (std::vector<std::pair<double, int>>{{1620.0, 8}, {1340.0, 15}}));

    for (int maxDepth : {9, 5}) {
        SCOPED_TRACE(maxDepth);
        const Expected want = independently(samples, maxDepth);
        EXPECT_EQ(extracted.pairs, want.pairs);
        const TextLines table = AverageProfile(extracted.pairs, maxDepth);
        EXPECT_EQ(table, want.table);
        const SvColumnResult column = BuildSvColumn(table, maxDepth);
        ASSERT_EQ(column.status, SvColumnResult::Status::Ok) << column.depth;
        EXPECT_EQ(column.column, want.column);
    }
    // The table spelt out, so the computation above is checked too.
    EXPECT_EQ(AverageProfile(extracted.pairs, 9),
              (TextLines{"0,1500.13,2", "1,1501.54,3", "2,1500.063,1", "3,1503.25,2", "", "5,1504.50,3", "6,1506.06,2",
                         "7,1507.125,1", "8,1507.13,0", "9,1507.13,0"}));
    EXPECT_EQ(extracted.pairs[2], "1,1501.625");
    EXPECT_EQ(extracted.pairs[5], "3,1503.000");
    EXPECT_EQ(extracted.pairs[7], "-1,1500.062");
}

TEST(SoundVelocityProfile, WorkedExamples)
{
    const auto format = ScanFormat::compile(kDefaultSvpSearchString);
    const ExtractResult e = ExtractProfilePairs({"2024-05-01T12:00:00.000 1502.3,4.7"}, *format, true, {});
    EXPECT_EQ(e.pairs, TextLines{"5,1502.300"});

    const TextLines table = AverageProfile({"0,1500.000", "0,1502.000", "1,1510.000"}, 3);
    EXPECT_EQ(table, (TextLines{"0,1501.00,2", "1,1510.000,1", "2,1510.00,0", "3,1510.00,0"}));
    EXPECT_EQ(BuildSvColumn(table, 3).column, (TextLines{"1501.00", "1505.50", "1507.00", "1507.75"}));

    // Depth first; a line that gives one number is skipped.
    const auto depthFirst = ScanFormat::compile("%lf;%*[^;];%lf");
    const ExtractResult d = ExtractProfilePairs({"Depth;Temp;SV", "2.5;14.1;1499.9", "3.0;14.0"}, *depthFirst, false, {});
    EXPECT_EQ(d.pairs, TextLines{"3,1499.900"});
}

TEST(SoundVelocityProfile, StoppingTheQuestionKeepsWhatCameBefore)
{
    const auto format = ScanFormat::compile("%lf,%lf");
    int questions = 0;
    const ExtractResult e = ExtractProfilePairs({"1500,1", "1700,2", "1501,3"}, *format, true, [&](double, int) {
        ++questions;
        return OutOfRangeAnswer::Stop;
    });
    EXPECT_TRUE(e.stopped);
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(e.pairs, TextLines{"1,1500.000"});
}

TEST(SoundVelocityProfile, TablesThatCannotBecomeAColumnAndEdges)
{
    // Line 0 empty: no surface value.
    const SvColumnResult noSurface = BuildSvColumn({"", "1,1500.00,1"}, 1);
    EXPECT_EQ(noSurface.status, SvColumnResult::Status::NoSurfaceValue);
    EXPECT_TRUE(noSurface.column.empty());
    // A velocity out of (1300, 1700), named by its depth.
    const SvColumnResult outside = BuildSvColumn({"0,1500.00,1", "1,1500.00,1", "2,1750.00,1"}, 2);
    EXPECT_EQ(outside.status, SvColumnResult::Status::OutOfRange);
    EXPECT_EQ(outside.depth, 2);
    // A gap repeats the last line read with its weight: (0*0+1500)/1, (0*1500+1500)/1, (2*1500+1530)/3.
    EXPECT_EQ(BuildSvColumn({"0,1500.00,1", "", "2,1530.00,1"}, 2).column, (TextLines{"1500.00", "1500.00", "1510.00"}));
    // A short table reads as empty lines below its end.
    EXPECT_EQ(BuildSvColumn({"0,1500.00,1"}, 2).column, (TextLines{"1500.00", "1500.00", "1500.00"}));

    // A sample exactly at MaxDepth has its line; no sample at all leaves empty lines; samples
    // beyond MaxDepth or above the surface touch nothing and do not crash.
    EXPECT_EQ(AverageProfile({"3,1500.000"}, 3), (TextLines{"", "", "", "3,1500.000,1"}));
    EXPECT_EQ(AverageProfile({}, 2), (TextLines{"", "", ""}));
    EXPECT_EQ(AverageProfile({"9,1500.000", "-2,1500.000", "x", "99999999999999999999,1500.000"}, 2),
              (TextLines{"", "", ""}));
}

TEST(SoundVelocityProfile, UserFormatsThatCouldHarmAreRefused)
{
    for (const char* hostile : {"%s%s", "%n%lf%lf", "%s %lf", "%p", "%lf%ls"}) {
        std::string why;
        EXPECT_FALSE(ScanFormat::compile(hostile, &why)) << hostile;
        EXPECT_FALSE(why.empty()) << hostile;
    }
    // Formats that compile but do not read two numbers are told apart by their count.
    EXPECT_EQ(ScanFormat::compile("%lf,%lf,%lf")->numericConversions(), 3);
    EXPECT_EQ(ScanFormat::compile("%*s %lf")->numericConversions(), 1);
}

TEST(SoundVelocityProfile, SearchFormatFromTheHeader)
{
    struct Row {
        TextLines raw;
        bool found;
        int header = 0;
        char delimiter = ',';
        int sv = 0, depth = 0;
        const char* format = "";
        bool svFirst = true;
    };
    const Row rows[] = {
        {{"Depth;Temp;SV", "1;2;3"}, true, 0, ';', 2, 0, "%lf;%*[^;];%lf", false},
        {{"# cast 12", "Time,Sound Velocity (m/s),Temp,Pressure (dbar)"}, true, 1, ',', 1, 3, "%*[^,],%lf,%*[^,],%lf", true},
        {{"date\ttime\tdepth\tsv"}, true, 0, '\t', 3, 2, "%*[^\t]\t%*[^\t]\t%lf\t%lf", false},
        {{"DEPTH SV"}, false},                       // one field holds both
        {{"SV_DEPTH,TEMP"}, false},                   // one column would be both
        {{"Time,Temp,SV"}, false},                    // no depth column
        {{"1,2,3", "4,5,6"}, false},                  // no header
        {{"velocity,,pressure"}, true, 0, ',', 0, 2, "%lf,%*[^,],%lf", true},  // an empty field counts
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.raw.back());
        const auto f = DetectProfileFormat(r.raw);
        ASSERT_EQ(f.has_value(), r.found);
        if (!f) continue;
        EXPECT_EQ(f->headerLine, r.header);
        EXPECT_EQ(f->delimiter, r.delimiter);
        EXPECT_EQ(f->svColumn, r.sv);
        EXPECT_EQ(f->depthColumn, r.depth);
        EXPECT_EQ(f->searchString, r.format);
        EXPECT_EQ(f->svFirst, r.svFirst);
        // The format reads the data as the header says.
        const auto format = ScanFormat::compile(f->searchString);
        ASSERT_TRUE(format);
        EXPECT_EQ(format->numericConversions(), 2);
    }
    // Upper-casing is ASCII only: a lower-case "velocity" is found under any locale.
    EXPECT_TRUE(DetectProfileFormat({"depth;velocity"}));
}

TEST(SoundVelocityProfile, PointLinesGoBackToOneLinePerMetre)
{
    // What the graph writes after two points were deleted and one depth came twice.
    const TextLines written = {"0,1500.00,2", "1,1501.00,1", "4,1504.00,1", "1,1502.00,1", "x", "-1,1500.00,1",
                               "99999,1500.00,1"};
    EXPECT_EQ(LayOutTableByDepth(written, 3), (TextLines{"0,1500.00,2", "1,1502.00,1", "", "", "4,1504.00,1"}));
    EXPECT_EQ(LayOutTableByDepth({"0,1500.00,1"}, 2), (TextLines{"0,1500.00,1", "", ""}));
}

TEST(SoundVelocityColumn, LookupAtTheRoundedDepthAndBeyondTheEnd)
{
    int bad = -2;
    const auto column = SoundVelocityColumn::parse({"1500.00", "1501.00", "1502.00", "", "  "}, &bad);
    ASSERT_TRUE(column);
    EXPECT_EQ(bad, -1);
    EXPECT_EQ(column->values().size(), 3u) << "blank lines at the end are no entries";
    const std::pair<double, double> cases[] = {{0.0002, 1500}, {0.49, 1500}, {0.5, 1501}, {1.49, 1501},
                                               {1.5, 1502},    {2.4, 1502},  {9.6, 1502}, {1e300, 1502}};
    for (auto [raw, v] : cases) EXPECT_EQ(column->velocityAt(raw), v) << raw;
    EXPECT_FALSE(SoundVelocityColumn().velocityAt(3.0));

    EXPECT_FALSE(SoundVelocityColumn::parse({"", " "}, &bad));
    EXPECT_EQ(bad, -1) << "a blank column names no line";
    EXPECT_FALSE(SoundVelocityColumn::parse({"1500.00", "abc", "1500.00"}, &bad));
    EXPECT_EQ(bad, 1);
    EXPECT_FALSE(SoundVelocityColumn::parse({"1500.00", "", "1500.00"}, &bad));
    EXPECT_EQ(bad, 1);
    EXPECT_FALSE(SoundVelocityColumn::parse({"1700.00"}, &bad));
    EXPECT_EQ(bad, 0);
}

TEST(SvpFiles, NamesAndText)
{
    // One set of names for the window and the auto-save.
    EXPECT_EQ(SvpDayCopyName("/d/SVP/", "2024-05-01", SvpTable::RawData), "/d/SVP/2024-05-01 mRawSVData.ini");
    EXPECT_EQ(SvpDayCopyName("/d/SVP/", "2024-05-01", SvpTable::Extracted), "/d/SVP/2024-05-01 mRawSVExtracted.ini");
    EXPECT_EQ(SvpDayCopyName("/d/SVP/", "2024-05-01", SvpTable::Averaged), "/d/SVP/2024-05-01 mSortedAveragedSV.ini");
    EXPECT_EQ(SvpDayCopyName("/d/SVP/", "2024-05-01", SvpTable::Column), "/d/SVP/2024-05-01 mSVPColumn.ini");
    EXPECT_EQ(SvpStandingCopyName("/c/", SvpTable::Column), "/c/mSVPColumn.ini");

    const QString turkish = QString::fromUtf8("Derinlik;Sıcaklık;Ses Hızı");
    // Windows-1254 when every character fits, CR LF after every line, an empty line kept.
    const std::string bytes = EncodeTextLines({turkish, "", "1;2;3"});
    EXPECT_EQ(bytes, "Derinlik;S\xFD" "cakl\xFDk;Ses H\xFDz\xFD\r\n\r\n1;2;3\r\n");
    EXPECT_EQ(DecodeTextLines(bytes), (QStringList{turkish, "", "1;2;3"}));
    // A character outside the code page: UTF-8 with its mark, nothing lost.
    const QString greek = QString::fromUtf8("θ 1500");
    EXPECT_EQ(EncodeTextLines({greek}), "\xEF\xBB\xBF" "\xCE\xB8 1500\r\n");
    EXPECT_EQ(DecodeTextLines(EncodeTextLines({greek})), QStringList{greek});
    // Plain UTF-8 without a mark, LF only, no final line break; UTF-16 with its mark.
    EXPECT_EQ(DecodeTextLines("S\xC4\xB1" "cakl\xC4\xB1k\n1"), (QStringList{QString::fromUtf8("Sıcaklık"), "1"}));
    EXPECT_EQ(DecodeTextLines(std::string("\xFF\xFE" "a\0\r\0\n\0b\0", 10)), (QStringList{"a", "b"}));
    EXPECT_TRUE(DecodeTextLines("").isEmpty());

    vsx::test::TempHome home;
    const std::string upper = home.path("2024-05-01 mSVPColumn.INI");
    home.writeFile("2024-05-01 mSVPColumn.INI", "1500.00\r\n");
    const auto read = ReadSvpTableFile(home.path("2024-05-01 mSVPColumn.ini"));
    ASSERT_TRUE(read) << "a copy an older installation wrote in capitals is read";
    EXPECT_EQ(*read, QStringList{"1500.00"});
    EXPECT_FALSE(ReadSvpTableFile(home.path("none.ini")));
    std::string why;
    EXPECT_FALSE(WriteSvpTableFile(home.path("no/such/folder/x.ini"), {"1"}, &why));
    EXPECT_FALSE(why.empty());
}
