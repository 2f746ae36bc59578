#include "platform/suite/CreatorId.h"

#include <gtest/gtest.h>

#include "platform/Error.h"

namespace tarn::platform {
namespace {

TEST(CreatorId, TextIsFourBytesBigEndian) {
    EXPECT_EQ(CreatorIdToNumber("ABCD"), 0x41424344u);
    EXPECT_EQ(CreatorIdToText(0x41424344u), "ABCD");
    EXPECT_EQ(CreatorIdToNumber("date"), 0x64617465u);
}

TEST(CreatorId, AnsiCharactersRoundTrip) {
    // ä is one Windows-1252 byte (E4), € too (80): four characters, four bytes.
    EXPECT_EQ(CreatorIdToNumber("T\xC3\xA4rn"), 0x54E4726Eu);
    EXPECT_EQ(CreatorIdToText(0x54E4726Eu), "T\xC3\xA4rn");
    EXPECT_EQ(CreatorIdToText(CreatorIdToNumber("\xE2\x82\xAC"
                                                "abc")),
              "\xE2\x82\xAC"
              "abc");
}

TEST(CreatorId, OtherLengthsAndForeignCharactersAreRefused) {
    for (const char* bad : {"", "ABC", "ABCDE",
                            "\xE4\xB8\xAD"
                            "ABC"})
        EXPECT_THROW(CreatorIdToNumber(bad), PlatformError) << bad;
}

}  // namespace
}  // namespace tarn::platform
