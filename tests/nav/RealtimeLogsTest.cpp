#include "nav/RealtimeLogs.h"

#include <gtest/gtest.h>

using namespace vsx;

TEST(RealtimeLogs, NamesAndRecords)
{
    const std::string L = "/home/u/VLT/2024-05-01/LOG/";
    EXPECT_EQ(SensorLogPath(L, "2024-05-02", "starboard transducer"), L + "2024-05-02.STA.log");
    EXPECT_EQ(SensorLogPath(L, "2024-05-02", "Tr"), L + "2024-05-02.TR.log");
    EXPECT_EQ(ExtraVesselGnssLogName(L, "2024-05-02", "Boat 2"), L + "2024-05-02 Boat 2_GNSS.log");
    EXPECT_EQ(ExtraVesselCoordinatesName(L, "2024-05-02", "../x/y"), L + "2024-05-02 .._x_y Coordinates.csv")
        << "a name never leaves the LOG folder";
    EXPECT_EQ(SafeFileNamePart("\xDD\xFE\xE7i"), "İşçi");
    EXPECT_EQ(ExtraVesselCoordinatesRecord({2024, 5, 1, 13, 45, 1, 123}, 41.5, 29.25, 412345.678, 4543210.1, 4),
              "2024-05-01 134501123,41.5000000000,29.2500000000,412345.68,4543210.10,4");
    EXPECT_EQ(StampedLogLine({2024, 5, 1, 3, 4, 5, 6}, "$GPGGA,x"), "2024-05-01 03:04:05.006 $GPGGA,x");
}

#include "input/NmeaParser.h"
#include "nav/ExtraVesselLines.h"
#include "support/TempHome.h"

namespace {

// An extra vessel whose GNSS log and coordinates file are open in `home`.
MultiVesselEntry vesselWithFiles(const vsx::test::TempHome& home)
{
    MultiVesselEntry v;
    v.RawLogFile = std::make_shared<AppendFile>(home.path("v_GNSS.log"));
    v.CoordinatesFile = std::make_shared<AppendFile>(home.path("v.csv"));
    return v;
}

// A stand-in grid: easting and northing in thousandths of a degree.
std::optional<std::pair<double, double>> grid(double lat, double lon) { return std::make_pair(lon * 1000, lat * 1000); }

// One line as the vessel's receiver hands it over: read once by the receiver (here one that has
// heard this line alone), then handled with that reading.
ExtraVesselLineResult HandleExtraVesselLine(MultiVesselEntry& v, std::string_view line, const LocalDateTime& now,
                                            const GridConverter& toGrid)
{
    NmeaParser receiver;
    const SentenceRead& read = receiver.Read(line, nmeaChecksum(line), std::chrono::steady_clock::now());
    return vsx::HandleExtraVesselLine(v, line, read, receiver.published(), now, toGrid);
}

} // namespace

