#include "common/config/Scramble.h"

#include <gtest/gtest.h>

#include "text/Windows1252.h"

namespace tarn {
namespace {

TEST(Scramble, WalksTheKeyFromItsSecondLetterWithZeroBytesAsOrdinaryCharacters) {
    // 15 zero characters scramble to key positions 2,3,4,5,6,7,1,2,3,4,5,6,7,1,2 of "WAXBILL".
    const std::string zeros(15, '\0');
    EXPECT_EQ(ScrambleString(zeros), "AXBILLWAXBILLWA");
    EXPECT_EQ(DescrambleString("AXBILLWAXBILLWA"), zeros);
    EXPECT_EQ(ScrambleString(""), "");
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

}  // namespace
}  // namespace tarn
