#include "builder/InstallerScript.h"

#include <gtest/gtest.h>

#include <regex>

namespace tarn::builder {
namespace {

TEST(NsisEscaped, KeepsEveryTextAsTypedInsideAQuotedString) {
    const struct {
        std::string text;
        std::string runtime;
        std::string compileTimePath;
    } cases[] = {
        {"Orders", "Orders", "Orders"},
        {"Say \"hi\"", "Say $\\\"hi$\\\"", "Say $\\\"hi$\\\""},
        {"O'Neil `x`", "O$\\'Neil $\\`x$\\`", "O$\\'Neil $\\`x$\\`"},
        {"$INSTDIR costs $5", "$$INSTDIR costs $$5", "$INSTDIR costs $5"},
        {"a\r\nb\tc", "a$\\r$\\nb$\\tc", "a$\\r$\\nb$\\tc"},
        {"C:\\Tarn\\", "C:\\Tarn\\", "C:\\Tarn\\"},
        {"Café", "Café", "Café"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NsisEscaped(c.text), c.runtime) << c.text;
        EXPECT_EQ(NsisEscaped(c.text, NsisText::CompileTimePath), c.compileTimePath) << c.text;
    }
}

TEST(ScriptHeader, SevenLinesInOrderWithEveryValueQuotedAndEscaped) {
    InstallerHeader header{"My \"$ales\"", "C:\\Program Files\\Sales", "/opt/tarn bin/", "S$LE",
                           "Sales.cfg",    "/tmp/out/$etup.exe"};
    EXPECT_EQ(ScriptHeader(header),
              "NAME \"My $\\\"$$ales$\\\"\"\r\n"
              "InstallDir \"C:\\Program Files\\Sales\"\r\n"
              "!define VBFILESDIR \"/opt/tarn bin\"\r\n"
              "!define CREATORID \"S$$LE\"\r\n"
              "!define CONDUIT_TITLE \"My $\\\"$$ales$\\\"\"\r\n"
              "!define CONFIG_FILE \"Sales.cfg\"\r\n"
              "OutFile \"/tmp/out/$etup.exe\"\r\n");
}

TEST(ScriptTemplate, StartsWithTheCommentAndEndsEveryLineInCrLf) {
    const std::string& text = ScriptTemplate();
    EXPECT_EQ(text.rfind("\r\n;This is the start\r\n", 0), 0u);
    EXPECT_EQ(std::regex_search(text, std::regex("[^\r]\n")), false);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    // What a 64-bit installer on current Windows (and wine) runs.
    EXPECT_NE(text.find("\r\nTarget amd64-unicode\r\n"), std::string::npos);
}

// One UpgradeDLL line per runtime library, then the type library, the only entry not
// registered.
TEST(ScriptTemplate, InstallsTheTypeLibraryLastAndUnregistered) {
    const std::string& text = ScriptTemplate();
    std::size_t begin = text.find("Function InstallVBTools");
    std::size_t end = text.find("FunctionEnd", begin);
    ASSERT_NE(begin, std::string::npos);
    std::string body = text.substr(begin, end - begin);
    EXPECT_EQ(body.find("!define UPGRADEDLL_NOREGISTER\r\n"
                        "  !insertmacro UpgradeDLL \"${VBFILESDIR}\\TarnConduit2.tlb\" "
                        "\"$SYSDIR\\TarnConduit2.tlb\"\r\n"
                        "  !undef UPGRADEDLL_NOREGISTER\r\n"),
              body.rfind("!define UPGRADEDLL_NOREGISTER"));
    EXPECT_EQ(text.find("UPGRADEDLL_NOREGISTER\r\n", end), std::string::npos)
        << "defined beyond the type library's entry";
}

}  // namespace
}  // namespace tarn::builder
