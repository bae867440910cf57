// What a save leaves behind when it is cut off, and what the next save clears away: only its own
// temporary files, and never one whose save is still going.
#include "platform/AtomicFile.h"

#include "support/TempHome.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

using namespace vsx;
using vsx::test::TempHome;

namespace {

std::set<std::string> filesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

} // namespace

TEST(AtomicFile, NextSaveRemovesWhatCutOffSavesLeftAndNothingElse)
{
    TempHome home;
    home.writeFile("d/precious.txt", "keep me");
    // Files a cut-off save of this or another drawing in the folder leaves behind.
    const char* stale[] = {"d/a.vltx.vsx-tmp-Ab12Z9", "d/2024-05-01 1200.vltx.vsx-tmp-xxxxxx"};
    for (const char* f : stale) home.writeFile(f, "half a drawi");
    // Files that only look alike, or that are not ours to remove.
    const char* others[] = {
        "d/a.vltx.vsx-tmp-abc12",    // five letters
        "d/a.vltx.vsx-tmp-abc1234",  // seven
        "d/a.vltx.vsx-tmp-abc-12",   // not a letter or digit
        "d/a.vltx.tmp-Ab12Z9",       // another program's pattern
        "d/.vsx-tmp-Ab12Z9",         // no target name
        "d/a.vltx.vsx-tmp-Ab12Z9.bak",
    };
    for (const char* f : others) home.writeFile(f, "x");
    std::filesystem::create_symlink(home.path("d/precious.txt"), home.path("d/b.vltx.vsx-tmp-LINK00"));
    std::filesystem::create_directory(home.path("d/c.vltx.vsx-tmp-DIR000"));

    // A save of another file in the folder that is still going holds its temporary file.
    AtomicFileWriter inProgress(home.path("d/busy.vltx"));
    ASSERT_TRUE(inProgress.isOpen());
    ASSERT_TRUE(inProgress.write("still writing"));

    ASSERT_TRUE(writeFileAtomically(home.path("d/a.vltx"), "new drawing"));
    const std::set<std::string> left = filesIn(home.path("d"));
    for (const char* f : stale) EXPECT_FALSE(left.count(std::filesystem::path(f).filename().string())) << f;
    for (const char* f : others) EXPECT_TRUE(left.count(std::filesystem::path(f).filename().string())) << f;
    EXPECT_TRUE(left.count("b.vltx.vsx-tmp-LINK00"));
    EXPECT_TRUE(left.count("c.vltx.vsx-tmp-DIR000"));
    EXPECT_EQ(home.readFile("d/precious.txt"), "keep me");
    EXPECT_EQ(home.readFile("d/a.vltx"), "new drawing");

    // The save that was going on finishes as if nothing had happened.
    ASSERT_TRUE(inProgress.write(", done"));
    ASSERT_TRUE(inProgress.commit()) << inProgress.error();
    EXPECT_EQ(home.readFile("d/busy.vltx"), "still writing, done");
    for (const std::string& name : filesIn(home.path("d")))
        EXPECT_FALSE(name.rfind("busy.vltx.vsx-tmp-", 0) == 0) << name;
}

TEST(AtomicFile, FailedWriteLeavesOldFileWhole)
{
    TempHome home;
    const std::string path = home.path("keep.dat");
    ASSERT_TRUE(writeFileAtomically(path, "old contents"));
    {
        AtomicFileWriter w(path);
        ASSERT_TRUE(w.write("half a new fi"));
        // Destroyed without commit: an interrupted save.
    }
    EXPECT_EQ(home.readFile("keep.dat"), "old contents");
    for (const std::string& name : filesIn(home.root())) EXPECT_EQ(name.find(kAtomicTempMarker), std::string::npos) << name;
    EXPECT_FALSE(writeFileAtomically(home.path("no/such/folder/x"), "x"));
    ASSERT_TRUE(writeFileAtomically(path, "new"));
    EXPECT_EQ(home.readFile("keep.dat"), "new");
}
