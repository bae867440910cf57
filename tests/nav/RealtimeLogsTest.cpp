#include "nav/RealtimeLogs.h"

#include <gtest/gtest.h>

using namespace vsx;

TEST(RealtimeLogs, NamesAndRecords)
{
    const std::string L = "/home/u/VLT/2024-05-01/LOG/";
    EXPECT_EQ(SensorLogFileName(L, "2024-05-02", "starboard transducer"), L + "2024-05-02.STA.log");
    EXPECT_EQ(SensorLogFileName(L, "2024-05-02", "Tr"), L + "2024-05-02.TR.log");
    EXPECT_EQ(ExtraVesselGnssLogName(L, "2024-05-02", "Boat 2"), L + "2024-05-02 Boat 2_GNSS.log");
    EXPECT_EQ(ExtraVesselCoordinatesName(L, "2024-05-02", "../x/y"), L + "2024-05-02 .._x_y Coordinates.csv")
        << "a name never leaves the LOG folder";
    EXPECT_EQ(SafeFileNamePart("\xDD\xFE\xE7i"), "İşçi");
    EXPECT_EQ(ExtraVesselCoordinatesRecord({2024, 5, 1, 13, 45, 1, 123}, 41.5, 29.25, 412345.678, 4543210.1, 4),
              "2024-05-01 134501123,41.5000000000,29.2500000000,412345.68,4543210.10,4");
    EXPECT_EQ(StampedLogLine({2024, 5, 1, 3, 4, 5, 6}, "$GPGGA,x"), "2024-05-01 03:04:05.006 $GPGGA,x");
}
