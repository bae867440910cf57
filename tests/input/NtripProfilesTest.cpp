// The NTRIP window's saved profiles: naming, replacing and appending, the line an item stands
// for, the owner-only file mode, and the move from the old place.
#include "input/NtripProfiles.h"
#include "platform/AtomicFile.h"

#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace vsx;
using namespace vsx::test;

namespace {

unsigned modeOf(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? unsigned(st.st_mode & 0777) : 0u;
}

} // namespace

TEST(NtripProfiles, SavingReplacesTheSameCasterAndUserAndAppendsOthers)
{
    EXPECT_EQ(NtripProfileName("caster.example", "2101", ""), "caster.example:2101");
    EXPECT_EQ(NtripProfileName("caster.example", "2101", "ali"), "ali@caster.example:2101");

    TempHome home;
    const NtripProfilesFile file(home.path("profiles.txt"));
    EXPECT_TRUE(file.Names().empty());
    EXPECT_EQ(file.Save({"caster.example", "2101", "ali", "pw1", "41.0", "29.0"}), "ali@caster.example:2101");
    EXPECT_EQ(modeOf(file.path()), 0600u) << "the file holds passwords";
    EXPECT_EQ(file.Save({"caster.example", "2101", "veli", "pw2", "0.0", "0.0"}), "veli@caster.example:2101");
    EXPECT_EQ(file.Save({"caster.example", "2101", "ali", "pw3", "40.5", "28.5"}), "ali@caster.example:2101");
    EXPECT_EQ(file.Names(), (std::vector<std::string>{"ali@caster.example:2101", "veli@caster.example:2101"}));
    EXPECT_EQ(home.readFile("profiles.txt"),
              "ali@caster.example:2101\tcaster.example\t2101\tali\tpw3\t40.5\t28.5\r\n"
              "veli@caster.example:2101\tcaster.example\t2101\tveli\tpw2\t0.0\t0.0\r\n");

    // A file the user made readable by others keeps its mode.
    ::chmod(file.path().c_str(), 0644);
    file.Save({"other.example", "2102", "", "", "0", "0"});
    EXPECT_EQ(modeOf(file.path()), 0644u);
}

TEST(NtripProfiles, AnItemIsTheNthLineThatHoldsATab)
{
    TempHome home;
    // A blank line, a line without TAB and LF-only line ends between the profiles.
    home.writeFile("profiles.txt", "\r\nfirst\ta.example\t2101\tu1\tp1\t1.5\t2.5\r\njust a note\n\n"
                                   "second\tb.example\t2102\tu2\tp2\r\nshort\tc.example\t2103\r\n");
    const NtripProfilesFile file(home.path("profiles.txt"));
    EXPECT_EQ(file.Names(), (std::vector<std::string>{"first", "second", "short"}));
    EXPECT_EQ(file.Fields(0), (std::vector<std::string>{"first", "a.example", "2101", "u1", "p1", "1.5", "2.5"}));
    EXPECT_EQ(file.Fields(1), (std::vector<std::string>{"second", "b.example", "2102", "u2", "p2"}));
    EXPECT_EQ(file.Fields(2), (std::vector<std::string>{"short", "c.example", "2103"}));
    EXPECT_FALSE(file.Fields(3));
}

TEST(NtripProfiles, AnOldFileMovesOnlyWhenThereIsNoNewOne)
{
    TempHome home;
    home.writeFile("old/profiles.txt", "a\tx\t1\n");
    MoveOldProfiles(home.path("old/profiles.txt"), home.path("new/profiles.txt"));
    EXPECT_TRUE(home.readFile("new/profiles.txt").empty()) << "no folder to move it into: nothing happens";
    EXPECT_EQ(home.readFile("old/profiles.txt"), "a\tx\t1\n");

    home.writeFile("new/.keep", "");
    MoveOldProfiles(home.path("old/profiles.txt"), home.path("new/profiles.txt"));
    EXPECT_EQ(home.readFile("new/profiles.txt"), "a\tx\t1\r\n");
    EXPECT_EQ(modeOf(home.path("new/profiles.txt")), 0600u);
    std::string gone;
    EXPECT_FALSE(readFile(home.path("old/profiles.txt"), gone));

    home.writeFile("old/profiles.txt", "b\ty\t2\n");
    MoveOldProfiles(home.path("old/profiles.txt"), home.path("new/profiles.txt"));
    EXPECT_EQ(home.readFile("new/profiles.txt"), "a\tx\t1\r\n");
    EXPECT_EQ(home.readFile("old/profiles.txt"), "b\ty\t2\n") << "with both present the old one stays";
}
