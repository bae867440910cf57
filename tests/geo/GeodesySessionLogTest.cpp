// The day's geodesy log: its exact bytes, appending, empty settings, a date change and a folder
// that is not there.
#include "support/TempHome.h"
#include "geo/GeodesySessionLog.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vsx;
using namespace vsx::test;

namespace {

const LocalDateTime kStart{2024, 5, 1, 9, 30, 15, 123};

struct GeodesySessionLog : ::testing::Test {
    TempHome home;
    FakeClock clock{kStart};
    std::string logFolder = home.path("VLT/2024-05-01/LOG/");
    void SetUp() override { std::filesystem::create_directories(logFolder); }
};

// "\xDE" is a Turkish capital S with cedilla in Windows-1254: stored bytes go out unchanged.
const char* kIni =
    "[GEODETIC_PARAMETERS]\r\n"
    "SemiMajorAxis=6378388\r\n"
    "InverseFlattening=297\r\n"
    "Name of Datum=ED50 \xDE" "ile\r\n"
    "Use DTP=1\r\n"
    "X_Rotation=0.5\r\nY_Rotation=-0.3\r\nZ_Rotation=1.1\r\n"
    "X_Shift=-84.1\r\nY_Shift=-101.8\r\nZ_Shift=-129.7\r\n"
    "Scale_PPM=-1.2\r\n"
    "Use Projection=1\r\n"
    "Central_Meridian=30\r\nReference_Latitude=0\r\nScale_Factor=1\r\n"
    "False_Easting=500000\r\nFalse_Northing=0\r\n"
    "cbUseLCCProjection=0\r\n"
    "eLCCSP1=36\r\neLCCSP2=42\r\neLCCCP=39\r\neLCCM=30\r\neLCCFE=0\r\neLCCFN=0\r\n";

const std::string kBlock =
    "=== SESSION START: 093015123 ===\r\n"
    "\r\n"
    "--- ELLIPSOID ---\r\n"
    "Semi-Major Axis: 6378388\r\n"
    "Inverse Flattening: 297\r\n"
    "\r\n"
    "--- DATUM TRANSFORMATION ---\r\n"
    "Name of Datum: ED50 \xDE" "ile\r\n"
    "Use DTP: Yes\r\n"
    "X/Y/Z Rotation: 0.5, -0.3, 1.1\r\n"
    "X/Y/Z Shift: -84.1, -101.8, -129.7\r\n"
    "Scale PPM: -1.2\r\n"
    "\r\n"
    "--- TRANSVERSE MERCATOR ---\r\n"
    "Use TM: Yes\r\n"
    "CM: 30, Ref Lat: 0, SF: 1\r\n"
    "FE: 500000, FN: 0\r\n"
    "\r\n"
    "--- LAMBERT CONFORMAL CONIC ---\r\n"
    "Use LCC: No\r\n"
    "SP1: 36, SP2: 42\r\n"
    "CP: 39, CM: 30\r\n"
    "FE: 0, FN: 0\r\n"
    "\r\n"
    "----------------------------------------\r\n"
    "\r\n";

const std::string kTitle =
    "GEODETIC PARAMETERS LOG - 2024-05-01\r\n"
    "========================================\r\n"
    "\r\n";

} // namespace

TEST_F(GeodesySessionLog, FirstStartWritesTitleAndBlockThenAppends)
{
    home.writeFile("settings.ini", kIni);
    std::string error;
    ASSERT_TRUE(WriteGeodesySessionLog(home.path("settings.ini"), logFolder, clock, &error)) << error;
    const std::string name = "VLT/2024-05-01/LOG/2024-05-01 Geodesy.txt";
    EXPECT_EQ(home.readFile(name), kTitle + kBlock);

    clock.advance(std::chrono::minutes(5));
    ASSERT_TRUE(WriteGeodesySessionLog(home.path("settings.ini"), logFolder, clock, &error)) << error;
    std::string second = kBlock;
    second.replace(second.find("093015123"), 9, "093515123");
    EXPECT_EQ(home.readFile(name), kTitle + kBlock + second);
}

TEST_F(GeodesySessionLog, EmptySectionGivesLabelsAndNo)
{
    ASSERT_TRUE(WriteGeodesySessionLog(home.path("missing.ini"), logFolder, clock));
    const std::string text = home.readFile("VLT/2024-05-01/LOG/2024-05-01 Geodesy.txt");
    for (const char* line : {"\r\nSemi-Major Axis: \r\n", "\r\nName of Datum: \r\n", "\r\nUse DTP: No\r\n",
                             "\r\nX/Y/Z Rotation: , , \r\n", "\r\nX/Y/Z Shift: , , \r\n", "\r\nUse TM: No\r\n",
                             "\r\nCM: , Ref Lat: , SF: \r\n", "\r\nUse LCC: No\r\n", "\r\nFE: , FN: \r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    int lines = 0;
    for (char c : geodesySessionBlock(GeodesySettings{}, kStart)) lines += c == '\n';
    EXPECT_EQ(lines, 26);
}

// After midnight the log carries the new date but stays in the folder the caller gives (the
// start day's LOG folder).
TEST_F(GeodesySessionLog, DateChangeNamesTheFileByTheNewDay)
{
    clock.setLocal({2024, 5, 2, 0, 0, 1, 0});
    ASSERT_TRUE(WriteGeodesySessionLog(home.path("missing.ini"), logFolder, clock));
    const std::string text = home.readFile("VLT/2024-05-01/LOG/2024-05-02 Geodesy.txt");
    EXPECT_EQ(text.rfind("GEODETIC PARAMETERS LOG - 2024-05-02\r\n", 0), 0u);
    EXPECT_NE(text.find("=== SESSION START: 000001000 ===\r\n"), std::string::npos);
}

TEST_F(GeodesySessionLog, FailuresAreReportedNotThrownAndKeepEarlierSessions)
{
    std::string error;
    EXPECT_FALSE(WriteGeodesySessionLog(home.path("missing.ini"), home.path("no/such/LOG/"), clock, &error));
    EXPECT_NE(error.find("no/such/LOG/2024-05-01 Geodesy.txt"), std::string::npos) << error;

    // A log whose last line lacks its end gets one before the new block; nothing earlier is lost.
    home.writeFile("VLT/2024-05-01/LOG/2024-05-01 Geodesy.txt", "earlier session");
    ASSERT_TRUE(WriteGeodesySessionLog(home.path("missing.ini"), logFolder, clock, &error)) << error;
    const std::string text = home.readFile("VLT/2024-05-01/LOG/2024-05-01 Geodesy.txt");
    EXPECT_EQ(text.rfind("earlier session\r\n=== SESSION START: ", 0), 0u);
    EXPECT_EQ(geodesyLogFileName("/x/LOG", kStart), "/x/LOG/2024-05-01 Geodesy.txt");
}
