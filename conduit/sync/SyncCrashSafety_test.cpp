// What a table's sync leaves behind when a step fails part way: the desktop read, a handheld
// write, the handheld file's preparation, the desktop commit or the handheld file's publication.
// Run on every desktop database through the acceptance instantiations.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "conduit/sync/testing/SyncAcceptance.h"
#include "conduit/sync/testing/SyncHarness.h"
#include "platform/odbc/OdbcEnvironment.h"
#include "platform/odbc/testing/FaultInjectingDatabase.h"
#include "platform/palm/PosixHandheldFolder.h"
#include "platform/palm/testing/FaultyHandheldFolder.h"
#include "tests/support/TempDir.h"

namespace tarn::conduit::test {
namespace {

namespace fs = std::filesystem;
using platform::odbc::fakes::FaultInjectingEnvironment;
using platform::palm::testing::FaultPlan;
using platform::palm::testing::FaultyHandheldFolder;

const Pairs kDesktopBefore = {{"1", "d1"}, {"2", "d2"}, {"3", "d3"}};
// Record 2 deleted on the handheld, 3 changed there (the desktop wins), 4 new there.
const Pairs kSynced = {{"1", "d1"}, {"3", "d3"}, {"4", "h4"}};

fs::path ItemsFile(SyncHarness& h) {
    return h.platform.handheldDir / "ItemsDB.pdb";
}

// Files in the handheld folder other than the databases and their backups.
std::vector<std::string> StrayFiles(SyncHarness& h) {
    std::vector<std::string> stray;
    for (const auto& entry : fs::directory_iterator(h.platform.handheldDir)) {
        std::string name = entry.path().filename().string();
        if (name != "ItemsDB.pdb" && name != "Backup") stray.push_back(name);
    }
    return stray;
}

std::string LastLine(SyncHarness& h) {
    auto lines = h.LogLines();
    return lines.empty() ? std::string() : lines.back();
}

void ExpectBailOut(SyncHarness& h, const std::string& context) {
    auto lines = h.LogLines();
    ASSERT_GE(lines.size(), 6u) << h.Log();
    // Without an error context the title line comes right before "!! Bailing out now...".
    EXPECT_EQ(lines[lines.size() - 5],
              context.empty() ? "##### TEST CONDUIT - CONDUIT ERRROR #####" : "!! " + context)
        << h.Log();
    EXPECT_EQ(lines.back(), "!! Synchronization did not complete successfully");
}

// With the real layers back: the sync completes as if nothing had failed, and a second one
// changes nothing on either side.
void ExpectRerunCompletesAndIsIdempotent(SyncHarness& h) {
    h.platform.SetOdbc(platform::odbc::OpenOdbcEnvironment());
    h.platform.SetHandheld(
        std::make_unique<platform::palm::PosixHandheldFolder>(h.platform.handheldDir));
    h.platform.utility.lines.clear();
    h.Sync();
    EXPECT_EQ(LastLine(h), "Completed Synchronization") << h.Log();
    EXPECT_EQ(h.DesktopPairs("Items", "Id", "Name"), kSynced);
    EXPECT_EQ(HandheldPairs(h, "ItemsDB"), kSynced);

    ExpectSecondSyncChangesNothing(h, "Items");
    EXPECT_TRUE(StrayFiles(h).empty());
}

struct FailureCase {
    const char* name;
    std::function<void(SyncHarness&)> inject;
    const char* context;  // the error context the bail-out names; empty: none
    bool desktopCommitted;
};

void InjectHandheldFaults(SyncHarness& h, FaultPlan plan) {
    h.platform.SetHandheld(std::make_unique<FaultyHandheldFolder>(
        std::make_unique<platform::palm::PosixHandheldFolder>(h.platform.handheldDir), plan));
}

const std::vector<FailureCase>& FailureCases() {
    static const std::vector<FailureCase> cases = {
        {"fetching the desktop's rows half way through",
         [](SyncHarness& h) {
             // Rows 1 and 2 are queued; moving onto row 3 fails, on the reading thread.
             auto odbc =
                 std::make_unique<FaultInjectingEnvironment>(platform::odbc::OpenOdbcEnvironment());
             odbc->FailRowOfQueryStartingWith("SELECT * FROM ", 3, -1,
                                              "injected fault: the fetch failed");
             h.platform.SetOdbc(std::move(odbc));
         },
         "Error getting data from desktop tableItems", false},
        {"a desktop write after another one of the table",
         [](SyncHarness& h) {
             // The DELETE of record 2 has run; the INSERT of record 4 fails.
             auto odbc =
                 std::make_unique<FaultInjectingEnvironment>(platform::odbc::OpenOdbcEnvironment());
             odbc->FailStatementStartingWith("INSERT", -1, "injected fault: the insert failed");
             h.platform.SetOdbc(std::move(odbc));
         },
         "", false},
        {"a handheld write half way through the table",
         [](SyncHarness& h) { InjectHandheldFaults(h, {.failOnWrite = 2}); },
         "Error writing record to Palm for ItemsDB Key=3", false},
        {"preparing the new handheld file",
         [](SyncHarness& h) { InjectHandheldFaults(h, {.failOnPrepare = true}); },
         "Error preparing Palm database ItemsDB", false},
        {"the desktop commit",
         [](SyncHarness& h) {
             auto odbc =
                 std::make_unique<FaultInjectingEnvironment>(platform::odbc::OpenOdbcEnvironment());
             odbc->FailCommit(-1, "injected fault: the commit failed");
             h.platform.SetOdbc(std::move(odbc));
         },
         "Error committing desktop table Items", false},
        {"publishing the new handheld file",
         [](SyncHarness& h) { InjectHandheldFaults(h, {.failOnPublish = true}); },
         "Error publishing Palm database ItemsDB", true},
    };
    return cases;
}

// Up to the desktop commit a failure leaves both sides exactly as they were. After it only the
// rename of the handheld file is left: when that fails the desktop holds the new rows and the
// handheld its old file, which the next sync brings up to date.
TEST_P(SyncAcceptance, AFailingStepLeavesBothSidesAsBeforeOrOnlyTheRenameUndone) {
    for (const FailureCase& failure : FailureCases()) {
        SCOPED_TRACE(failure.name);
        SyncHarness h(GetParam());
        SeedItems(h, "VALUES (1, 'd1'), (2, 'd2'), (3, 'd3')",
                  {ItemRecord(2, "h2", 1), ItemRecord(3, "h3"), ItemRecord(4, "h4")});
        const std::string handheldBefore = tarn::test::ReadFileBytes(ItemsFile(h));

        failure.inject(h);
        h.Sync();

        ExpectBailOut(h, failure.context);
        EXPECT_EQ(h.DesktopPairs("Items", "Id", "Name"),
                  failure.desktopCommitted ? kSynced : kDesktopBefore);
        EXPECT_EQ(tarn::test::ReadFileBytes(ItemsFile(h)), handheldBefore);
        EXPECT_TRUE(StrayFiles(h).empty()) << StrayFiles(h).front();

        ExpectRerunCompletesAndIsIdempotent(h);
    }
}

// A deferred constraint is checked by the COMMIT itself: the commit fails after every statement
// succeeded, and the table must still be rolled back and reported. PostgreSQL is the database
// of the three that defers constraints.
TEST_P(SyncAcceptance, ACommitRefusedByADeferredConstraintIsRolledBack) {
    if (GetParam() != DesktopKind::PostgreSql) GTEST_SKIP() << "no deferred constraints";
    SyncHarness h(GetParam());
    h.Exec("CREATE TABLE Parents (Id INTEGER PRIMARY KEY)");
    h.Exec("INSERT INTO Parents VALUES (1), (3)");
    h.Exec(
        "CREATE TABLE Items (Id INTEGER, Name TEXT, FOREIGN KEY (Id) REFERENCES Parents (Id) "
        "DEFERRABLE INITIALLY DEFERRED)");
    h.Exec("INSERT INTO Items VALUES (1, 'd1'), (3, 'd3')");
    h.WriteHandheld("ItemsDB", {ItemRecord(4, "h4")});
    AddItemFields(h.AddTable("Items", "ItemsDB", 0));
    h.Install();
    const std::string handheldBefore = tarn::test::ReadFileBytes(ItemsFile(h));

    h.Sync();
    ExpectBailOut(h, "Error committing desktop table Items");
    EXPECT_EQ(h.DesktopPairs("Items", "Id", "Name"), (Pairs{{"1", "d1"}, {"3", "d3"}}));
    EXPECT_EQ(tarn::test::ReadFileBytes(ItemsFile(h)), handheldBefore);
    EXPECT_TRUE(StrayFiles(h).empty());

    // The connection is usable again, and once the parent exists the same sync goes through.
    h.Exec("INSERT INTO Parents VALUES (4)");
    ExpectRerunCompletesAndIsIdempotent(h);
}

}  // namespace
}  // namespace tarn::conduit::test