TEST(ExtraVesselLines, LogHeadingFixAndRecordOfThisEpoch)
{
    vsx::test::TempHome home;
    MultiVesselEntry v = vesselWithFiles(home);
    const LocalDateTime t {2024, 5, 1, 13, 45, 1, 123};
    EXPECT_FALSE(HandleExtraVesselLine(v, "$GPHDT,123.5,T*30", t, grid).recordWritten);
    EXPECT_DOUBLE_EQ(v.Heading, 123.5);
    EXPECT_TRUE(HandleExtraVesselLine(v, "$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,545.4,M,46.9,M,,*42", t, grid).recordWritten);
    EXPECT_EQ(v.FixQuality, 4);
    EXPECT_NEAR(v.Latitude, 48.1173, 1e-9);
    const std::string record = std::string(kExtraVesselCoordinatesHeader) + "\r\n" +
                               "2024-05-01 134501123,48.1173000000,11.5166666667,11516.67,48117.30,4\r\n";
    EXPECT_EQ(home.readFile("v.csv"), record)
        << "the record holds this GGA's own position; a file left empty gets its header first";
    EXPECT_FALSE(HandleExtraVesselLine(v, "$GPHDT,x*1B", t, grid).recordWritten);
    EXPECT_EQ(v.Heading, 0);

    // Impossible values are refused (the caller counts them) and change nothing; a GGA without a
    // fix sets fix 0 and makes no record with the last position.
    const char* hostile[] = {"$GPGGA,123520,9500.000,N,01131.000,E,4,08,0.9,545.4,M,46.9,M,,",
                             "$GPGGA,123520,4807.038,N,20000.000,E,4,08,0.9,545.4,M,46.9,M,,",
                             "$GPGGA,123520,4807.038,N,01131.000,E,99,08,0.9,545.4,M,46.9,M,,"};
    for (const char* line : hostile) {
        const ExtraVesselLineResult r = HandleExtraVesselLine(v, line, t, grid);
        EXPECT_FALSE(r.recordWritten) << line;
        EXPECT_NE(r.rejectedGga, nullptr) << line;
        EXPECT_EQ(v.FixQuality, 4) << line;
        EXPECT_NEAR(v.Latitude, 48.1173, 1e-9) << line;
    }
    const ExtraVesselLineResult noFix =
        HandleExtraVesselLine(v, "$GPGGA,123521,4807.038,N,01131.000,E,0,08,0.9,545.4,M,46.9,M,,", t, grid);
    EXPECT_FALSE(noFix.recordWritten);
    EXPECT_EQ(noFix.rejectedGga, nullptr);
    EXPECT_EQ(v.FixQuality, 0);
    EXPECT_EQ(home.readFile("v.csv"), record);
    const std::string log = home.readFile("v_GNSS.log");
    EXPECT_EQ(log.substr(0, 42), "2024-05-01 13:45:01.123 $GPHDT,123.5,T*30\r");
}

#include "support/ShortWrites.h"

TEST(ExtraVesselLines, AFullDiskKeepsWholeLinesAndSaysWhichFileFailed)
{
    vsx::test::TempHome home;
    home.writeFile("v.csv", std::string(kExtraVesselCoordinatesHeader) + "\r\n");
    MultiVesselEntry v = vesselWithFiles(home);
    const LocalDateTime t {2024, 5, 1, 13, 45, 1, 123};
    const char* gga = "$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,545.4,M,46.9,M,,*42";
    {
        vsx::test::ShortWrites disk(30);  // the log line is cut after 30 bytes, the record gets nothing
        const ExtraVesselLineResult r = HandleExtraVesselLine(v, gga, t, grid);
        for (const VesselFileWrite* w : {&r.log, &r.record}) {
            EXPECT_TRUE(w->attempted);
            EXPECT_FALSE(w->written);
            EXPECT_EQ(w->reason, "No space left on device");
        }
        EXPECT_EQ(r.log.file, home.path("v_GNSS.log"));
        EXPECT_EQ(r.record.file, home.path("v.csv"));
        EXPECT_FALSE(r.recordWritten);
    }
    EXPECT_EQ(home.readFile("v_GNSS.log"), "") << "the cut line was taken back";
    EXPECT_EQ(home.readFile("v.csv"), std::string(kExtraVesselCoordinatesHeader) + "\r\n");
    const ExtraVesselLineResult r = HandleExtraVesselLine(v, gga, t, grid);
    EXPECT_TRUE(r.log.written);
    EXPECT_TRUE(r.record.written);
    EXPECT_EQ(home.readFile("v_GNSS.log"), std::string("2024-05-01 13:45:01.123 ") + gga + "\r\n");
    EXPECT_EQ(home.readFile("v.csv"), std::string(kExtraVesselCoordinatesHeader) + "\r\n" +
                                          "2024-05-01 134501123,48.1173000000,11.5166666667,11516.67,48117.30,4\r\n");
}
