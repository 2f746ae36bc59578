#include "text/Windows1252.h"

#include <gtest/gtest.h>

namespace tarn::text {
namespace {

TEST(Windows1252, EveryByteSurvivesTheRoundTripThroughMemory) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    std::string utf8 = FromAnsi(all);
    EXPECT_EQ(ToAnsi(utf8), all);
}

TEST(Windows1252, MapsTheHighControlRangeLikeWindows) {
    EXPECT_EQ(FromAnsi("\x80"), "€");
    EXPECT_EQ(FromAnsi("\x9F"), "Ÿ");
    EXPECT_EQ(FromAnsi("\xE9"), "é");
    EXPECT_EQ(ToAnsi("€é"), "\x80\xE9");
    EXPECT_EQ(ToAnsi("日本"), "??");
}

TEST(Windows1252, MalformedUtf8IsKeptAsLatin1Bytes) {
    EXPECT_EQ(ToAnsi("a\xE9z"), "a\xE9z");
    EXPECT_EQ(ToAnsi(std::string("\0x", 2)), std::string("\0x", 2));
}

TEST(Windows1252, CaseFoldingCoversTheWholeRepertoire) {
    EXPECT_TRUE(EqualsIgnoreCase("Orders", "oRDERS"));
    EXPECT_TRUE(EqualsIgnoreCase("ÉTÉ", "été"));
    EXPECT_TRUE(EqualsIgnoreCase("ŠŒŽŸ", "šœžÿ"));
    EXPECT_TRUE(EqualsIgnoreCase("ÀÞ", "àþ"));
    EXPECT_FALSE(EqualsIgnoreCase("×", "÷"));  // not a letter pair
    EXPECT_FALSE(EqualsIgnoreCase("e", "é"));
    EXPECT_FALSE(EqualsIgnoreCase("ab", "abc"));
    EXPECT_EQ(ToUpper("Café straße ÿ"), "CAFÉ STRAßE Ÿ");  // ß has no one-letter capital
}

// ASCII runs of any length, at the start, between and after other characters.
TEST(Windows1252, AsciiRunsAroundOtherCharactersKeepTheirPlace) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"\xE9", "é"},
        {"a\xE9", "aé"},
        {"\xE9z", "éz"},
        {"ab\x80\x80"
         "cd\xE9",
         "ab€€cdé"},
        {std::string("x\0y", 3), std::string("x\0y", 3)},
    };
    for (const auto& [ansi, utf8] : cases) {
        EXPECT_EQ(FromAnsi(ansi), utf8);
        EXPECT_EQ(ToAnsi(utf8), ansi);
    }
}

}  // namespace
}  // namespace tarn::text
