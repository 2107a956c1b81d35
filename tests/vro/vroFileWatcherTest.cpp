#include "vroFileWatcher.h"

#include "testFiles.h"

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

TEST(FileWatcher, EveryWayOfSavingIsSeenOncePerPollAndOtherFilesAreNot)
{
    TempDir dir;
    dir.write("a.fs", "1");
    vroFileWatcher watcher;
    const std::string a = dir.file("a.fs").string();
    const std::string b = dir.file("b.tracks").string();
    ASSERT_TRUE(watcher.watch(a));
    ASSERT_TRUE(watcher.watch(b)); // not there yet
    EXPECT_TRUE(watcher.poll().empty());

    dir.write("a.fs", "2");
    dir.write("a.fs", "3");
    dir.write("unwatched.fs", "x");
    EXPECT_EQ(watcher.poll(), std::vector<std::string>{a}) << "two saves in a row count once";
    EXPECT_TRUE(watcher.poll().empty());

    dir.write("b.tracks.tmp", "new");
    std::filesystem::rename(dir.file("b.tracks.tmp"), b);
    std::filesystem::remove(a);
    EXPECT_EQ(watcher.poll(), (std::vector<std::string>{a, b})) << "renamed over and removed";

    // More events than the system keeps between two polls: the save of a
    // watched file may be among those dropped.
    for (int i = 0; i < 9000; ++i)
        dir.write("other" + std::to_string(i), "");
    dir.write("a.fs", "4");
    const std::vector<std::string> changed = watcher.poll();
    EXPECT_EQ(std::count(changed.begin(), changed.end(), a), 1) << "the lost events count as saves";
}

TEST(FileWatcher, AFolderRemovedOrRenamedAwayIsWatchedAgainOnceItIsBack)
{
    TempDir dir;
    const std::filesystem::path folder = dir.file("shaders");
    std::filesystem::create_directory(folder);
    const std::string a = (folder / "a.fs").string();
    vroFileWatcher watcher;
    ASSERT_TRUE(watcher.watch(a));
    const std::vector<std::string> justA{a};

    testing::internal::CaptureStderr();
    std::filesystem::remove_all(folder);
    EXPECT_EQ(watcher.poll(), justA);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "watch: \"" + folder.string() + "\" is gone; its files are watched again when it is back\n");
    std::filesystem::create_directory(folder);
    dir.write("shaders/a.fs", "made again");
    EXPECT_EQ(watcher.poll(), justA);
    dir.write("shaders/a.fs", "saved");
    EXPECT_EQ(watcher.poll(), justA) << "the folder made again is watched";

    // Renamed away, the folder's saves are no longer those of the watched path.
    testing::internal::CaptureStderr();
    std::filesystem::rename(folder, dir.file("elsewhere"));
    EXPECT_EQ(watcher.poll(), justA);
    dir.write("elsewhere/a.fs", "saved elsewhere");
    EXPECT_TRUE(watcher.poll().empty());
    std::filesystem::rename(dir.file("elsewhere"), folder);
    EXPECT_EQ(watcher.poll(), justA);
    testing::internal::GetCapturedStderr();
    dir.write("shaders/a.fs", "saved again");
    EXPECT_EQ(watcher.poll(), justA);
}

// A folder made after the watch began, say a source folder's shaders/.
TEST(FileWatcher, AFolderNotMadeYetIsNamedOnceAndWatchedWhenItIsMade)
{
    TempDir dir;
    const std::string a = dir.file("later/a.fs").string(), b = dir.file("later/b.fs").string();
    vroFileWatcher watcher;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(watcher.watch(a));
    EXPECT_TRUE(watcher.watch(b));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "watch: no folder \"" + dir.file("later").string() + "\" yet; its files are watched once it is made\n");
    EXPECT_TRUE(watcher.poll().empty());
    std::filesystem::create_directory(dir.file("later"));
    dir.write("later/a.fs", "made");
    EXPECT_EQ(watcher.poll(), (std::vector<std::string>{a, b}));
    dir.write("later/b.fs", "saved");
    EXPECT_EQ(watcher.poll(), std::vector<std::string>{b});

    // A file on the way to the folder: it can never be made there.
    dir.write("plain", "");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(watcher.watch(dir.file("plain/sub/x.fs").string()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "watch: cannot watch \"" + dir.file("plain/sub").string() + "\": Not a directory\n");
}

} // namespace
