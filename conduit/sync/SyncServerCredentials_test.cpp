// Connection values that ODBC would otherwise split: a real password holding ";", "}" and "="
// reaches the described database, and a value crafted to name another database reaches none.
// Needs the test run's private servers (ctest fixture database_servers).
#include <gtest/gtest.h>

#include <string>

#include "common/config/Scramble.h"
#include "conduit/sync/testing/ServerAccount.h"
#include "conduit/sync/testing/SyncAcceptance.h"
#include "conduit/sync/testing/SyncHarness.h"
#include "tests/support/TempDir.h"

namespace tarn::conduit::test {
namespace {

class ServerCredentials : public ::testing::TestWithParam<DesktopKind> {
  protected:
    // Installed again once the test has set the credentials.
    static void SetUpItems(SyncHarness& h) {
        SeedItems(h, "VALUES (3, 'd3')", {ItemRecord(1, "h1")});
    }
};

TEST_P(ServerCredentials, APasswordHoldingSemicolonBraceAndEqualsReachesTheDescribedDatabase) {
    SyncHarness h(GetParam());
    SetUpItems(h);
    const std::string user = CreateServerAccount(h.desktop, kAwkwardPassword, "Items");
    h.settings.DBUsername = ScrambleString(user);
    h.settings.DBPassword = ScrambleString(kAwkwardPassword);
    h.Install();
    h.SetDebugLevel(2);
    h.Sync();
    EXPECT_NE(h.Log().find("Completed Synchronization"), std::string::npos) << h.Log();
    EXPECT_NE(h.Log().find(";uid=" + user + ";PWD=XXXXXXXXX;\n"), std::string::npos) << h.Log();
    EXPECT_EQ(h.Log().find("se;cr"), std::string::npos);
    EXPECT_EQ(h.DesktopPairs("Items", "Id", "Name"), (Pairs{{"1", "h1"}, {"3", "d3"}}));
    EXPECT_EQ(HandheldPairs(h, "ItemsDB"), (Pairs{{"1", "h1"}, {"3", "d3"}}));
    ExpectSecondSyncChangesNothing(h, "Items");
}

// Each value would once have added "Database=<other>" to the connection string (the trailing
// ";x=" keeps what follows harmless if a driver splits the value); now it is one value, the
// opening fails, and neither database nor the handheld changes.
TEST_P(ServerCredentials, AValueCraftedToNameAnotherDatabaseChangesNothing) {
    const struct {
        const char* name;
        std::string ConduitSettings::*setting;
        std::string DesktopTarget::*value;  // the value the setting would hold
    } crafted[] = {
        {"password", &ConduitSettings::DBPassword, &DesktopTarget::password},
        {"user", &ConduitSettings::DBUsername, &DesktopTarget::user},
        {"database", &ConduitSettings::DBDatabase, &DesktopTarget::database},
        {"server", &ConduitSettings::DBServer, &DesktopTarget::server},
    };
    for (const auto& c : crafted) {
        SCOPED_TRACE(c.name);
        SyncHarness h(GetParam());
        SetUpItems(h);
        DesktopTarget other(GetParam(), h.platform.environment, h.platform.Odbc());
        auto otherDesk = other.Connect();
        otherDesk->Execute("CREATE TABLE Items (Id INTEGER, Name TEXT)");
        otherDesk->Execute("INSERT INTO Items VALUES (9, 'other')");
        h.settings.*c.setting =
            ScrambleString(h.desktop.*c.value + ";Database=" + other.database + ";x=");
        h.Install();
        const std::string handheldBefore =
            tarn::test::ReadFileBytes(h.platform.handheldDir / "ItemsDB.pdb");
        h.Sync();

        EXPECT_NE(h.Log().find("Error opening desktop database: "), std::string::npos) << h.Log();
        EXPECT_EQ(h.DesktopPairs("Items", "Id", "Name"), (Pairs{{"3", "d3"}}));
        auto rows = otherDesk->OpenResultSet("SELECT Id FROM Items",
                                             platform::odbc::CursorKind::ForwardOnly);
        ASSERT_FALSE(rows->AtEnd());
        EXPECT_EQ(rows->Value(std::size_t{0}), "9");
        rows->Next();
        EXPECT_TRUE(rows->AtEnd());
        EXPECT_EQ(tarn::test::ReadFileBytes(h.platform.handheldDir / "ItemsDB.pdb"),
                  handheldBefore);
        ASSERT_EQ(h.platform.utility.outcomes.size(), 1u);
        EXPECT_FALSE(h.platform.utility.outcomes[0].completed);
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, ServerCredentials,
                         ::testing::Values(DesktopKind::PostgreSql, DesktopKind::MariaDb),
                         DesktopCaseName);

}  // namespace
}  // namespace tarn::conduit::test
