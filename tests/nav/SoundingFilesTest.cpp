// The survey file and the simple XYZ file when they cannot take a record: another program holding
// the survey file sends the record to the first alternative name it does not hold; any other cause
// (a full disk, a folder in the way) loses the record, makes no other file, and leaves the file
// holding whole records only, the next one going back into it.
#include "nav/SoundingFiles.h"

#include "support/ShortWrites.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace vsx;
using vsx::test::ShortWrites;
using vsx::test::TempHome;

namespace {

SoundingRecord recordOf(double raw)
{
    SoundingRecord r;
    r.time = {2024, 5, 1, 13, 45, 1, 123};
    r.rawHi = raw;
    r.trueHi = raw + 0.5;
    r.messageType = "NMEA DPT";
    return r;
}

// The files of the folder whose names begin with "2024-05-01 Coordinates".
std::vector<std::string> surveyFiles(const TempHome& home)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(home.path("LOG")))
        if (e.path().filename().string().rfind("2024-05-01 Coordinates", 0) == 0) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// An exclusive lock another program holds on a file while it lives.
struct HeldByAnotherProgram {
    explicit HeldByAnotherProgram(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644))
    {
        EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    }
    ~HeldByAnotherProgram() { ::close(fd); }
    int fd;
};

} // namespace

TEST(SoundingFiles, OnlyAFileHeldByAnotherProgramSendsRecordsElsewhere)
{
    const std::string header = std::string(kSurveyCsvHeader) + "\r\n";
    const std::string r1 = FormatSoundingRecord(recordOf(1)) + "\r\n";
    const std::string r2 = FormatSoundingRecord(recordOf(2)) + "\r\n";
    const std::string r3 = FormatSoundingRecord(recordOf(3)) + "\r\n";

    struct Case {
        const char* name;
        std::function<std::shared_ptr<void>(const TempHome&)> trouble;  // lasts while the result lives
        bool written;
        const char* fileName;  // the file that took record 2
        const char* error;     // why record 2 was not written
        std::vector<std::string> files;
    };
    auto held = [](const char* name) {
        return [name](const TempHome& home) -> std::shared_ptr<void> {
            return std::make_shared<HeldByAnotherProgram>(home.path(std::string("LOG/") + name));
        };
    };
    const Case cases[] = {
        {"held", held("2024-05-01 Coordinates.csv"), true, "2024-05-01 Coordinates_1.csv", "",
         {"2024-05-01 Coordinates.csv", "2024-05-01 Coordinates_1.csv"}},
        {"held, and its first alternative too",
         [&](const TempHome& home) -> std::shared_ptr<void> {
             auto a = held("2024-05-01 Coordinates.csv")(home);
             auto b = held("2024-05-01 Coordinates_1.csv")(home);
             return std::make_shared<std::pair<std::shared_ptr<void>, std::shared_ptr<void>>>(a, b);
         },
         true, "2024-05-01 Coordinates_2.csv", "",
         {"2024-05-01 Coordinates.csv", "2024-05-01 Coordinates_1.csv", "2024-05-01 Coordinates_2.csv"}},
        {"disk full", [](const TempHome&) { return std::make_shared<ShortWrites>(0); }, false, "",
         "No space left on device", {"2024-05-01 Coordinates.csv"}},
        {"disk full part way", [](const TempHome&) { return std::make_shared<ShortWrites>(40); }, false, "",
         "No space left on device", {"2024-05-01 Coordinates.csv"}},
        {"held on a full disk",
         [&](const TempHome& home) -> std::shared_ptr<void> {
             auto a = held("2024-05-01 Coordinates.csv")(home);
             return std::make_shared<std::pair<std::shared_ptr<void>, std::shared_ptr<void>>>(
                 a, std::make_shared<ShortWrites>(0));
         },
         false, "", "the file is held by another program", {"2024-05-01 Coordinates.csv"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        const std::string csv = home.path("LOG/2024-05-01 Coordinates.csv");
        ASSERT_TRUE(AppendSurveyCsvRecord(csv, recordOf(1)).written);
        CsvAppendResult res;
        {
            const std::shared_ptr<void> trouble = c.trouble(home);
            res = AppendSurveyCsvRecord(csv, recordOf(2));
        }
        EXPECT_EQ(res.written, c.written);
        EXPECT_EQ(res.fileName, c.written ? home.path(std::string("LOG/") + c.fileName) : "");
        if (!c.written) {
            EXPECT_EQ(res.error, c.error);
        }
        EXPECT_EQ(surveyFiles(home), c.files) << "no other file is made";
        // The trouble is over: the next record goes into the survey file, after the whole ones.
        const CsvAppendResult next = AppendSurveyCsvRecord(csv, recordOf(3));
        EXPECT_EQ(next.fileName, csv);
        EXPECT_EQ(home.readFile("LOG/2024-05-01 Coordinates.csv"), header + r1 + r3);
        if (c.written) {
            EXPECT_EQ(home.readFile(std::string("LOG/") + c.fileName), header + r2);
        }
    }
}

TEST(SoundingFiles, AFolderInTheWayLosesTheRecordWithoutAnotherFile)
{
    TempHome home;
    const std::string csv = home.path("LOG/2024-05-01 Coordinates.csv");
    std::filesystem::create_directories(csv);
    const CsvAppendResult res = AppendSurveyCsvRecord(csv, recordOf(5));
    EXPECT_FALSE(res.written);
    EXPECT_EQ(res.error, "Is a directory");
    EXPECT_EQ(surveyFiles(home), std::vector<std::string>{"2024-05-01 Coordinates.csv"});
}

TEST(SoundingFiles, ANewFileOnAFullDiskGetsHeaderAndRecordTogetherOrNeither)
{
    TempHome home;
    const std::string csv = home.path("LOG/2024-05-01 Coordinates.csv");
    const std::string xyz = home.path("XYZ/2024-05-01 Simple XYZ.csv");
    {
        ShortWrites disk(30);  // the header's first 30 bytes would fit
        const CsvAppendResult res = AppendSurveyCsvRecord(csv, recordOf(1));
        EXPECT_FALSE(res.written);
        EXPECT_FALSE(res.headerWritten);
        std::string error;
        disk.room = 20;
        EXPECT_FALSE(AppendSimpleXyzRecord(xyz, 412345.678, 4543210.125, -10.2, &error));
        EXPECT_EQ(error, "No space left on device");
    }
    EXPECT_EQ(home.readFile("LOG/2024-05-01 Coordinates.csv"), "");
    EXPECT_EQ(home.readFile("XYZ/2024-05-01 Simple XYZ.csv"), "");
    const CsvAppendResult res = AppendSurveyCsvRecord(csv, recordOf(2));
    EXPECT_TRUE(res.headerWritten) << "the file is still empty: the header comes first";
    EXPECT_EQ(home.readFile("LOG/2024-05-01 Coordinates.csv"),
              std::string(kSurveyCsvHeader) + "\r\n" + FormatSoundingRecord(recordOf(2)) + "\r\n");
    EXPECT_TRUE(AppendSimpleXyzRecord(xyz, 412345.678, 4543210.125, -10.2));
    EXPECT_EQ(home.readFile("XYZ/2024-05-01 Simple XYZ.csv"), "Easting,Northing,Elevation\r\n412345.68,4543210.13,-10.20\r\n");
}
