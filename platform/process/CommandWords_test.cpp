#include "platform/process/CommandWords.h"

#include <gtest/gtest.h>

namespace tarn::platform::process {
namespace {

using Words = std::vector<std::string>;

TEST(SplitCommandLine, QuotesGroupWordsAsAShellWould) {
    EXPECT_EQ(SplitCommandLine(R"(  "/opt/my tools/makensis"   '/tmp/a b.nsi' plain\ word "" )"),
              (Words{"/opt/my tools/makensis", "/tmp/a b.nsi", "plain word", ""}));
    EXPECT_EQ(SplitCommandLine(R"(a"b c"'d "e' "q\"x\\y\n")"), (Words{"ab cd \"e", R"(q"x\y\n)"}));
    EXPECT_EQ(SplitCommandLine(""), Words{});
}

TEST(SplitCommandLine, RefusesUnclosedQuotesAndATrailingBackslash) {
    EXPECT_FALSE(SplitCommandLine("run 'it"));
    EXPECT_FALSE(SplitCommandLine("run \"it"));
    EXPECT_FALSE(SplitCommandLine("run \"it\\\""));
    EXPECT_FALSE(SplitCommandLine("run it\\"));
}

}  // namespace
}  // namespace tarn::platform::process
