// Appends on a medium that fills: a record goes in whole or not at all, a cut that cannot be taken
// back is never glued to the next record, and the system's reason is kept for the report. Whether
// another program holds a file for itself, by either kind of lock.
#include "platform/AppendFile.h"

#include "support/ShortWrites.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <functional>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vsx {
namespace {

using test::ShortWrites;
using test::TempHome;

const std::string kBefore = "header\r\nfirst record\r\n";
const std::string kRecord = "second record,with fields\r\n";

TEST(AppendFile, ARecordGoesInWholeOrNotAtAll)
{
    struct Case {
        const char* name;
        long long room;        // bytes the medium still takes
        bool truncateFails;    // the cut cannot be taken back
        const char* expected;  // what the file holds after the write
        bool written;
    };
    const std::string whole = kBefore + kRecord;
    const std::string cut = kBefore + kRecord.substr(0, 9);
    const Case cases[] = {
        {"room enough", LLONG_MAX, false, whole.c_str(), true},
        {"room to the last byte", static_cast<long long>(kRecord.size()), false, whole.c_str(), true},
        {"full before the record", 0, false, kBefore.c_str(), false},
        {"full part way: taken back", 9, false, kBefore.c_str(), false},
        {"full one byte short: taken back", static_cast<long long>(kRecord.size()) - 1, false, kBefore.c_str(), false},
        {"full part way, the cut kept", 9, true, cut.c_str(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        home.writeFile("f.csv", kBefore);
        AppendFile f(home.path("f.csv"));
        ASSERT_TRUE(f.isOpen());
        {
            ShortWrites disk(c.room);
            disk.truncateFails = c.truncateFails;
            EXPECT_EQ(f.write(kRecord), c.written);
        }
        EXPECT_EQ(home.readFile("f.csv"), c.expected);
        if (!c.written) {
            EXPECT_EQ(f.error(), ENOSPC);
            EXPECT_EQ(f.errorText(), std::strerror(ENOSPC)) << "the system's own words, in its language";
        }
        // Room again: the next record starts on a line of its own, whatever the failure left.
        EXPECT_TRUE(f.write(kRecord));
        const std::string lineBefore = c.truncateFails ? std::string(c.expected) + "\r\n" : c.expected;
        EXPECT_EQ(home.readFile("f.csv"), lineBefore + kRecord);
    }
}

TEST(AppendFile, ACutLineIsEndedBeforeTheNextRecordUnlessTheRecordStartsALine)
{
    // A file cut by a crash in an earlier run (or a cut that could not be taken back).
    TempHome home;
    home.writeFile("raw.log", "$GPGGA,1\r\n$GPGGA,2,cu");
    EXPECT_TRUE(appendToFile(home.path("raw.log"), "$GPGGA,3\r\n"));
    EXPECT_EQ(home.readFile("raw.log"), "$GPGGA,1\r\n$GPGGA,2,cu\r\n$GPGGA,3\r\n");
    // The events log's entries begin with their own line end and have none after them.
    home.writeFile("events.log", "\r\nAuto Event:\t2024-05-01 134501123\tRealtime STARTED");
    AppendFile events(home.path("events.log"));
    EXPECT_TRUE(events.writeText("\nAuto Event:\t2024-05-01 134502000\tRealtime STOPPED"));
    EXPECT_EQ(home.readFile("events.log"),
              "\r\nAuto Event:\t2024-05-01 134501123\tRealtime STARTED\r\nAuto Event:\t2024-05-01 134502000\tRealtime STOPPED");
    // An empty file takes the record as it is.
    EXPECT_TRUE(appendToFile(home.path("new.csv"), "a,b\r\n"));
    EXPECT_EQ(home.readFile("new.csv"), "a,b\r\n");
}

TEST(AppendFile, SaysWhyItCannotOpenOrWrite)
{
    TempHome home;
    std::string reason;
    EXPECT_FALSE(appendToFile(home.path("no such folder/f.log"), "x\r\n", &reason));
    EXPECT_EQ(reason, std::strerror(ENOENT));
    AppendFile f;
    EXPECT_FALSE(f.write("x"));
    EXPECT_NE(f.error(), 0) << "a file never opened is not written";
    // The path is kept for another try.
    EXPECT_FALSE(f.open(home.path("later/f.log")));
    EXPECT_EQ(f.path(), home.path("later/f.log"));
}

TEST(AppendFile, KnowsAFileHeldByAnotherProgram)
{
    TempHome home;
    home.writeFile("s.csv", "");
    const std::string path = home.path("s.csv");
    {
        AppendFile f(path);
        ASSERT_TRUE(f.isOpen());
        EXPECT_FALSE(f.heldByAnotherProgram()) << "nobody holds it";
        // Until the record is written and the file closed, no program takes it for itself.
        const int other = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
        f.close();
        EXPECT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
        ::close(other);
    }

    struct Case {
        const char* name;
        std::function<bool(int fd)> lock;
        bool held;
    };
    auto recordLock = [](short type) {
        return [type](int fd) {
            struct flock l {};
            l.l_type = type;
            l.l_whence = SEEK_SET;
            return ::fcntl(fd, F_OFD_SETLK, &l) == 0;
        };
    };
    const Case cases[] = {
        {"an exclusive flock", [](int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }, true},
        {"a shared flock (a reader)", [](int fd) { return ::flock(fd, LOCK_SH | LOCK_NB) == 0; }, false},
        {"a record write lock", recordLock(F_WRLCK), true},
        {"a record read lock", recordLock(F_RDLCK), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int other = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(other, 0);
        ASSERT_TRUE(c.lock(other));
        EXPECT_EQ(AppendFile(path).heldByAnotherProgram(), c.held);
        ::close(other);
        EXPECT_FALSE(AppendFile(path).heldByAnotherProgram()) << "let go";
    }
}

} // namespace
} // namespace vsx
