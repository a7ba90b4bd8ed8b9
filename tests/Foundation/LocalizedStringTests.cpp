#include "Platform/Foundation/LocalizedString.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace Foundation;

TEST(LocalizedString, LooksUpTheKeyInItsTable)
{
    EXPECT_EQ(localizedString("GREETING", "TestStrings"), "Hello, “%@”!");
    // The key of one table is not found through another one.
    EXPECT_EQ(localizedString("GREETING", "TestPlurals"), "GREETING");
    EXPECT_EQ(localizedString("GREETING"), "GREETING");
    EXPECT_EQ(localizedString("NO SUCH KEY", "TestStrings"), "NO SUCH KEY");
    EXPECT_EQ(localizedString("GREETING", "TestStrings", "other bundle"), "GREETING");
}

TEST(LocalizedString, PluralFormFollowsTheCount)
{
    EXPECT_EQ(localizedStringWithCount("%ld files", 1, "TestPlurals"), "1 file");
    EXPECT_EQ(localizedStringWithCount("%ld files", 0, "TestPlurals"), "0 files");
    EXPECT_EQ(localizedStringWithCount("%ld files", 2, "TestPlurals"), "2 files");
    EXPECT_EQ(localizedStringWithCount("%ld files", 5'000'000'000, "TestPlurals"), "5000000000 files");
    EXPECT_EQ(localizedStringWithCount("%ld missing", 3, "TestPlurals"), "3 missing");
}

TEST(LocalizedString, FormatKeepsArgumentsInOrder)
{
    EXPECT_EQ(format(localizedString("GREETING", "TestStrings"), {"a.zip"}), "Hello, “a.zip”!");
    EXPECT_EQ(format(localizedString("MOVED", "TestStrings"), {"/dest", "a.zip"}), "“a.zip” was moved to “/dest”.");
    EXPECT_EQ(format("%@ and %@", {"x", "y"}), "x and y");
    EXPECT_EQ(format("100%% of %@", {"%@"}), "100% of %@");
    EXPECT_EQ(format("%@ %@", {"only"}), "only ");
    EXPECT_EQ(format("trailing %", {}), "trailing %");
}

TEST(LocalizedString, FirstUseFromSeveralThreads)
{
    std::vector<std::string> seen(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = localizedStringWithCount("%ld files", 1, "TestPlurals"); });
    for (auto& t : threads)
        t.join();
    for (const auto& s : seen)
        EXPECT_EQ(s, "1 file");
}
