#include "platform/WriteFailureWatch.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

namespace vsx {
namespace {

using Kind = WriteChange::Kind;

// A run of writes to one file and what each one says.
TEST(WriteFailureWatch, SaysFailureOnceAndRecoveryOnce)
{
    struct Case {
        const char* name;
        std::vector<bool> writes;
        std::vector<Kind> said;
    };
    const Case cases[] = {
        {"always written", {true, true, true}, {Kind::None, Kind::None, Kind::None}},
        {"failing from the first record", {false, false, false}, {Kind::Failed, Kind::None, Kind::None}},
        {"a gap of failures", {true, false, false, true, true}, {Kind::None, Kind::Failed, Kind::None, Kind::Recovered, Kind::None}},
        {"failing again after a recovery", {false, true, false, true},
         {Kind::Failed, Kind::Recovered, Kind::Failed, Kind::Recovered}},
    };
    for (const Case& c : cases) {
        WriteFailureWatch watch;
        for (size_t i = 0; i < c.writes.size(); ++i)
            EXPECT_EQ(watch.Note("xyz", "/data/a.csv", c.writes[i], "No space left on device").kind, c.said[i])
                << c.name << ", write " << i;
    }
}

TEST(WriteFailureWatch, KeepsEachFileApartAndCarriesTheReason)
{
    WriteFailureWatch watch;
    const WriteChange csv = watch.Note("csv", "/data/s.csv", false, SystemReason(EACCES));
    EXPECT_EQ(csv.kind, Kind::Failed);
    EXPECT_EQ(csv.file, "/data/s.csv");
    EXPECT_FALSE(csv.reason.empty());
    // Another file failing is its own news; the first one's state is untouched.
    EXPECT_EQ(watch.Note("xyz", "/data/x.csv", false, "Is a directory").kind, Kind::Failed);
    EXPECT_EQ(watch.Note("xyz", "/data/x.csv", false, "Is a directory").kind, Kind::None);
    EXPECT_EQ(watch.Note("xyz", "/data/x.csv", false, "Is a directory").kind, Kind::None);
    const WriteChange back = watch.Note("xyz", "/data/x.csv", true);
    EXPECT_EQ(back.kind, Kind::Recovered);
    EXPECT_EQ(back.lost, 3) << "every write that failed is counted, the first one too";
    EXPECT_TRUE(watch.Failing("csv"));
    EXPECT_FALSE(watch.Failing("xyz"));
    // A failure without a known reason still says something.
    EXPECT_FALSE(watch.Note("raw", "/data/r.log", false).reason.empty());
    // A new run says a failure that goes on again.
    watch.Reset();
    EXPECT_EQ(watch.Note("csv", "/data/s.csv", false, "x").kind, Kind::Failed);
}

} // namespace
} // namespace vsx
