// The host, the register tool and the conduit library together, as a user drives them.
#include <gtest/gtest.h>

#include "common/config/ConfigFile.h"
#include "common/config/Scramble.h"
#include "platform/odbc/OdbcEnvironment.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::hotsync {
namespace {

using test::RunProcess;

std::string Bin(const char* program) {
    return (test::BinDir() / program).string();
}

class HotSyncTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = machine_.root() / "my conduits";
        handheld_ = machine_.root() / "handheld";
        std::filesystem::create_directories(folder_);
        std::filesystem::create_directories(handheld_);
        auto db = platform::odbc::OpenOdbcEnvironment()->Connect(
            "DRIVER={SQLite3};Database=" + (machine_.root() / "desk.db").string());
        db->Execute("CREATE TABLE Items (Id INTEGER, Name TEXT)");
        db->Execute("INSERT INTO Items VALUES (1, 'one'), (2, 'two')");

        ConduitSettings s;
        s.ConduitTitle = ScrambleString("Items Conduit");
        s.CreatorID = ScrambleString("ITEM");
        s.DBDriver = ScrambleString("SQLite3");
        s.DBDatabase = ScrambleString((machine_.root() / "desk.db").string());
        colTables tables;
        auto t = tables.Add("Items", "ItemsDB", 0);
        t->Fields().Add("Id", 3);
        t->Fields().Add("Name", 6);
        s.TableCount = 1;
        config_ = folder_ / "items conduit.cfg";
        ASSERT_TRUE(WriteConfigFile(config_.string(), s, tables));
    }

    test::ProcessResult HotSync(const std::vector<std::string>& args) {
        return RunProcess(Bin("hotsync"), args);
    }

    test::TestEnvironment machine_;
    std::filesystem::path folder_, handheld_, config_;
};

TEST_F(HotSyncTest, RegisterSyncAndUnregisterFromTheCommandLine) {
    ASSERT_EQ(HotSync({"regsvr", Bin("libTarnConduit2.so")}).exitCode, 0);
    auto registered = RunProcess(Bin("TarnCReg"), {"-R", config_.string()});
    ASSERT_EQ(registered.exitCode, 0) << registered.err;
    auto list = HotSync({"list"});
    EXPECT_EQ(list.out,
              "ITEM\tItems Conduit\t2\tTarnConduit2.cTarnConduit\t" + config_.string() + "\n");

    auto sync = HotSync({"sync", "--handheld", handheld_.string(), "--user", "Ann"});
    ASSERT_EQ(sync.exitCode, 0) << sync.err;
    // The log as written, closed by its summary line, then the host's summary.
    const std::string log =
        "Tarn Conduit 2.0.0\nStarting Synchronization\nCompleted Synchronization\nSummary: table "
        "Items: desktop 0 added, 0 changed, 0 deleted; handheld 2 added, 0 changed, 0 deleted; 0 "
        "left alone\n";
    EXPECT_EQ(sync.out, log +
                            "Summary:\nconduit ITEM (Items Conduit)\n  table Items: desktop 0 "
                            "added, 0 changed, 0 deleted; handheld 2 added, 0 changed, 0 "
                            "deleted; 0 left alone\n");
    EXPECT_EQ(test::ReadFileBytes(machine_.tarnHome() / "users" / "Ann" / "HotSync.log"), log);
    auto databases = HotSync({"databases", "--handheld", handheld_.string()});
    EXPECT_NE(databases.out.find("\"ItemsDB\" type DATA creator ITEM, 2 records"),
              std::string::npos)
        << databases.out;

    // At level 2 the progress lines come, indented by one blank.
    ASSERT_EQ(
        HotSync({"reg", "set", "HKEY_LOCAL_MACHINE\\Software\\TarnConduit2", "DebugLevel", "2"})
            .exitCode,
        0);
    sync =
        HotSync({"sync", "--handheld", handheld_.string(), "--user", "Ann", "--creator", "ITEM"});
    EXPECT_NE(sync.out.find("\n Using Creator ID ITEM\n Loading Palm Database: ItemsDB\n"),
              std::string::npos)
        << sync.out;

    auto removed = RunProcess(Bin("TarnCReg"), {"-u", "ITEM"});
    EXPECT_EQ(removed.exitCode, 0) << removed.err;
    EXPECT_EQ(HotSync({"list"}).out, "");
}

TEST_F(HotSyncTest, AConduitThatCannotBeLoadedIsReportedAndFailsTheRun) {
    // Registered with the HotSync manager, but its class was never registered.
    ASSERT_EQ(RunProcess(Bin("TarnCReg"), {"-R", config_.string()}).exitCode, 0);
    auto sync = HotSync({"sync", "--handheld", handheld_.string()});
    EXPECT_NE(sync.exitCode, 0);
    EXPECT_EQ(sync.out, "Summary:\nno conduit synchronized\n");
    EXPECT_NE(sync.err.find("TarnConduit2.cTarnConduit is not registered"), std::string::npos)
        << sync.err;
    EXPECT_EQ(HotSync({"configure", "NONE"}).exitCode, 1);
}

}  // namespace
}  // namespace tarn::hotsync
