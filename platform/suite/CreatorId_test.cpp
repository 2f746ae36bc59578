#include "platform/suite/CreatorId.h"

#include <gtest/gtest.h>

#include "platform/Error.h"

namespace tarn::platform {
namespace {

// Four Windows-1252 characters, four bytes: ä is one byte (E4), € too (80).
TEST(CreatorId, TextIsFourBytesBigEndian) {
    for (const auto& [text, number] :
         std::vector<std::pair<std::string, uint32_t>>{{"ABCD", 0x41424344u},
                                                       {"date", 0x64617465u},
                                                       {"T\xC3\xA4rn", 0x54E4726Eu},
                                                       {"\xE2\x82\xAC"
                                                        "abc",
                                                        0x80616263u}}) {
        EXPECT_EQ(CreatorIdToNumber(text), number) << text;
        EXPECT_EQ(CreatorIdToText(number), text);
    }
}

TEST(CreatorId, OtherLengthsAndForeignCharactersAreRefused) {
    for (const char* bad : {"", "ABC", "ABCDE",
                            "\xE4\xB8\xAD"
                            "ABC"})
        EXPECT_THROW(CreatorIdToNumber(bad), PlatformError) << bad;
}

}  // namespace
}  // namespace tarn::platform
