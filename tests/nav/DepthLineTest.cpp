#include "nav/DepthLine.h"
#include "nav/SoundingFiles.h"

#include "NavTestSupport.h"

#include "support/TempHome.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vsx;

namespace {
std::string formatOf(const std::string& type) { return std::string(scanFormatForSounderType(type)); }
using vsx::test::sentence;
} // namespace

TEST(DepthLine, TypesAndCorrectionsTable)
{
    struct Case {
        const char* type;
        std::string line;
        double sv, draft;
        bool recognised, corrupt;
        double rawHi, rawLo;
        const char* hi;
        const char* lo;
        bool record;
    };
    const Case cases[] = {
        {"NMEA DPT", "$SDDPT,10.0,0.0*66", 1500, 0.5, true, false, 10.0, 0, "10.50", "--.--", true},
        {"NMEA DPT", "$SDDPT,20,0.0*7B", 1485, 0.5, true, false, 20, 0, "20.30", "--.--", true},
        {"NMEA DPT", "$SDDPT,0.0001,0.0", 1500, 0, true, false, 0.0001, 0, "--.--", "--.--", true},
        {"NMEA DPT", "$SDDPT,0.00011,0.0", 1500, 0, true, false, 0.00011, 0, "0.00", "--.--", true},
        {"NMEA DPT", "$SDDBT,7.7,f,2.3,M", 1500, 0, false, false, 0, 0, "--.--", "--.--", false},
        {"NMEA DBT", "$SDDBT,7.7,f,2.3,M,1.3,F*05", 1500, 0.2, true, false, 2.3, 0, "2.50", "--.--", true},
        // Sounders that do not give feet or fathoms leave those fields empty: the metres count.
        {"NMEA DBT", "$SDDBT,,f,12.3,M,,F*36", 1500, 0, true, false, 12.3, 0, "12.30", "--.--", true},
        {"NMEA DBT", "$SDDBT,,,12.3,M,,", 1500, 0, true, true, 0, 0, "--.--", "--.--", false},
        {"NMEA DBT", "$SDDBT,,f,,M,,F", 1500, 0, true, true, 0, 0, "--.--", "--.--", false},
        {"Veldor SMT", "$PVELSMT,12.5,12.8", 1500, 0, true, false, 12.5, 0, "12.50", "--.--", true},
        {"Veldor SMT", "$PVELSMT,12.5", 1500, 0, true, true, 12.5, 0, "--.--", "--.--", true},
        {"Veldor XDR LO", "$VELXDHI,10.0,$VELXDLO,11.5", 1500, 0, true, false, 0, 11.5, "--.--", "11.50", true},
        {"Veldor XDR LO", "$VELXDHI,10.0", 1500, 0, false, false, 0, 0, "--.--", "--.--", false},
        {"Veldor XDR H/L", "$VELXDHI,10.0,$VELXDLO,11.5", 1500, 1, true, false, 10, 11.5, "11.00", "12.50", true},
        {"ODC HI", "$ODC," + std::string(35, '0') + ",B,14.2", 1500, 0, true, false, 14.2, 0, "14.20", "--.--", true},
    };
    for (const auto& c : cases) {
        auto fmt = ScanFormat::compile(formatOf(c.type));
        ASSERT_TRUE(fmt) << c.type;
        DepthLineSettings s;
        s.messageType = c.type;
        s.format = &*fmt;
        s.soundVelocity = c.sv;
        s.draft = c.draft;
        const DepthLineResult r = ProcessDepthLine(c.line, s);
        SCOPED_TRACE(std::string(c.type) + " / " + c.line);
        EXPECT_EQ(r.recognised, c.recognised);
        EXPECT_EQ(r.corrupt, c.corrupt);
        EXPECT_DOUBLE_EQ(r.rawHi, c.rawHi);
        EXPECT_DOUBLE_EQ(r.rawLo, c.rawLo);
        EXPECT_EQ(r.hiLabel, c.hi);
        EXPECT_EQ(r.loLabel, c.lo);
        EXPECT_EQ(r.recognised && r.recordDue(), c.record);
    }
}

