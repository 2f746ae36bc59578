// Desktop writes go in batches: one existence question and multi-row inserts per batch, a
// savepoint around each. Whatever the batch size, a sync must end, log and fail exactly as it
// does record by record. Run on every desktop database through the acceptance instantiations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/config/Scramble.h"
#include "conduit/sync/testing/SyncAcceptance.h"
#include "conduit/sync/testing/SyncHarness.h"

namespace tarn::conduit::test {
namespace {

// Handheld records 1..count, a mix of the situations a batch meets: every third one is also
// on the desktop (whose row wins), every seventh is marked deleted (its row is deleted), the
// others are added; the record `bad` breaks the table's check. A desktop row of its own lies
// beyond them.
void SeedMix(SyncHarness& h, int count, int bad) {
    h.Exec("CREATE TABLE Items (Id INTEGER, Name VARCHAR(40) CHECK (Name <> 'bad'))");
    std::vector<std::string> records;
    std::string desktop;
    for (int id = 1; id <= count; ++id) {
        if (id % 3 == 0)
            desktop += (desktop.empty() ? "" : ", ") + std::string("(") + std::to_string(id) +
                       ", 'desk" + std::to_string(id) + "')";
        records.push_back(
            ItemRecord(id, id == bad ? "bad" : "hand" + std::to_string(id), id % 7 == 0));
    }
    desktop += std::string(desktop.empty() ? "" : ", ") + "(1000, 'desk only')";
    h.Exec("INSERT INTO Items VALUES " + desktop);
    h.WriteHandheld("ItemsDB", records);
    AddItemFields(h.AddTable("Items", "ItemsDB", 2));  // the handheld overwrites the desktop
    h.Install();
    h.SetDebugLevel(4);
}

// The log without the names of each harness's own database: the connection string, and the
// database a server's error message names.
std::vector<std::string> LogWithoutDatabaseName(SyncHarness& h) {
    std::vector<std::string> lines;
    for (std::string line : h.LogLines()) {
        if (line.rfind(" Connection String: ", 0) == 0) continue;
        const std::string& name = h.desktop.database;
        for (auto at = line.find(name); !name.empty() && at != std::string::npos;
             at = line.find(name, at))
            line.replace(at, name.size(), "DATABASE");
        lines.push_back(line);
    }
    return lines;
}

struct Outcome {
    std::vector<std::string> log;
    Pairs desktop;
    Pairs handheld;
};

Outcome SyncWithBatches(DesktopKind kind, std::size_t batchRecords, int count, int bad,
                        const std::string& serverOptions) {
    SyncHarness h(kind);
    if (!serverOptions.empty()) {
        h.desktop.server += serverOptions;
        h.settings.DBServer = ScrambleString(h.desktop.server);
    }
    SeedMix(h, count, bad);
    h.state.DesktopBatchRecords = batchRecords;
    h.Sync();
    Outcome outcome{LogWithoutDatabaseName(h), h.DesktopPairs("Items", "Id", "Name"),
                    HandheldPairs(h, "ItemsDB")};
    if (bad == 0 && batchRecords > 1) ExpectSecondSyncChangesNothing(h, "Items");
    return outcome;
}

void ExpectSameOutcome(DesktopKind kind, std::size_t batchRecords, int count, int bad,
                       const std::string& serverOptions = "") {
    SCOPED_TRACE(std::to_string(count) + " records, batches of " + std::to_string(batchRecords) +
                 ", bad record " + std::to_string(bad) + serverOptions);
    const Outcome single = SyncWithBatches(kind, 1, count, bad, serverOptions);
    const Outcome batched = SyncWithBatches(kind, batchRecords, count, bad, serverOptions);
    std::size_t same = 0;
    while (same < batched.log.size() && same < single.log.size() &&
           batched.log[same] == single.log[same])
        ++same;
    EXPECT_EQ(batched.log.size(), single.log.size());
    if (same < batched.log.size() || same < single.log.size())
        ADD_FAILURE() << "the logs part at line " << same
                      << ":\nbatched: " << (same < batched.log.size() ? batched.log[same] : "(end)")
                      << "\nrecord by record: "
                      << (same < single.log.size() ? single.log[same] : "(end)");
    EXPECT_EQ(batched.desktop, single.desktop);
    EXPECT_EQ(batched.handheld, single.handheld);
    ASSERT_FALSE(batched.log.empty());
    EXPECT_EQ(batched.log.back(), bad == 0 ? "Completed Synchronization"
                                           : "!! Synchronization did not complete successfully");
}

// Around the batch size: less than one batch, exactly one, one and a bit, several with a
// remainder that takes inserts of several sizes.
TEST_P(SyncAcceptance, BatchedWritesEndAndLogAsRecordByRecord) {
    for (int count : {2, 4, 5, 8, 13, 23}) ExpectSameOutcome(GetParam(), 4, count, 0);
    ExpectSameOutcome(GetParam(), 128, 300, 0);
}

// A record in the middle of a batch fails: the batch is undone and written again record by
// record, so the bail-out names the same record and error after the same log lines, and the
// table is left as it was.
TEST_P(SyncAcceptance, ABatchFailingInTheMiddleFailsAtTheSameRecord) {
    for (int bad : {1, 5, 11, 13}) ExpectSameOutcome(GetParam(), 4, 13, bad);
    ExpectSameOutcome(GetParam(), 128, 300, 200);
    // psqlODBC's other protocol rolls the whole transaction back on an error, where the default
    // one sets a savepoint around every statement: the batch's own savepoint must serve both.
    if (GetParam() == DesktopKind::PostgreSql)
        ExpectSameOutcome(GetParam(), 4, 13, 5, ";Protocol=7.4-1");

    SyncHarness h(GetParam());
    SeedMix(h, 300, 200);
    const auto desktopBefore = h.DesktopPairs("Items", "Id", "Name");
    h.Sync();
    EXPECT_EQ(h.DesktopPairs("Items", "Id", "Name"), desktopBefore);
    const auto lines = h.LogLines();
    // The last record the log names before the bail-out is the one that failed.
    std::string lastRecord;
    for (const auto& line : lines)
        if (line.find("Adding New Desktop Record. Key: ") != std::string::npos) lastRecord = line;
    EXPECT_EQ(lastRecord, " Adding New Desktop Record. Key: 200") << h.Log();
}

}  // namespace
}  // namespace tarn::conduit::test
