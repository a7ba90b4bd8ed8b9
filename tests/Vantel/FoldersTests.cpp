#include "Vantel/FileUtils.h"
#include "Vantel/URLFolders.h"

#include "Platform/Foundation/FileManager.h"

#include <gtest/gtest.h>

#include <QDir>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

namespace FM = Foundation::FileManager;
using Vantel::FileUtils;

namespace {

std::string env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

// Points an environment variable elsewhere for one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name), old_(env(name)) { setenv(name, value.c_str(), 1); }
    ~ScopedEnv() { setenv(name_, old_.c_str(), 1); }

private:
    const char* name_;
    std::string old_;
};

void writeFile(const std::string& path)
{
    std::ofstream(path) << "x";
}

struct FolderCase {
    std::vector<std::string> paths;
    std::optional<std::string> result;
};

void PrintTo(const FolderCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(c.paths);
}

class GetFolderPath : public ::testing::TestWithParam<FolderCase> {};

TEST_P(GetFolderPath, GivesTheCommonParent)
{
    EXPECT_EQ(FileUtils::getFolderPath(GetParam().paths), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(Table, GetFolderPath, ::testing::Values(
    FolderCase{{}, std::nullopt},
    FolderCase{{"/a/b/x.rar"}, "/a/b"},
    FolderCase{{"/a/b/x.part1.rar", "/a/b/x.part2.rar"}, "/a/b"},
    FolderCase{{"/a/b/x", "/a/c/y"}, std::nullopt},
    FolderCase{{"/a/b/x", "/a/c/y", "/a/b/z"}, std::nullopt},
    FolderCase{{"x.rar"}, ""},
    FolderCase{{"/a/b/"}, "/a"},
    FolderCase{{"/x"}, "/"},
    FolderCase{{"/"}, "/"},
    FolderCase{{"/caf\u00e9/x", "/cafe\u0301/y"}, "/caf\u00e9"},
    FolderCase{{"/a/B/x", "/a/b/y"}, std::nullopt},
    FolderCase{{"/a/./x", "/a/y"}, std::nullopt}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(URLFolders, UserFoldersAreMadeInTheSandbox)
{
    const std::string home = QDir::homePath().toStdString();
    auto docs = Vantel::documents();
    ASSERT_TRUE(docs);
    EXPECT_EQ(docs->path(), home + "/Documents");
    EXPECT_TRUE(docs->hasDirectoryPath());
    bool isDir = false;
    EXPECT_TRUE(FM::fileExists(docs->path(), &isDir) && isDir);

    ASSERT_TRUE(Vantel::library());
    EXPECT_EQ(Vantel::library()->path(), env("XDG_DATA_HOME"));
    ASSERT_TRUE(Vantel::applicationSupport());
    EXPECT_EQ(Vantel::applicationSupport()->path(), env("XDG_DATA_HOME"));
}

TEST(URLFolders, UserFolderThatCannotBeMadeIsAbsent)
{
    const std::string blocker = env("TMPDIR") + "/not-a-folder";
    writeFile(blocker);
    ScopedEnv data("XDG_DATA_HOME", blocker + "/share");
    EXPECT_FALSE(Vantel::library());
    EXPECT_FALSE(Vantel::applicationSupport());
}

TEST(URLFolders, TempIsTheSharedItemReplacementFolderWithOwnerOnlyAccess)
{
    auto temp = Vantel::temp(std::nullopt);
    ASSERT_TRUE(temp.isSuccess());
    EXPECT_EQ(temp.value().path(), env("XDG_CACHE_HOME") + "/7QXK3LM2PA.com.tarnu.Kelvora/TemporaryItems");
    struct stat st;
    ASSERT_EQ(::stat(temp.value().path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(Vantel::temp(std::nullopt).value(), temp.value());
}

class TempFallback : public ::testing::Test {
protected:
    void SetUp() override { writeFile(env("TMPDIR") + "/cache-file"); }
    ScopedEnv cache_{"XDG_CACHE_HOME", env("TMPDIR") + "/cache-file"};
};

TEST_F(TempFallback, UsesTheExistingTemporaryFolder)
{
    auto temp = Vantel::temp(std::nullopt);
    ASSERT_TRUE(temp.isSuccess());
    EXPECT_EQ(temp.value().path(), env("TMPDIR"));
}

TEST_F(TempFallback, CreatesAMissingTemporaryFolderWithItsParents)
{
    const std::string missing = env("TMPDIR") + "/gone/deeper";
    ScopedEnv tmp("TMPDIR", missing);
    auto temp = Vantel::temp(std::nullopt);
    ASSERT_TRUE(temp.isSuccess());
    EXPECT_EQ(temp.value().path(), missing);
    bool isDir = false;
    EXPECT_TRUE(FM::fileExists(missing, &isDir) && isDir);
}

TEST_F(TempFallback, TemporaryPathThatIsAFileFailsWithTheCreationError)
{
    const std::string file = env("TMPDIR") + "/tmp-file";
    writeFile(file);
    ScopedEnv tmp("TMPDIR", file);
    auto temp = Vantel::temp(std::nullopt);
    ASSERT_TRUE(temp.isFailure());
    EXPECT_EQ(temp.error()->domain(), Foundation::NSPOSIXErrorDomain);
    EXPECT_EQ(temp.error()->code(), EEXIST);
    EXPECT_EQ(temp.error()->stringForKey(Foundation::NSFilePathErrorKey), file);
}

} // namespace
