#include "Platform/Foundation/FileManager.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

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
