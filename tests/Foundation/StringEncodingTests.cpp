#include "Platform/Foundation/StringEncoding.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Foundation;

TEST(StringEncoding, ListEndsWithZeroAndHoldsTheCommonOnes)
{
    const auto& list = availableStringEncodings();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.back(), 0u);
    EXPECT_EQ(std::count(list.begin(), list.end(), 0u), 1);
    for (StringEncoding e : {Encoding::UTF8, Encoding::ShiftJIS, Encoding::DOSLatinUS, Encoding::GB18030}) {
        EXPECT_NE(std::find(list.begin(), list.end(), e), list.end()) << e;
        EXPECT_FALSE(localizedNameOfStringEncoding(e).empty()) << e;
    }
}

TEST(StringEncoding, DecodesLegacyBytes)
{
    // "日本" in Shift_JIS, and "é" / "░" in code page 437.
    EXPECT_EQ(decodeString("\x93\xfa\x96\x7b", Encoding::ShiftJIS), "日本");
    EXPECT_EQ(decodeString("caf\x82", Encoding::DOSLatinUS), "café");
    EXPECT_EQ(decodeString("\xb0", Encoding::DOSLatinUS), "░");
    EXPECT_EQ(decodeString("plain", Encoding::UTF8), "plain");
}

TEST(StringEncoding, InvalidBytesOrUnknownEncodingGiveNone)
{
    EXPECT_FALSE(decodeString("\x93", Encoding::ShiftJIS));
    EXPECT_FALSE(decodeString("\xff\xfe\xfd", Encoding::UTF8));
    EXPECT_FALSE(decodeString("abc", 0xdeadbeef));
    EXPECT_TRUE(isValidUTF8("日本"));
    EXPECT_FALSE(isValidUTF8("\xc3"));
}
