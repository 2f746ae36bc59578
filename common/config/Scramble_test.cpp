#include "common/config/Scramble.h"

#include <gtest/gtest.h>

#include "text/Windows1252.h"

namespace tarn {
namespace {

TEST(Scramble, WalksTheKeyFromItsSecondLetter) {
    // 15 characters use key positions 2,3,4,5,6,7,1,2,3,4,5,6,7,1,2 of "WAXBILL".
    const std::string plain(15, '\x01');
    const std::string key = "AXBILLWAXBILLWA";
    std::string expected;
    for (char k : key) expected += static_cast<char>(k + 1);
    EXPECT_EQ(ScrambleString(plain), expected);
    EXPECT_EQ(DescrambleString(expected), plain);
}

TEST(Scramble, WrapsAroundAndRoundTripsEveryByte) {
    // 'ÿ' (255) + 'A' (65) wraps to 64 '@'.
    EXPECT_EQ(ScrambleString("ÿ"), "@");
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    std::string plain = text::FromAnsi(all);
    std::string scrambled = ScrambleString(plain);
    EXPECT_EQ(text::ToAnsi(scrambled).size(), 256u);
    EXPECT_EQ(DescrambleString(scrambled), plain);
}

TEST(Scramble, ZeroBytesAreOrdinaryCharacters) {
    // Each letter minus its own key letter is 0.
    std::string withZero = DescrambleString("AXB");
    EXPECT_EQ(withZero, std::string("\0\0\0", 3));
    EXPECT_EQ(ScrambleString(withZero), "AXB");
    EXPECT_EQ(ScrambleString(""), "");
}

}  // namespace
}  // namespace tarn
