#include "Vantel/Version.h"

#include <gtest/gtest.h>

#include <string>

TEST(Version, SymbolsNameTheFrameworkAndBuild)
{
    EXPECT_DOUBLE_EQ(VantelVersionNumber, 1.0);
    const std::string text(reinterpret_cast<const char*>(VantelVersionString));
    EXPECT_NE(text.find("PROGRAM:Vantel"), std::string::npos);
    EXPECT_NE(text.find("PROJECT:Vantel-1"), std::string::npos);
}
