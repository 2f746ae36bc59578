// The engine on the database servers a conduit is promised to work with: the acceptance
// tests, and what only a server has (a port, a password, a driver's own options). Needs the
// test run's private servers (ctest fixture database_servers).
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "common/config/Scramble.h"
#include "conduit/sync/DesktopDialect.h"
#include "conduit/sync/SqlDialect.h"
#include "conduit/sync/testing/SyncAcceptance.h"
#include "conduit/sync/testing/SyncHarness.h"
#include "tests/support/ServerProcess.h"

namespace tarn::conduit::test {

// Before any test opens ODBC: the tests may share one process (the program run without ctest).
class SharedOdbcDriverList : public ::testing::Environment {
  public:
    void SetUp() override { ShareOneOdbcDriverList(); }
};
::testing::Environment* const kSharedOdbcDriverList =
    ::testing::AddGlobalTestEnvironment(new SharedOdbcDriverList);

TARN_RUN_SYNC_ACCEPTANCE(Servers, DesktopKind::PostgreSql, DesktopKind::MariaDb);

namespace {

class ServerConnection : public ::testing::TestWithParam<DesktopKind> {};

// The sync-time connection string has no port of its own: "127.0.0.1;Port=N" in the server
// box carries it, and the password reaches the server but never the log.
TEST_P(ServerConnection, PortWrittenInTheServerBoxReachesTheServer) {
    SyncHarness h(GetParam());
    ASSERT_NE(h.desktop.server.find(";Port="), std::string::npos);
    SeedItems(h, "VALUES (3, 'd3')");
    h.SetDebugLevel(2);
    h.Sync();
    const std::string& server = h.desktop.server;
    const std::string& database = h.desktop.database;
    EXPECT_NE(h.Log().find(" Connection String: driver={" + h.desktop.driver +
                           "};server=" + server + ";DBQ=" + server + ";database=" + database +
                           ";DB=" + database + ";uid=" + h.desktop.user + ";PWD=XXXXXXXXX;\n"),
              std::string::npos)
        << h.Log();
    EXPECT_EQ(h.Log().find(h.desktop.password), std::string::npos);
    EXPECT_NE(h.Log().find("Completed Synchronization"), std::string::npos) << h.Log();
    EXPECT_EQ(HandheldPairs(h, "ItemsDB"), (Pairs{{"3", "d3"}}));
}

// Nothing listens on the port written: the opening fails, proving the port is the one used.
TEST_P(ServerConnection, AnotherPortFailsToOpen) {
    SyncHarness h(GetParam());
    h.Exec("CREATE TABLE Items (Id INTEGER, Name TEXT)");
    AddItemFields(h.AddTable("Items", "ItemsDB", 0));
    h.settings.DBServer =
        ScrambleString("127.0.0.1;Port=" + std::to_string(tarn::test::FreeLoopbackPort()));
    h.Install();
    h.SetDebugLevel(2);
    h.Sync();
    EXPECT_NE(h.Log().find("Error opening desktop database: "), std::string::npos) << h.Log();
    EXPECT_NE(h.Log().find(" Connection to desktop database failed"), std::string::npos);
    EXPECT_FALSE(h.HandheldExists("ItemsDB"));
}

INSTANTIATE_TEST_SUITE_P(Servers, ServerConnection,
                         ::testing::Values(DesktopKind::PostgreSql, DesktopKind::MariaDb),
                         DesktopCaseName);

// psqlODBC wraps every statement inside a transaction in a savepoint of its own, a round trip
// each. "Protocol=7.4-1" (roll back the whole transaction on an error) drops them; a failing
// table must still be rolled back whole.
TEST(PostgreSqlRollbackLevel, TransactionLevelKeepsWhatAFailureDoes) {
    SyncHarness h(DesktopKind::PostgreSql);
    h.settings.DBServer = ScrambleString(h.desktop.server + ";Protocol=7.4-1");
    ExpectBailOutKeepsEachTableWhole(h);
}

// A batch's keys are asked one index probe each only where PostgreSQL would take that index
// for "key = ?": where it would not, each key would scan the whole table.
TEST(PostgreSqlKeyIndex, OnlyAPlainIndexLeadingWithTheKeyInItsOwnOrderingServes) {
    SyncHarness h(DesktopKind::PostgreSql);
    const auto code = h.Quote("Code");
    const auto name = h.Quote("Name");
    const std::vector<std::tuple<std::string, std::string, bool>> cases = {
        {"Keyed", "PRIMARY KEY", true},
        {"Leading", "UNIQUE (" + code + ", " + name + ")", true},
        {"Unindexed", "", false},
        {"Second", "(" + name + ", " + code + ")", false},
        {"Partial", "(" + code + ") WHERE " + code + " > 'a'", false},
        {"Expression", "((" + code + " || ''))", false},
        {"PatternOrder", "(" + code + " text_pattern_ops)", false},
        {"OtherCollation", "(" + code + " COLLATE \"C\")", false},
        {"Hashed", "USING hash (" + code + ")", false},
    };
    auto connection = h.desktop.Connect();
    const SqlDialect dialect(DesktopDialect::PostgreSql, "\"", "\"");
    for (const auto& [table, index, indexed] : cases) {
        const bool constraint = index.starts_with("PRIMARY") || index.starts_with("UNIQUE");
        h.Exec("CREATE TABLE " + h.Quote(table) + " (" + code + " TEXT" +
               (index.starts_with("PRIMARY") ? " PRIMARY KEY" : "") + ", " + name + " TEXT" +
               (index.starts_with("UNIQUE") ? ", " + index : "") + ")");
        if (!index.empty() && !constraint)
            h.Exec("CREATE INDEX ON " + h.Quote(table) + " " + index);
        clsTable& described = h.AddTable(table, table + "DB");
        described.Fields().Add("Code", 6);
        const auto comparison = FindKeyComparison(*connection, dialect, described);
        ASSERT_TRUE(comparison) << table;
        EXPECT_EQ(comparison->type, "pg_catalog.text");
        EXPECT_EQ(comparison->indexed, indexed) << table;
    }
}

// A table the sync read empty takes its inserts without asking which keys exist only where no
// other session's commit could be among them: an InnoDB table under REPEATABLE READ, whose
// plain SELECTs all answer from the snapshot of the transaction's first read.
TEST(MariaDbEmptyRead, StandsOnlyForAnInnoDbTableUnderRepeatableRead) {
    SyncHarness h(DesktopKind::MariaDb);
    h.Exec("CREATE TABLE Snap (Code INTEGER) ENGINE=InnoDB");
    h.Exec("CREATE TABLE Plain (Code INTEGER) ENGINE=MyISAM");
    h.Exec("CREATE VIEW Seen AS SELECT Code FROM Snap");
    auto connection = h.desktop.Connect();
    const SqlDialect dialect(DesktopDialect::MySql, "`", "`");
    auto stands = [&](const std::string& name) {
        clsTable table;
        table.DesktopTableName = name;
        return EmptyReadStandsUntilCommit(*connection, dialect, table);
    };
    EXPECT_TRUE(stands("Snap"));
    EXPECT_FALSE(stands("Plain"));
    EXPECT_FALSE(stands("Seen"));
    EXPECT_FALSE(stands("Missing"));
    for (const char* level : {"READ COMMITTED", "SERIALIZABLE", "READ UNCOMMITTED"}) {
        connection->Execute(std::string("SET SESSION TRANSACTION ISOLATION LEVEL ") + level);
        EXPECT_FALSE(stands("Snap")) << level;
    }
}

}  // namespace
}  // namespace tarn::conduit::test
