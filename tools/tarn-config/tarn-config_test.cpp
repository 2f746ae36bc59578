#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "common/config/ConfigFile.h"
#include "common/config/Scramble.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"
#include "tools/tarn-config/ConfigJson.h"

namespace tarn {
namespace {

using test::ReadFileBytes;
using test::RunProcess;

std::string Tool() {
    return (test::BinDir() / "tarn-config").string();
}

// Counts are derived and missing keys are empty, 0 or false; texts are scrambled and stored in
// Windows-1252.
TEST(TarnConfig, WriteDerivesCountsAndFillsMissingKeys) {
    test::TempDir dir;
    auto result = RunProcess(Tool(), {"write", (dir / "x.cfg").string()},
                             R"({"IsConfigFile": true, "CreatorID": "Ab", "Version": "€",
                                 "Tables": [{"DesktopTableName": "T", "PalmDatabaseName": "P",
                                             "SyncMethod": 2, "PurgeBeforeSync": true,
                                             "Fields": [{"FieldName": "F", "DataType": 3}]}]})");
    ASSERT_EQ(result.exitCode, 0) << result.err;

    ConduitSettings s;
    s.IsConfigFile = true;
    s.FormatVersion = 2;
    s.CreatorID = ScrambleString("Ab");
    s.Version = "€";
    s.TableCount = 1;
    colTables tables;
    tables.Add("T", "P", 2, true)->Fields().Add("F", 3);
    ASSERT_TRUE(WriteConfigFile(dir / "expected.cfg", s, tables));
    EXPECT_EQ(ReadFileBytes(dir / "x.cfg"), ReadFileBytes(dir / "expected.cfg"));
}

TEST(TarnConfig, ShowThenWriteReproducesTheFileByteForByte) {
    test::TempDir dir;
    ConduitSettings s;
    s.IsConfigFile = true;
    s.FormatVersion = 2;
    s.CompanyName = ScrambleString("Tarn \"&\" Söhne\n");
    s.CreatorID = ScrambleString("TORD");
    s.DBPassword = ScrambleString("¿¨¾ with NULs when scrambled");
    s.AllowModifyDatabase = 7;
    s.Version = "2.0 ‰";
    colTables tables;
    auto t = tables.Add("Orders", "OrdersDB", 3, true);
    t->Fields().Add("Id", 3);
    t->Fields().Add("Région", 6, "Region");
    tables.Add("Empty", "EmptyDB", 6);
    s.TableCount = 2;
    ASSERT_TRUE(WriteConfigFile(dir / "orig.tcf", s, tables));

    auto shown = RunProcess(Tool(), {"show", (dir / "orig.tcf").string()});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    auto json = nlohmann::json::parse(shown.out);
    EXPECT_EQ(json["CompanyName"], "Tarn \"&\" Söhne\n");
    EXPECT_EQ(json["Tables"][0]["Fields"][1]["Filter"], "Region");
    EXPECT_EQ(json["AllowModifyDatabase"], 7);
    EXPECT_FALSE(json.contains("TableCount"));

    auto written = RunProcess(Tool(), {"write", (dir / "copy.tcf").string()}, shown.out);
    ASSERT_EQ(written.exitCode, 0) << written.err;
    EXPECT_EQ(ReadFileBytes(dir / "copy.tcf"), ReadFileBytes(dir / "orig.tcf"));
}

TEST(TarnConfig, BadInputGivesAMessageAndExitCodeOne) {
    test::TempDir dir;
    auto missing = RunProcess(Tool(), {"show", (dir / "none.cfg").string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("cannot read"), std::string::npos);
    EXPECT_TRUE(missing.out.empty());
    auto folder = RunProcess(Tool(), {"show", dir.path().string()});
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_EQ(folder.err, "tarn-config: cannot read " + dir.path().string() + ": it is a folder\n");

    for (const char* input :
         {"not json", "[1]", R"({"SyncMethod": "x", "Tables": 3})", R"({"FormatVersion": 70000})",
          R"({"Tables": [{"DesktopTableName": "A"}, {"DesktopTableName": "a"}]})"}) {
        auto result = RunProcess(Tool(), {"write", (dir / "bad.cfg").string()}, input);
        EXPECT_EQ(result.exitCode, 1) << input;
        EXPECT_FALSE(result.err.empty()) << input;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.cfg"));

    auto defaults = RunProcess(Tool(), {"write", (dir / "min.cfg").string()}, "{}");
    ASSERT_EQ(defaults.exitCode, 0);
    EXPECT_EQ(ReadFileBytes(dir / "min.cfg"), std::string("\0\0\x02\0", 4) + std::string(46, '\0'));
}

TEST(TarnConfig, AUsageErrorSaysWhatIsWrongAndExitsTwo) {
    const std::string usage =
        "usage: tarn-config show FILE      print the description as JSON\n"
        "       tarn-config write FILE     write the description read as JSON from stdin\n";
    const struct {
        std::vector<std::string> args;
        std::string why;
    } cases[] = {
        {{}, "missing command"},
        {{"print", "x.tcf"}, "unknown command 'print'"},
        {{"show"}, "show takes exactly one FILE"},
        {{"write", "a.tcf", "b.tcf"}, "write takes exactly one FILE"},
        {{"show", ""}, "show needs a file, not an empty name"},
        {{"show", "--file=x.tcf"}, "unknown option '--file=x.tcf'"},
    };
    for (const auto& c : cases) {
        auto result = RunProcess(Tool(), c.args);
        EXPECT_EQ(result.exitCode, 2) << c.why;
        EXPECT_EQ(result.err, "tarn-config: " + c.why + "\n" + usage);
        EXPECT_EQ(result.out, "");
    }
    auto help = RunProcess(Tool(), {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out, usage);
}

}  // namespace
}  // namespace tarn
