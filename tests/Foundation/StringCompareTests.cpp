#include "Platform/Foundation/StringCompare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace Foundation;

TEST(StringCompare, CanonicalEquivalenceIsCaseSensitive)
{
    EXPECT_TRUE(isCanonicallyEqual("caf\u00e9", "cafe\u0301"));
    EXPECT_FALSE(isCanonicallyEqual("Caf\u00e9", "caf\u00e9"));
    EXPECT_FALSE(isCanonicallyEqual("a", "b"));
}

TEST(StringCompare, CaseInsensitiveCompare)
{
    EXPECT_EQ(caseInsensitiveCompare("abc", "ABC"), ComparisonResult::orderedSame);
    EXPECT_EQ(caseInsensitiveCompare("abc", "ABD"), ComparisonResult::orderedAscending);
    EXPECT_EQ(caseInsensitiveCompare("b", "A"), ComparisonResult::orderedDescending);
}

TEST(StringCompare, LocalizedStandardOrderIsNaturalAndCaseBlind)
{
    std::vector<std::string> names{"file10", "file2", "File1", "a", "B"};
    std::sort(names.begin(), names.end(), [](const auto& x, const auto& y) {
        return localizedStandardCompare(x, y) == ComparisonResult::orderedAscending;
    });
    EXPECT_EQ(names, (std::vector<std::string>{"a", "B", "File1", "file2", "file10"}));
    EXPECT_EQ(localizedStandardCompare("x", "x"), ComparisonResult::orderedSame);
    EXPECT_NE(localizedStandardCompare("abc", "ABC"), ComparisonResult::orderedSame);
}

TEST(StringCompare, LocalizedCaseInsensitiveContains)
{
    EXPECT_TRUE(localizedCaseInsensitiveContains("Report.PDF", "pdf"));
    EXPECT_TRUE(localizedCaseInsensitiveContains("CAFE\u0301 menu", "caf\u00e9"));
    EXPECT_FALSE(localizedCaseInsensitiveContains("Report", "x"));
    EXPECT_FALSE(localizedCaseInsensitiveContains("Report", ""));
}