// Lines that cannot be measurements: a checksum that does not match, or a depth the sea cannot
// have. Each is corrupt and none of its values is taken, a value read before a gap included.
TEST(DepthLine, ImpossibleDepthsAndWrongChecksumsAreRefused)
{
    using F = DepthLineFault;
    struct Case {
        const char* type;
        std::string line;
        F fault;
        bool record;
        double sv = 1500, draft = 0;
    };
    const Case cases[] = {
        // The metres field of a DBT whose checksum is right.
        {"NMEA DBT", sentence("SDDBT,7.7,f,1e308,M,1.3,F"), F::ImpossibleDepth, false},
        {"NMEA DBT", sentence("SDDBT,7.7,f,1000000000,M,1.3,F"), F::ImpossibleDepth, false},
        {"NMEA DBT", sentence("SDDBT,7.7,f,-5,M,1.3,F"), F::ImpossibleDepth, false},
        {"NMEA DBT", sentence("SDDBT,7.7,f,12000.01,M,1.3,F"), F::ImpossibleDepth, false},
        {"NMEA DBT", sentence("SDDBT,7.7,f,12000,M,1.3,F"), F::None, true},
        // Not numbers, or beyond the doubles: the field does not scan.
        {"NMEA DBT", sentence("SDDBT,7.7,f,NaN,M,1.3,F"), F::TooFewValues, false},
        {"NMEA DBT", sentence("SDDBT,7.7,f,inf,M,1.3,F"), F::TooFewValues, false},
        {"NMEA DBT", sentence("SDDBT,7.7,f,1e309,M,1.3,F"), F::TooFewValues, false},
        // 0 is "no depth": not corrupt, and no record, as ever.
        {"NMEA DBT", sentence("SDDBT,0.0,f,0.0,M,0.0,F"), F::None, false},
        {"NMEA DPT", "$SDDPT,-0.0,0.0", F::None, false},
        // A good raw depth that the velocity or the draft in force makes impossible.
        {"NMEA DPT", sentence("SDDPT,11990,0.0"), F::ImpossibleDepth, false, 1700},
        {"NMEA DPT", sentence("SDDPT,5.0,0.0"), F::ImpossibleDepth, false, 1500, 1e300},
        // Checksums: wrong, cut short, not hexadecimal; lower-case digits are right.
        {"NMEA DPT", "$SDDPT,10.0,0.0*63", F::WrongChecksum, false},
        {"NMEA DPT", "$SDDPT,10.0,0.0*6", F::WrongChecksum, false},
        {"NMEA DPT", "$SDDPT,10.0,0.0*6G", F::WrongChecksum, false},
        {"NMEA DPT", "$SDDPT,20,0.0*7b", F::None, true},
        {"NMEA DBT", "$SDDBT,7.7,f,2.3,M,1.3,F*06", F::WrongChecksum, false},
        // Maker sentences without a checksum are read as they come.
        {"Veldor SMT", "$PVELSMT,12.5,12.8", F::None, true},
        {"Veldor SMT", sentence("PVELSMT,12.5,12.8"), F::None, true},
        {"Veldor SMT", "$PVELSMT,12.5,12.8*00", F::WrongChecksum, false},
        // A value read before the gap is no record when it is impossible.
        {"Veldor SMT", "$PVELSMT,1e308", F::ImpossibleDepth, false},
        {"Veldor SMT", "$PVELSMT,-5,12.1", F::ImpossibleDepth, false},
        // Two depths: either impossible refuses the line.
        {"Veldor XDR H/L", "$VELXDHI,10.0,$VELXDLO,-3", F::ImpossibleDepth, false},
        {"Veldor XDR H/L", "$VELXDHI,99999,$VELXDLO,5", F::ImpossibleDepth, false},
        {"Veldor XDR H/L", "$VELXDHI,0,$VELXDLO,5", F::None, false},
        {"Veldor XDR LO", "$VELXDHI,10.0,$VELXDLO,20000", F::ImpossibleDepth, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " / " + c.line);
        auto fmt = ScanFormat::compile(formatOf(c.type));
        ASSERT_TRUE(fmt);
        DepthLineSettings s;
        s.messageType = c.type;
        s.format = &*fmt;
        s.soundVelocity = c.sv;
        s.draft = c.draft;
        const DepthLineResult r = ProcessDepthLine(c.line, s);
        EXPECT_TRUE(r.recognised);
        EXPECT_EQ(r.fault, c.fault);
        EXPECT_EQ(r.corrupt, c.fault != F::None);
        EXPECT_EQ(r.recordDue(), c.record);
        if (r.refused()) {
            EXPECT_EQ(r.rawHi, 0);
            EXPECT_EQ(r.rawLo, 0);
            EXPECT_EQ(r.trueHi, 0);
            EXPECT_EQ(r.trueLo, 0);
            EXPECT_EQ(r.hiLabel, "--.--");
            EXPECT_EQ(r.loLabel, "--.--");
            EXPECT_FALSE(r.battery) << "nothing of a refused line is taken";
        }
    }
}

TEST(DepthLine, ProfileVelocityAndBattery)
{
    auto fmt = ScanFormat::compile("%*8s,%lf,%lf");
    DepthLineSettings s;
    s.messageType = "Veldor SMT";
    s.format = &*fmt;
    int askedLine = -1;
    s.profileVelocity = [&](double raw) -> std::optional<double> {
        askedLine = int(raw + 0.5);
        return 1530.0;
    };
    const DepthLineResult r = ProcessDepthLine("$PVELSMT,9.6,12.75", s);
    EXPECT_EQ(askedLine, 10);
    EXPECT_DOUBLE_EQ(r.soundVelocityUsed, 1530.0);
    EXPECT_DOUBLE_EQ(r.trueHi, 9.6 * 1530.0 / 1500.0);
    ASSERT_TRUE(r.battery);
    EXPECT_DOUBLE_EQ(*r.battery, 12.75);
}

