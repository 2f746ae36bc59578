// Dry runs and the change summary, on every desktop database: a dry run goes through the whole
// sync, leaves both sides exactly as they were, and its figures are those of the real sync that
// follows.
#include <gtest/gtest.h>

#include <set>

#include "conduit/sync/testing/SyncAcceptance.h"
#include "platform/odbc/OdbcEnvironment.h"
#include "platform/odbc/testing/FaultInjectingDatabase.h"
#include "tests/support/TempDir.h"

namespace tarn::conduit::test {
namespace {

using platform::TableSummary;

struct SyncRun {
    std::vector<std::string> log;  // without the summary lines
    std::vector<TableSummary> tables;
};

SyncRun RunSync(SyncHarness& h, bool dryRun) {
    h.platform.utility.lines.clear();
    h.platform.utility.dryRun = dryRun;
    h.Sync();
    EXPECT_FALSE(h.platform.utility.outcomes.empty());
    if (h.platform.utility.outcomes.empty()) return {h.LogLines(), {}};
    return {h.LogLines(), h.platform.utility.outcomes.back().tables};
}

bool ChangesNothing(const TableSummary& s) {
    return s.desktopAdded == 0 && s.desktopChanged == 0 && s.desktopDeleted == 0 &&
           s.handheldAdded == 0 && s.handheldChanged == 0 && s.handheldDeleted == 0;
}

}  // namespace

// How both sides end for each sync method, on every database; a dry run before the sync
// changes nothing and logs and counts what the sync then does.
TEST_P(ResultingBehaviour, BothSidesEndAsTheMethodSaysAndADryRunForetellsIt) {
    const auto& [kind, c] = GetParam();
    SyncHarness h(kind);
    SeedFiveSituations(h);
    AddItemFields(h.AddTable("Items", "ItemsDB", c.method, c.purge));
    h.Install();
    h.SetDebugLevel(3);
    const BothSides before = Snapshot(h, {"Items"});

    const SyncRun dry = RunSync(h, true);
    EXPECT_TRUE(h.platform.utility.outcomes.back().completed) << h.Log();
    EXPECT_TRUE(Snapshot(h, {"Items"}) == before) << "the dry run changed a side";
    for (const auto& line : h.SummaryLines())
        EXPECT_EQ(line.rfind("Dry run, nothing written: table Items: ", 0), 0u) << line;

    const SyncRun real = RunSync(h, false);
    EXPECT_NE(h.Log().find("Completed Synchronization"), std::string::npos) << h.Log();
    EXPECT_EQ(real.log, dry.log) << "a dry run logs what the sync logs";
    EXPECT_EQ(real.tables, dry.tables);
    EXPECT_EQ(h.DesktopPairs("Items", "Id", "Name"), c.desktop);
    EXPECT_EQ(HandheldPairs(h, "ItemsDB"), c.handheld);
    if (c.method == 6) {
        EXPECT_TRUE(real.tables.empty());
    } else {
        EXPECT_EQ(h.LoggedLeftDelimiter(), BareTableDelimiter(kind));
        ASSERT_EQ(real.tables.size(), 1u);
    }
    ExpectSecondSyncChangesNothing(h, "Items");
    if (c.method == 6) return;
    const TableSummary& again = h.platform.utility.outcomes.back().tables.at(0);
    // Purging the desktop deletes and adds its rows again at every sync, and says so.
    if (c.method == 2 && c.purge)
        EXPECT_EQ(again.desktopDeleted, again.desktopAdded);
    else
        EXPECT_TRUE(ChangesNothing(again)) << platform::SummaryText(again);
}

TEST_P(SyncAcceptance, TheSummaryCountsEachKindOfChange) {
    SyncHarness h(GetParam());
    SeedFiveSituations(h);
    AddItemFields(h.AddTable("Items", "ItemsDB", 0));
    h.Install();
    const SyncRun first = RunSync(h, false);
    ASSERT_EQ(first.tables.size(), 1u);
    // 1 goes to the desktop; 3 to the handheld; 4 takes the desktop's name on the handheld;
    // 2 and 5, deleted on the handheld, leave it, and 5 leaves the desktop too.
    EXPECT_EQ(first.tables[0], (TableSummary{"Items", 1, 0, 1, 1, 1, 2, 0}))
        << platform::SummaryText(first.tables[0]);
    ASSERT_EQ(h.SummaryLines().size(), 1u);
    EXPECT_EQ(h.SummaryLines()[0],
              "Summary: table Items: desktop 1 added, 0 changed, 1 deleted; handheld 1 added, 1 "
              "changed, 2 deleted; 0 left alone");
    const SyncRun second = RunSync(h, false);
    EXPECT_EQ(second.tables, (std::vector<TableSummary>{{"Items", 0, 0, 0, 0, 0, 0, 3}}));
}

// The handheld records are counted as they are loaded: a second record of a key is never
// written back and counts as deleted, and one the desktop row of its key replaces in the queue
// still counts as changed or not by its own bytes.
TEST_P(SyncAcceptance, TheSummaryCountsASecondRecordOfAKeyAsDeleted) {
    SyncHarness h(GetParam());
    SeedItems(
        h, "VALUES (2, 'd2'), (3, 'h3')",
        {ItemRecord(1, "h1"), ItemRecord(1, "again"), ItemRecord(2, "h2"), ItemRecord(3, "h3")});
    const SyncRun first = RunSync(h, false);
    ASSERT_EQ(first.tables.size(), 1u);
    // 1 goes to the desktop, its second record leaves the handheld, 2 takes the desktop's
    // name there, and 3 is the same on both sides.
    EXPECT_EQ(first.tables[0], (TableSummary{"Items", 1, 0, 0, 0, 1, 1, 1}))
        << platform::SummaryText(first.tables[0]);
    const SyncRun second = RunSync(h, false);
    EXPECT_EQ(second.tables, (std::vector<TableSummary>{{"Items", 0, 0, 0, 0, 0, 0, 3}}));
}

TEST_P(SyncAcceptance, ADryRunBailsOutAsTheSyncWouldAndKeepsBothSides) {
    SyncHarness h(GetParam());
    SeedThreeTablesSecondFails(h);
    h.Install();
    const BothSides before = Snapshot(h, {"A", "B", "C"});
    const SyncRun dry = RunSync(h, true);
    EXPECT_FALSE(h.platform.utility.outcomes.back().completed);
    EXPECT_TRUE(Snapshot(h, {"A", "B", "C"}) == before) << "the dry run changed a side";
    const SyncRun real = RunSync(h, false);
    EXPECT_FALSE(h.platform.utility.outcomes.back().completed);
    EXPECT_EQ(real.log, dry.log);
    EXPECT_EQ(real.tables, dry.tables);
    ASSERT_EQ(real.tables.size(), 1u);  // only A ran to its end
    EXPECT_EQ(real.tables[0].table, "A");
}

TEST_P(SyncAcceptance, ADryRunCreatesNoMissingHandheldDatabase) {
    SyncHarness h(GetParam());
    SeedItems(h, "VALUES (3, 'd3')");
    const SyncRun dry = RunSync(h, true);
    EXPECT_FALSE(h.HandheldExists("ItemsDB"));
    EXPECT_TRUE(Snapshot(h, {}).handheld.empty());
    const SyncRun real = RunSync(h, false);
    EXPECT_TRUE(h.HandheldExists("ItemsDB"));
    EXPECT_EQ(real.log, dry.log);
    EXPECT_EQ(real.tables, dry.tables);
}

// Without a transaction the desktop writes could not be undone: such a table is left out of a
// dry run, saying why, and the others still run; a table that only writes the handheld needs none.
TEST_P(SyncAcceptance, ADryRunLeavesOutTablesItCannotUndo) {
    SyncHarness h(GetParam());
    SeedFiveSituations(h);
    h.Exec("CREATE TABLE Other (Id INTEGER, Name TEXT)");
    h.Exec("INSERT INTO Other VALUES (7, 'd7')");
    AddItemFields(h.AddTable("Items", "ItemsDB", 0));
    AddItemFields(h.AddTable("Other", "OtherDB", 3));
    h.Install();
    auto odbc = std::make_unique<platform::odbc::fakes::FaultInjectingEnvironment>(
        platform::odbc::OpenOdbcEnvironment());
    odbc->RefuseTransactions();
    h.platform.SetOdbc(std::move(odbc));
    const BothSides before = Snapshot(h, {"Items", "Other"});

    const SyncRun dry = RunSync(h, true);
    const platform::ConduitOutcome& outcome = h.platform.utility.outcomes.back();
    EXPECT_FALSE(outcome.completed);
    const std::string refusal =
        "Dry run: table Items was not synchronized: its desktop database cannot undo changes (no "
        "transactions), so a dry run would write it";
    EXPECT_EQ(outcome.reason, refusal);
    EXPECT_NE(h.Log().find("\n" + refusal + "\n"), std::string::npos) << h.Log();
    EXPECT_TRUE(Snapshot(h, {"Items", "Other"}) == before) << "the dry run changed a side";
    ASSERT_EQ(dry.tables.size(), 1u);
    EXPECT_EQ(dry.tables[0].table, "Other");
    EXPECT_EQ(dry.tables[0].handheldAdded, 1);
}

// MariaDB says which tables cannot take part in a transaction: a dry run writes none of them,
// and a real sync says such a table is at risk before it is written.
TEST_P(SyncAcceptance, TablesOfAStorageEngineWithoutTransactionsAreLeftOutOfADryRunAndAtRisk) {
    if (GetParam() != DesktopKind::MariaDb) GTEST_SKIP() << "only MariaDB has such tables";
    SyncHarness h(GetParam());
    h.Exec("CREATE TABLE Plain (Id INTEGER, Name VARCHAR(20)) ENGINE=MyISAM");
    h.Exec("CREATE TABLE Safe (Id INTEGER, Name VARCHAR(20)) ENGINE=InnoDB");
    for (const char* name : {"Plain", "Safe"}) {
        h.WriteHandheld(name, {ItemRecord(1, "h1")});
        AddItemFields(h.AddTable(name, name, 0));
    }
    h.Install();
    const BothSides before = Snapshot(h, {"Plain", "Safe"});
    const SyncRun dry = RunSync(h, true);
    EXPECT_FALSE(h.platform.utility.outcomes.back().completed);
    EXPECT_NE(h.Log().find("Dry run: table Plain was not synchronized"), std::string::npos)
        << h.Log();
    EXPECT_TRUE(Snapshot(h, {"Plain", "Safe"}) == before) << "the dry run changed a side";
    ASSERT_EQ(dry.tables.size(), 1u);
    EXPECT_EQ(dry.tables[0], (TableSummary{"Safe", 1, 0, 0, 0, 0, 0, 0}));

    h.SetDebugLevel(1);
    RunSync(h, false);
    EXPECT_TRUE(h.platform.utility.outcomes.back().completed) << h.Log();
    EXPECT_NE(h.Log().find("\nTable Plain uses the storage engine MyISAM, which has no "
                           "transactions: a failed sync may leave it partly written\n"),
              std::string::npos)
        << h.Log();
    EXPECT_EQ(h.Log().find("Table Safe"), std::string::npos) << h.Log();
}

}  // namespace tarn::conduit::test
