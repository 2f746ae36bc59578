#include "platform/odbc/Utf16.h"

#include <gtest/gtest.h>

namespace tarn::platform::odbc {
namespace {

std::string RoundTrip(const std::string& utf8) {
    std::vector<SQLWCHAR> wide = ToWide(utf8);
    EXPECT_EQ(wide.back(), 0);
    return ToUtf8(wide.data(), wide.size() - 1);
}

TEST(Utf16, TextSurvivesTheWayThroughUtf16) {
    for (std::string text : {"", "plain", "café € Straße", "日本語のテキスト", "a🙂b"})
        EXPECT_EQ(RoundTrip(text), text);
    EXPECT_EQ(ToWide("a🙂").size(), 4u);  // a, surrogate pair, terminator
}

TEST(Utf16, BrokenInputNeverVanishes) {
    // A lone Latin-1 byte is taken as that character, as the rest of the program does.
    EXPECT_EQ(RoundTrip("caf\xE9"), "café");
    const SQLWCHAR unpaired[] = {'x', 0xD83D, 'y', 0xDE42};
    EXPECT_EQ(ToUtf8(unpaired, 4), "x\uFFFDy\uFFFD");
    const SQLWCHAR cutPair[] = {'x', 0xD83D};
    EXPECT_EQ(ToUtf8(cutPair, 2), "x\uFFFD");
}

// Text is appended after what the string holds, ASCII runs of every length between other
// characters, as cells are read into a buffer kept from row to row.
TEST(Utf16, AppendingKeepsWhatCameBeforeAndEveryRun) {
    for (std::string text :
         {"x", "é", "ab€", "€ab", "a€b€€cd🙂", "🙂🙂", "abcdefghijklmnopq€"}) {
        std::vector<SQLWCHAR> wide = ToWide(text);
        std::string out = "kept ";
        AppendUtf8(wide.data(), wide.size() - 1, out);
        EXPECT_EQ(out, "kept " + text);
    }
}

}  // namespace
}  // namespace tarn::platform::odbc