TEST(SoundingFiles, CsvBytesHeaderOnceAndXyz)
{
    vsx::test::TempHome home;
    SoundingRecord r;
    r.time = {2024, 5, 1, 13, 45, 1, 123};
    r.latitude = 41.0123456789;
    r.longitude = 29.0000000001;
    r.easting = 412345.678;
    r.northing = 4543210.125;
    r.manualTide = 0.3;
    r.trueHi = 10.5;
    r.rawHi = 10;
    r.messageType = "NMEA DPT";
    r.draft = 0.5;
    r.fixQuality = 4;
    r.rtkAntennaHeight = 2;
    const std::string csv = home.path("home/VLT/2024-05-01/LOG/2024-05-01 Coordinates.csv");
    auto first = AppendSurveyCsvRecord(csv, r);  // the LOG folder does not exist yet
    ASSERT_TRUE(first.written);
    EXPECT_TRUE(first.headerWritten);
    auto second = AppendSurveyCsvRecord(csv, r);
    EXPECT_FALSE(second.headerWritten);
    const std::string record = "2024-05-01 134501123,41.0123456789,29.0000000001,412345.68,4543210.13,-10.20,0.30,"
                               "10.50,0.00,10,0,NMEA DPT,1500.00,0.50,4,2.00,0.30,0.00";
    EXPECT_EQ(home.readFile(csv), std::string(kSurveyCsvHeader) + "\r\n" + record + "\r\n" + record + "\r\n");

    const std::string xyz = home.path("home/VLT/2024-05-01/XYZ/2024-05-01 Simple XYZ.csv");
    ASSERT_TRUE(AppendSimpleXyzRecord(xyz, 412345.678, 4543210.125, 0.3 - 10.5));
    EXPECT_EQ(home.readFile(xyz), "Easting,Northing,Elevation\r\n412345.68,4543210.13,-10.20\r\n");
}

#include "nav/SounderLineHandler.h"

namespace {
// The handler's inputs for a message type with its own format, a vessel at a grid position and
// the day's files LOG/c.csv and XYZ/x.csv in `home`.
struct SounderInputs {
    SounderInputs(const vsx::test::TempHome& home, const char* type) : format(*ScanFormat::compile(formatOf(type)))
    {
        in.depth.messageType = type;
        in.depth.format = &format;
        in.position = {41.0, 33.0, 500000, 4500000, 4};
        in.csvFileName = home.path("LOG/c.csv");
        in.xyzFileName = home.path("XYZ/x.csv");
    }
    SounderInputs(const SounderInputs&) = delete;
    ScanFormat format;
    SounderLineInputs in;
};
} // namespace

