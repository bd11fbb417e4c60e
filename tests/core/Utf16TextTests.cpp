#include "core/Utf16Text.h"

#include <gtest/gtest.h>

namespace {

std::wstring Units(std::initializer_list<unsigned> units)
{
    std::wstring text;
    for (const unsigned unit : units)
        text.push_back(static_cast<wchar_t>(unit));
    return text;
}

TEST(Utf16Text, RoundTripsEveryUnitIncludingLoneAndPairedSurrogates)
{
    // A paired surrogate (U+1F600), a lone high and a lone low surrogate, NUL, and BMP text.
    const std::wstring text = Units({L'a', 0xD83D, 0xDE00, 0xD800, L'x', 0xDC00, 0, 0x00E8, 0xFFFF});
    const std::string bytes = utf16::EncodeLe(text);
    ASSERT_EQ(bytes.size(), text.size() * 2);
    EXPECT_EQ(bytes.substr(0, 6), std::string("a\0\x3D\xD8\x00\xDE", 6));
    EXPECT_EQ(utf16::DecodeLe(bytes), text);
}

TEST(Utf16Text, NeverWritesAByteOrderMarkButToleratesOneOnRead)
{
    EXPECT_EQ(utf16::EncodeLe(L"ab"), std::string("a\0b\0", 4));
    EXPECT_EQ(utf16::DecodeLe(std::string("\xFF\xFE" "a\0b\0", 6)), L"ab");
    // Only a leading mark is dropped; one in the middle is text.
    EXPECT_EQ(utf16::DecodeLe(std::string("a\0\xFF\xFE", 4)), Units({L'a', 0xFEFF}));
}

TEST(Utf16Text, TruncatedInputDropsTheOddByte)
{
    EXPECT_EQ(utf16::DecodeLe(std::string("a\0b", 3)), L"a");
    EXPECT_EQ(utf16::DecodeLe(std::string()), L"");
}

TEST(Utf16Text, Utf8JoinsPairsAndReplacesLoneSurrogates)
{
    EXPECT_EQ(utf16::ToUtf8(Units({0xD83D, 0xDE00})), "\xF0\x9F\x98\x80");
    EXPECT_EQ(utf16::ToUtf8(Units({0xD83D, L'a'})), "\xEF\xBF\xBD" "a");
    EXPECT_EQ(utf16::ToUtf8(Units({0xDE00})), "\xEF\xBF\xBD");
    EXPECT_EQ(utf16::ToUtf8(L"Errori \u00E8"), "Errori \xC3\xA8");
}

}  // namespace
