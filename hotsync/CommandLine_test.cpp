// Every hotsync sub-command reads its options the same way and names what is wrong with them.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/RunProcess.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::hotsync {
namespace {

class HotSyncCommandLineTest : public ::testing::Test {
  protected:
    HotSyncCommandLineTest() {
        handheld_ = (machine_.root() / "handheld").string();
        std::filesystem::create_directories(handheld_);
        std::ofstream(machine_.root() / "file.txt") << "x";
    }
    test::ProcessResult HotSync(const std::vector<std::string>& args) {
        return test::RunProcess((test::BinDir() / "hotsync").string(), args);
    }
    std::string Absent() const { return (machine_.root() / "absent").string(); }
    std::string File() const { return (machine_.root() / "file.txt").string(); }

    test::TestEnvironment machine_;
    std::string handheld_;
};

TEST_F(HotSyncCommandLineTest, EveryHandheldCommandTakesTheFolderWithOrWithoutAnEqualsSign) {
    const std::vector<std::vector<std::string>> commands = {
        {"sync"}, {"sync", "--user", "Ann"}, {"sync", "--wait=0"}, {"databases"}, {"backups"}};
    for (const auto& command : commands) {
        for (bool joined : {false, true}) {
            std::vector<std::string> args = command;
            if (joined) {
                args.push_back("--handheld=" + handheld_);
            } else {
                args.push_back("--handheld");
                args.push_back(handheld_);
            }
            auto result = HotSync(args);
            EXPECT_EQ(result.exitCode, 0) << args[0] << " " << args[1] << "\n" << result.err;
        }
    }
}

TEST_F(HotSyncCommandLineTest, AUsageErrorNamesTheFaultOnOneLineAndExitsTwo) {
    const struct {
        std::vector<std::string> args;
        std::string firstLine;
    } cases[] = {
        {{"sync"}, "hotsync sync: --handheld DIR is required"},
        {{"sync", "--handheld", ""}, "hotsync sync: --handheld needs a folder, not an empty name"},
        {{"sync", "--handheld="}, "hotsync sync: --handheld needs a folder, not an empty name"},
        {{"sync", "--handheld"}, "hotsync sync: --handheld needs a value"},
        {{"sync", "--handheld", "h", "--handheld=h"},
         "hotsync sync: --handheld is given more than once"},
        {{"sync", "--handheld=h", "--dryrun"}, "hotsync sync: unknown option '--dryrun'"},
        {{"sync", "--handheld=h", "extra"}, "hotsync sync: unexpected argument 'extra'"},
        {{"sync", "--handheld=h", "--wait=soon"},
         "hotsync sync: --wait must be a number of seconds from 0 to 86400"},
        {{"sync", "--handheld=h", "--user="}, "hotsync sync: --user needs a name"},
        {{"sync", "--handheld=h", "--creator", ""}, "hotsync sync: --creator needs a Creator ID"},
        {{"databases", "--handheld", ""},
         "hotsync databases: --handheld needs a folder, not an empty name"},
        {{"dump", "--handheld=h"}, "hotsync dump: give exactly one database name"},
        {{"backups", "--handheld=h", "--generation=1"},
         "hotsync backups: unknown option '--generation'"},
        {{"restore", "--handheld=h"}, "hotsync restore: give exactly one database name"},
        {{"restore", "--handheld=h", "Db", "--generation=4"},
         "hotsync restore: --generation must be a number from 1 to 3"},
        {{"restore", "--handheld=h", "Db", "--wait", "-1"},
         "hotsync restore: --wait must be a number of seconds from 0 to 86400"},
        {{"regsvr"}, "hotsync regsvr: give exactly one library"},
        {{"regsvr", "-u", ""}, "hotsync regsvr: give exactly one library"},
        {{"regsvr", "-u=1", "lib.so"}, "hotsync regsvr: -u takes no value"},
        {{"configure", "--user=Ann"}, "hotsync configure: give exactly one creator ID"},
        {{"configure", "ABCD", "--user"}, "hotsync configure: --user needs a value"},
        {{"list", "--all"}, "hotsync list: unexpected argument '--all'"},
    };
    auto nothing = HotSync({});
    EXPECT_EQ(nothing.exitCode, 2);
    EXPECT_TRUE(nothing.err.starts_with("hotsync: missing command\nusage: hotsync COMMAND"))
        << nothing.err;
    auto unknown = HotSync({"--handheld=x"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.starts_with("hotsync: unknown command '--handheld=x'\nusage:"))
        << unknown.err;

    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        for (std::string& arg : args)
            if (arg == "h" || arg == "--handheld=h") arg.replace(arg.size() - 1, 1, handheld_);
        auto result = HotSync(args);
        EXPECT_EQ(result.exitCode, 2) << c.firstLine;
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')), c.firstLine);
        // The second and last line is the command's usage.
        EXPECT_EQ(result.err.find("usage: hotsync " + c.args[0]), c.firstLine.size() + 1)
            << result.err;
        EXPECT_EQ(result.out, "");
    }
}

TEST_F(HotSyncCommandLineTest, AFolderThatIsNotThereIsNamedAndFailsTheCommand) {
    for (const char* command : {"sync", "databases", "backups"}) {
        for (const std::string& folder : {Absent(), File()}) {
            auto result = HotSync({command, "--handheld=" + folder});
            EXPECT_EQ(result.exitCode, 1) << command;
            EXPECT_EQ(result.err,
                      std::string("hotsync ") + command + ": the handheld folder " + folder +
                          (folder == File() ? " is not a folder\n" : " does not exist\n"));
        }
    }
    auto restore = HotSync({"restore", "--handheld", Absent(), "Db"});
    EXPECT_EQ(restore.exitCode, 1);
    EXPECT_EQ(restore.err,
              "hotsync restore: the handheld folder " + Absent() + " does not exist\n");
}

}  // namespace
}  // namespace tarn::hotsync
