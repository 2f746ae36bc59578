// The host, the register tool and the conduit library together, as a user drives them.
#include <gtest/gtest.h>

#include "hotsync/testing/NotesConduit.h"
#include "tests/support/TempDir.h"

namespace tarn::hotsync {
namespace {

using tarn::test::ProcessResult;
using tarn::test::RunProcess;
using test::NotesConduit;
using test::Program;

ProcessResult HotSync(const std::vector<std::string>& args) {
    return RunProcess(Program("hotsync"), args);
}

// The Notes conduit registers the library and the conduit as a user does, with the host's
// regsvr and the register tool.
TEST(HotSyncTest, RegisterSyncAndUnregisterFromTheCommandLine) {
    NotesConduit conduit;
    conduit.Desk("INSERT INTO Notes VALUES (1, 'one'), (2, 'two')");
    const std::string handheld = conduit.handheld.string();
    auto list = HotSync({"list"});
    EXPECT_EQ(list.out,
              "NOTE\tNotes\t2\tTarnConduit2.cTarnConduit\t" + conduit.description.string() + "\n");

    auto sync = HotSync({"sync", "--handheld", handheld, "--user", "Ann"});
    ASSERT_EQ(sync.exitCode, 0) << sync.err;
    // The log as written, closed by its summary line, then the host's summary.
    const std::string log =
        "Tarn Conduit 2.0.0\nStarting Synchronization\nCompleted Synchronization\nSummary: table "
        "Notes: desktop 0 added, 0 changed, 0 deleted; handheld 2 added, 0 changed, 0 deleted; 0 "
        "left alone\n";
    EXPECT_EQ(sync.out, log +
                            "Summary:\nconduit NOTE (Notes)\n  table Notes: desktop 0 added, 0 "
                            "changed, 0 deleted; handheld 2 added, 0 changed, 0 deleted; 0 left "
                            "alone\n");
    EXPECT_EQ(
        tarn::test::ReadFileBytes(conduit.machine.tarnHome() / "users" / "Ann" / "HotSync.log"),
        log);
    auto databases = HotSync({"databases", "--handheld", handheld});
    EXPECT_NE(databases.out.find("\"NotesDB\" type DATA creator NOTE, 2 records"),
              std::string::npos)
        << databases.out;

    // At level 2 the progress lines come, indented by one blank.
    ASSERT_EQ(
        HotSync({"reg", "set", "HKEY_LOCAL_MACHINE\\Software\\TarnConduit2", "DebugLevel", "2"})
            .exitCode,
        0);
    sync = HotSync({"sync", "--handheld", handheld, "--user", "Ann", "--creator", "NOTE"});
    EXPECT_NE(sync.out.find("\n Using Creator ID NOTE\n Loading Palm Database: NotesDB\n"),
              std::string::npos)
        << sync.out;

    auto removed = RunProcess(Program("TarnCReg"), {"-u", "NOTE"});
    EXPECT_EQ(removed.exitCode, 0) << removed.err;
    EXPECT_EQ(HotSync({"list"}).out, "");
}

TEST(HotSyncTest, AConduitThatCannotBeLoadedIsReportedAndFailsTheRun) {
    NotesConduit conduit;
    // Still registered with the HotSync manager, but its class no longer is.
    ASSERT_EQ(HotSync({"regsvr", "-u", Program("libTarnConduit2.so")}).exitCode, 0);
    auto sync = conduit.Sync();
    EXPECT_NE(sync.exitCode, 0);
    EXPECT_EQ(sync.out, "Summary:\nno conduit synchronized\n");
    EXPECT_NE(sync.err.find("TarnConduit2.cTarnConduit is not registered"), std::string::npos)
        << sync.err;
    EXPECT_EQ(HotSync({"configure", "NONE"}).exitCode, 1);
}

}  // namespace
}  // namespace tarn::hotsync
