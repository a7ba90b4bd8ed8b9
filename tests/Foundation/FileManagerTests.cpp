#include "Platform/Foundation/FileManager.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FM = Foundation::FileManager;

namespace {

std::string scratch(const std::string& name)
{
    return std::string(std::getenv("TMPDIR")) + "/" + name;
}

void expectPosix(const Foundation::ErrorPtr& error, int code, const std::string& path)
{
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), Foundation::NSPOSIXErrorDomain);
    EXPECT_EQ(error->code(), code);
    EXPECT_EQ(error->stringForKey(Foundation::NSFilePathErrorKey), path);
}

} // namespace

TEST(FileManager, CreateMoveCopyListRemove)
{
    const std::string root = scratch("fm");
    EXPECT_FALSE(FM::createDirectory(root + "/a/b", true));
    EXPECT_FALSE(FM::createDirectory(root + "/a/b", true));
    expectPosix(FM::createDirectory(root + "/x/y", false), ENOENT, root + "/x/y");
    std::ofstream(root + "/a/b/.hidden") << "h";
    std::ofstream(root + "/a/file") << "f";

    bool isDir = false;
    EXPECT_TRUE(FM::fileExists(root + "/a", &isDir) && isDir);
    EXPECT_TRUE(FM::fileExists(root + "/a/file", &isDir) && !isDir);
    EXPECT_FALSE(FM::fileExists(root + "/none", &isDir));

    auto children = FM::contentsOfDirectory(root + "/a");
    ASSERT_TRUE(children.isSuccess());
    EXPECT_EQ(children.value(), (std::vector<std::string>{"b", "file"}));
    EXPECT_EQ(FM::contentsOfDirectory(root + "/a/b").value(), (std::vector<std::string>{".hidden"}));
    EXPECT_TRUE(FM::contentsOfDirectory(root + "/none").isFailure());

    EXPECT_FALSE(FM::copyItem(root + "/a", root + "/c"));
    EXPECT_TRUE(FM::fileExists(root + "/c/b/.hidden"));
    expectPosix(FM::copyItem(root + "/a", root + "/c"), EEXIST, root + "/c");
    EXPECT_FALSE(FM::moveItem(root + "/c", root + "/d"));
    EXPECT_FALSE(FM::fileExists(root + "/c"));
    expectPosix(FM::moveItem(root + "/c", root + "/e"), ENOENT, root + "/c");

    EXPECT_FALSE(FM::removeItem(root + "/d"));
    EXPECT_FALSE(FM::fileExists(root + "/d"));
    expectPosix(FM::removeItem(root + "/d"), ENOENT, root + "/d");
}

TEST(FileManager, ItemReplacementFolderIsPrivateAndCanBeMadeUnobtainable)
{
    auto folder = FM::urlForDirectory(FM::SearchPathDirectory::itemReplacementDirectory);
    ASSERT_TRUE(folder.isSuccess());
    EXPECT_EQ(folder.value().path(),
              std::string(std::getenv("XDG_CACHE_HOME")) + "/7QXK3LM2PA.com.tarnu.Kelvora/TemporaryItems");
    struct stat st;
    ASSERT_EQ(::stat(folder.value().path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    FM::setItemReplacementDirectoryUnobtainable(true);
    EXPECT_TRUE(FM::urlForDirectory(FM::SearchPathDirectory::itemReplacementDirectory).isFailure());
    FM::setItemReplacementDirectoryUnobtainable(false);
    EXPECT_TRUE(FM::urlForDirectory(FM::SearchPathDirectory::itemReplacementDirectory).isSuccess());
    EXPECT_EQ(FM::temporaryDirectory(), std::getenv("TMPDIR"));
}

namespace {

// Sets an item's access and modification times (of a link itself, not its target).
void setTimes(const std::string& path, time_t accessed, time_t modified)
{
    const timespec times[2] = {{accessed, 250000000}, {modified, 750000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

struct stat lstatOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

} // namespace

TEST(FileManager, CopyKeepsTimesAndPermissionsOfEveryItemAndLinksAsLinks)
{
    const std::string root = scratch("fm-dates");
    const std::string source = root + "/source";
    ASSERT_FALSE(FM::createDirectory(source + "/sub/locked", true));
    std::ofstream(source + "/script.sh") << "#!/bin/sh\n";
    std::ofstream(source + "/sub/notes.txt") << "notes";
    std::ofstream(source + "/sub/locked/inside.txt") << "inside";
    ASSERT_EQ(::symlink("../script.sh", (source + "/sub/link").c_str()), 0);

    struct Item {
        std::string path;
        mode_t mode; // 0 for the link, whose mode is not its own
        time_t accessed;
        time_t modified;
    };
    // 2001, 2002, … : far from when the test runs. Children first, since
    // making a child touches its folder's times.
    const std::vector<Item> items = {
        {"/script.sh", 0750, 978307200, 978393600},
        {"/sub/notes.txt", 0604, 1009843200, 1009929600},
        {"/sub/locked/inside.txt", 0400, 1041379200, 1041465600},
        {"/sub/link", 0, 1072915200, 1073001600},
        {"/sub/locked", 0555, 1104537600, 1104624000},
        {"/sub", 0710, 1136073600, 1136160000},
        {"", 0755, 1167609600, 1167696000},
    };
    for (const Item& item : items) {
        if (item.mode) {
            ASSERT_EQ(::chmod((source + item.path).c_str(), item.mode), 0);
        }
        setTimes(source + item.path, item.accessed, item.modified);
    }

    const std::string copy = root + "/copy";
    ASSERT_FALSE(FM::copyItem(source, copy));
    for (const Item& item : items) {
        SCOPED_TRACE(item.path);
        const struct stat st = lstatOf(copy + item.path);
        EXPECT_EQ(st.st_mtim.tv_sec, item.modified);
        EXPECT_EQ(st.st_mtim.tv_nsec, 750000000);
        EXPECT_EQ(st.st_atim.tv_sec, item.accessed);
        if (item.mode) {
            EXPECT_EQ(st.st_mode & 07777, item.mode);
        }
    }
    EXPECT_TRUE(S_ISLNK(lstatOf(copy + "/sub/link").st_mode));
    char target[64] = {};
    ASSERT_GT(::readlink((copy + "/sub/link").c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "../script.sh");

    // A link given as the item is copied as the link, with its own times.
    ASSERT_FALSE(FM::copyItem(source + "/sub/link", root + "/link"));
    EXPECT_TRUE(S_ISLNK(lstatOf(root + "/link").st_mode));
    EXPECT_EQ(lstatOf(root + "/link").st_mtim.tv_sec, 1073001600);

    // A copy with a read-only folder inside can still be removed, as the
    // action programs remove theirs.
    EXPECT_FALSE(FM::removeItem(copy));
    EXPECT_FALSE(FM::fileExists(copy));
    EXPECT_FALSE(FM::removeItem(source));
}
