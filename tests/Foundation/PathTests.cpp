#include "Platform/Foundation/Path.h"

#include <gtest/gtest.h>

using namespace Foundation;

namespace {

struct PathCase {
    std::string path, last, parent, extension, withoutExtension;
};

class PathRules : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathRules, FollowThePlatform)
{
    const auto& c = GetParam();
    EXPECT_EQ(lastPathComponent(c.path), c.last);
    EXPECT_EQ(deletingLastPathComponent(c.path), c.parent);
    EXPECT_EQ(pathExtension(c.path), c.extension);
    EXPECT_EQ(deletingPathExtension(c.path), c.withoutExtension);
}

INSTANTIATE_TEST_SUITE_P(Table, PathRules, ::testing::Values(
    PathCase{"/a/b/x.rar", "x.rar", "/a/b", "rar", "/a/b/x"},
    PathCase{"/a/b/", "b", "/a", "", "/a/b"},
    PathCase{"/", "/", "/", "", "/"},
    PathCase{"/tmp", "tmp", "/", "", "/tmp"},
    PathCase{"x.rar", "x.rar", "", "rar", "x"},
    PathCase{"a.tar.gz", "a.tar.gz", "", "gz", "a.tar"},
    PathCase{"/h/.bashrc", ".bashrc", "/h", "", "/h/.bashrc"},
    PathCase{"scratch..tiff", "scratch..tiff", "", "tiff", "scratch."},
    PathCase{"/d.bundle/", "d.bundle", "/", "bundle", "/d"},
    PathCase{"", "", "", "", ""}));

TEST(PathRules, AppendingJoinsWithOneSlash)
{
    EXPECT_EQ(appendingPathComponent("/tmp", "x"), "/tmp/x");
    EXPECT_EQ(appendingPathComponent("/tmp/", "x"), "/tmp/x");
    EXPECT_EQ(appendingPathComponent("/", "x"), "/x");
    EXPECT_EQ(appendingPathComponent("", "x"), "x");
    EXPECT_EQ(appendingPathComponent("/tmp", "d/"), "/tmp/d");
    EXPECT_EQ(appendingPathExtension("/tmp/a.tar", "gz"), "/tmp/a.tar.gz");
}

TEST(FileURL, PathAndPercentEncodedText)
{
    URL file = URL::fileURLWithPath("/a b/ü#.txt", false);
    EXPECT_TRUE(file.isFileURL());
    EXPECT_EQ(file.path(), "/a b/ü#.txt");
    EXPECT_EQ(file.absoluteString(), "file:///a%20b/%C3%BC%23.txt");
    EXPECT_EQ(file.lastPathComponent(), "ü#.txt");
    EXPECT_EQ(URL::fileURLWithPath("/tmp/", true).absoluteString(), "file:///tmp/");
    EXPECT_EQ(file.deletingLastPathComponent().path(), "/a b");
    EXPECT_EQ(URL::fromString(file.absoluteString())->path(), file.path());
    auto web = URL::fromString("https://example.com/x/y.zip");
    ASSERT_TRUE(web);
    EXPECT_FALSE(web->isFileURL());
    EXPECT_EQ(web->lastPathComponent(), "y.zip");
    EXPECT_FALSE(URL::fromString("relative/path"));
}

} // namespace