TEST(SounderLineHandler, RecordsAlarmAndBogusSoundingsKeptOutOfXyz)
{
    vsx::test::TempHome home;
    SounderInputs inputs(home, "Veldor SMT");
    SounderLineInputs& in = inputs.in;
    in.depth.draft = 0.5;
    in.alarmLevel = 5;
    auto ok = HandleSounderLine("$PVELSMT,4.49,12.1", in);
    EXPECT_EQ(ok.statusText, "$PVELSMT,4.49,12.1");
    EXPECT_TRUE(ok.alarm) << "4.99 m is at or above the 5 m alarm";
    EXPECT_TRUE(ok.csvWritten);
    EXPECT_TRUE(ok.csvHeaderWritten) << "the first record opens the file";
    EXPECT_TRUE(ok.xyzWritten);
    EXPECT_TRUE(ok.newDepth);
    auto deep = HandleSounderLine("$PVELSMT,4.51,12.1", in);
    EXPECT_FALSE(deep.alarm);
    EXPECT_FALSE(deep.csvHeaderWritten);
    auto corrupt = HandleSounderLine("$PVELSMT,7.0", in);
    EXPECT_EQ(corrupt.statusText, "[CORRUPT] $PVELSMT,7.0");
    EXPECT_TRUE(corrupt.csvWritten) << "the scanned raw value still makes a record";
    EXPECT_FALSE(corrupt.xyzWritten) << "but no sounding at the tide level";
    EXPECT_TRUE(corrupt.newDepth) << "a line that made a record has a new depth for the echogram";
    auto unreadable = HandleSounderLine("$PVELSMT,x", in);
    EXPECT_EQ(unreadable.statusText, "[CORRUPT] $PVELSMT,x");
    EXPECT_FALSE(unreadable.csvWritten);
    EXPECT_FALSE(unreadable.newDepth) << "nothing scanned, no record, no new depth";
    auto ignored = HandleSounderLine("$GPGGA,1,2,3", in);
    EXPECT_TRUE(ignored.statusText.empty());
    EXPECT_FALSE(ignored.csvWritten);
    EXPECT_FALSE(ignored.newDepth);

    // Without a current position the depth is still recorded, with the position left empty,
    // fix 0 and no RTK heights of an earlier fix, and no sounding goes to the XYZ file; a grid
    // position of (0, 0) is none either.
    in.position = {};
    in.position.fixQuality = 4;
    in.rtkAntennaHeight = 88.4;
    in.rtkTide = 86.9;
    auto lost = HandleSounderLine("$PVELSMT,6.0,12.1", in);
    EXPECT_TRUE(lost.csvWritten);
    EXPECT_FALSE(lost.xyzWritten);
    in.position = {41.0, 33.0, 0, 0, 4};
    EXPECT_FALSE(HandleSounderLine("$PVELSMT,6.5,12.1", in).xyzWritten);
    in.position = {41.0, 33.0, std::nullopt, std::nullopt, 4};
    EXPECT_FALSE(HandleSounderLine("$PVELSMT,7.5,12.1", in).xyzWritten) << "no grid conversion, no sounding";
    const std::string csv = home.readFile("LOG/c.csv");
    EXPECT_NE(csv.find(",,,,,-6.50,0.00,6.50,0.00,6,0,Veldor SMT,1500.00,0.50,0,0.00,0.00,0.00\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",41.0000000000,33.0000000000,,,-8.00,"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",0.50,4,88.40,0.00,86.90\r\n"), std::string::npos) << "a positioned record keeps them: " << csv;

    auto lo = ScanFormat::compile("%*8s,%*lf,%*8s,%lf");
    in.depth.messageType = "Veldor XDR LO";
    in.depth.format = &*lo;
    in.position = {41.0, 33.0, 1, 0, 4};
    auto low = HandleSounderLine("$VELXDHI,10.0,$VELXDLO,11.5", in);
    EXPECT_TRUE(low.csvWritten) << "a low-frequency-only type writes its records";
    EXPECT_TRUE(low.xyzWritten);
    const std::string xyz = home.readFile("XYZ/x.csv");
    EXPECT_NE(xyz.find("1.00,0.00,-12.00"), std::string::npos) << xyz;
    EXPECT_EQ(std::count(xyz.begin(), xyz.end(), '\n'), 1 + 2 + 1) << "header, two soundings, the low one";
}

TEST(SounderLineHandler, RefusedLinesAreCountedAndWriteNothing)
{
    vsx::test::TempHome home;
    SounderInputs inputs(home, "NMEA DBT");
    SounderLineInputs& in = inputs.in;
    in.depth.soundVelocity = 1480;
    in.manualTide = 0.3;
    auto dbt = [](const std::string& metres) { return sentence("SDDBT,7.7,f," + metres + ",M,1.3,F"); };

    for (const std::string& line : {dbt("1e308"), dbt("1000000000"), dbt("-5"), dbt("NaN"), dbt("inf"),
                                    std::string("$SDDBT,7.7,f,2.3,M,1.3,F*06")}) {
        SCOPED_TRACE(line);
        const SounderLineOutput out = HandleSounderLine(line, in);
        EXPECT_EQ(out.statusText, "[CORRUPT] " + line);
        EXPECT_TRUE(out.leftOut);
        EXPECT_FALSE(out.csvAttempted) << "a refused line is no failed write";
        EXPECT_FALSE(out.xyzAttempted);
        EXPECT_FALSE(out.newDepth);
    }
    EXPECT_FALSE(std::filesystem::exists(in.csvFileName)) << "no record, no file";
    EXPECT_FALSE(std::filesystem::exists(in.xyzFileName));

    // No depth (0) is neither corrupt nor a record; the good lines are the only records.
    const SounderLineOutput none = HandleSounderLine(dbt("0.0"), in);
    EXPECT_FALSE(none.depth.corrupt);
    EXPECT_FALSE(none.leftOut);
    EXPECT_FALSE(none.csvAttempted);
    const SounderLineOutput good = HandleSounderLine(dbt("15.0"), in);
    EXPECT_TRUE(good.csvAttempted && good.csvWritten && good.xyzWritten);
    EXPECT_FALSE(good.leftOut);
    const std::string csv = home.readFile("LOG/c.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 2) << csv;
    EXPECT_NE(csv.find(",-14.50,0.30,14.80,0.00,15,0,NMEA DBT,1480.00,0.00,4,"), std::string::npos) << csv;
    EXPECT_EQ(home.readFile("XYZ/x.csv"), "Easting,Northing,Elevation\r\n500000.00,4500000.00,-14.50\r\n");
}
