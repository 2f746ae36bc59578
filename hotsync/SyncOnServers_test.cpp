// `hotsync sync` through the real conduit library against the PostgreSQL and MariaDB servers.
// Needs the test run's private servers (ctest fixture database_servers).
#include <gtest/gtest.h>

#include "common/config/Scramble.h"
#include "conduit/sync/testing/DesktopTarget.h"
#include "hotsync/testing/NotesConduit.h"
#include "platform/odbc/OdbcEnvironment.h"
#include "tests/support/TempDir.h"

namespace tarn::hotsync {
namespace {

using conduit::test::DesktopKind;
using conduit::test::DesktopTarget;
using tarn::test::ProcessResult;
using tarn::test::RunProcess;
using test::NotesConduit;
using test::Program;

class SyncOnServers : public ::testing::TestWithParam<DesktopKind> {
  protected:
    // Points the conduit at the target.
    void Describe(NotesConduit& conduit, const DesktopTarget& target) {
        conduit.settings.DBDriver = ScrambleString(target.driver);
        conduit.settings.DBServer = ScrambleString(target.server);
        conduit.settings.DBDatabase = ScrambleString(target.database);
        conduit.settings.DBUsername = ScrambleString(target.user);
        conduit.settings.DBPassword = ScrambleString(target.password);
        conduit.WriteDescription();
    }

    static std::string NotesIds(DesktopTarget& target) {
        std::string ids;
        auto rows = target.Connect()->OpenResultSet("SELECT Id FROM Notes ORDER BY Id",
                                                    platform::odbc::CursorKind::ForwardOnly);
        for (; !rows->AtEnd(); rows->Next())
            ids += rows->Value(std::size_t{0}).value_or("NULL") + " ";
        return ids;
    }
};

// Through the real host: a dry run leaves the server's rows and the handheld folder as they were,
// and its summary is the one the real sync after it prints.
TEST_P(SyncOnServers, ADryRunChangesNothingAndForetellsTheSync) {
    NotesConduit conduit;
    auto odbc = platform::odbc::OpenOdbcEnvironment();
    DesktopTarget target(GetParam(), conduit.machine, *odbc);
    target.Connect()->Execute("CREATE TABLE Notes (Id INTEGER, Text TEXT)");
    target.Connect()->Execute("INSERT INTO Notes VALUES (1, 'n1'), (2, 'n2')");
    Describe(conduit, target);
    ASSERT_EQ(conduit.Sync().exitCode, 0);  // the handheld now holds 1 and 2
    target.Connect()->Execute("DELETE FROM Notes WHERE Id = 2");
    target.Connect()->Execute("INSERT INTO Notes VALUES (3, 'n3')");
    const std::string handheldBefore = tarn::test::ReadFileBytes(conduit.handheld / "NotesDB.pdb");

    auto sync = [&](bool dryRun) {
        std::vector<std::string> args{"sync", "--handheld", conduit.handheld.string()};
        if (dryRun) args.push_back("--dry-run");
        ProcessResult result = RunProcess(Program("hotsync"), args);
        EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        return result.out.substr(result.out.find("\nconduit NOTE (Notes)\n"));
    };
    const std::string dry = sync(true);
    EXPECT_EQ(NotesIds(target), "1 3 ");
    EXPECT_EQ(tarn::test::ReadFileBytes(conduit.handheld / "NotesDB.pdb"), handheldBefore);
    // Record 2 came from the desktop and is back there; 3 goes to the handheld.
    EXPECT_EQ(dry,
              "\nconduit NOTE (Notes)\n  table Notes: desktop 1 added, 0 changed, 0 deleted; "
              "handheld 1 added, 0 changed, 0 deleted; 1 left alone\n");
    EXPECT_EQ(sync(false), dry);
    EXPECT_EQ(NotesIds(target), "1 2 3 ");
}

INSTANTIATE_TEST_SUITE_P(Servers, SyncOnServers,
                         ::testing::Values(DesktopKind::PostgreSql, DesktopKind::MariaDb),
                         [](const ::testing::TestParamInfo<DesktopKind>& info) {
                             return conduit::test::DesktopKindName(info.param);
                         });

}  // namespace
}  // namespace tarn::hotsync
