#include <gtest/gtest.h>

#include <fstream>

#include "conduit/sync/SyncDriver.h"
#include "conduit/sync/testing/SyncAcceptance.h"
#include "conduit/sync/testing/SyncHarness.h"
#include "tarn/Version.h"
#include "tests/support/TempDir.h"
#include "text/Windows1252.h"

namespace tarn::conduit::test {

// The acceptance tests on SQLite; the servers' run is in SyncServers_test.cpp.
TARN_RUN_SYNC_ACCEPTANCE(Embedded, DesktopKind::Sqlite);

namespace {

TEST(SyncDriver, OutsideAHotSyncOnlyAMessageIsShown) {
    SyncHarness h;
    h.Install();
    h.platform.notifier()->running = false;
    h.Sync();
    EXPECT_TRUE(h.LogLines().empty());
    EXPECT_EQ(h.platform.messages, std::vector<std::string>{"Sync not in progress"});
}

TEST(SyncDriver, LogLinesFollowTheDebugLevel) {
    for (int level : {0, 1, 2, 3, 4}) {
        SyncHarness h;
        SeedItems(h, "VALUES (3, 'd3')", {ItemRecord(1, "h1")});
        h.SetDebugLevel(level);
        h.Sync();
        auto lines = h.LogLines();
        std::string log = h.Log();
        SCOPED_TRACE("level " + std::to_string(level) + "\n" + log);
        if (level == 0) {
            EXPECT_TRUE(lines.empty());
            continue;
        }
        EXPECT_EQ(lines.front(), "Tarn Conduit " + std::string(kVersionText));
        EXPECT_EQ(lines.back(), "Completed Synchronization");
        EXPECT_EQ(log.find("Super User Mode") != std::string::npos, level >= 4);
        EXPECT_EQ(log.find(" Using Creator ID TEST\n") != std::string::npos, level >= 2);
        EXPECT_EQ(log.find("  Setting Left Field Delimiter: ") != std::string::npos, level >= 3);
        EXPECT_EQ(log.find("   INSERT INTO ") != std::string::npos, level >= 4);
        EXPECT_EQ(log.find("   ##### DUMP OF ALL RECORDS LOADED") != std::string::npos, level >= 4);
        if (level == 1) {
            EXPECT_EQ(lines.size(), 3u);
        }
        if (level < 4) continue;
        // The record dump shows every field of every record.
        EXPECT_NE(log.find("   Table/Palm Database : Items/ItemsDB\n"), std::string::npos);
        EXPECT_NE(
            log.find("   Record: Key: Id=Integer(1) Status: Exists on Desktop=False\tId=Integer(1) "
                     "\tName=String(h1) \t##STATUSFLAG##=RecordStatus(0) \n"),
            std::string::npos);
        EXPECT_NE(log.find("Record: Key: Id=Integer(3) Status: Exists on Desktop=True\t"),
                  std::string::npos);
    }
}

// Each sync has error contexts of its own: a bail-out never names the failed step of an earlier
// sync of the same loaded conduit.
TEST(SyncDriver, ABailOutNamesNoStepOfAnEarlierSync) {
    SyncHarness h;
    SeedItems(h, "", {Int32Bytes(2) + "no zero byte"});
    h.Sync();
    ASSERT_NE(h.Log().find("!! Error loading field Name from Palm\n"), std::string::npos)
        << h.Log();

    // The second sync fails before any step pushes a context: the file cannot be read at all.
    std::ofstream(h.platform.handheldDir / "ItemsDB.pdb", std::ios::binary | std::ios::trunc)
        << "not a handheld database";
    h.platform.utility.lines.clear();
    h.Sync();
    EXPECT_NE(h.Log().find("!! Bailing out now..."), std::string::npos) << h.Log();
    EXPECT_EQ(h.Log().find("Error loading field"), std::string::npos) << h.Log();
}

TEST(SyncDriver, EmptyTableListCompletesWithoutTouchingAnything) {
    SyncHarness h;
    h.Install();
    h.SetDebugLevel(2);
    h.Sync();
    EXPECT_NE(h.Log().find(" Using Creator ID TEST\n"), std::string::npos);
    EXPECT_NE(h.Log().find("Completed Synchronization"), std::string::npos);
    EXPECT_TRUE(h.platform.Handheld().ListDatabases().empty());
}

TEST(SyncDriver, DoNothingStillCreatesTheHandheldDatabase) {
    SyncHarness h;
    h.Exec("CREATE TABLE Items (Id INTEGER, Name TEXT)");
    AddItemFields(h.AddTable("Items", "NewDB", 6));
    h.Install();
    h.SetDebugLevel(2);
    h.Sync();
    EXPECT_TRUE(h.HandheldExists("NewDB"));
    EXPECT_NE(h.Log().find(" Creating database NewDB\n"), std::string::npos);
    EXPECT_NE(h.Log().find(" Table is set not to sync: NewDB\n"), std::string::npos);
}

// Damaged handheld records and desktops too large for a handheld end in the bail-out, and the
// handheld database stays exactly as it was.
TEST(SyncDriverLimits, BadInputBailsOutAndKeepsTheHandheldFile) {
    const struct {
        const char* name;
        std::string desktopRows;  // what follows "INSERT INTO Items"
        std::string handheldRecord;
        int16_t method;
        std::string logged;
    } cases[] = {
        {"a handheld record without its text's end", "", Int32Bytes(2) + "no zero byte", 0,
         "!! Error loading field Name from Palm\n"},
        {"more rows than a handheld database holds",
         "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE "
         "x < 65536) SELECT x, 'n' FROM n",
         ItemRecord(7, "old"), 3, "can hold at most 65535 records"},
        {"a row too long for a handheld record", "VALUES (1, '" + std::string(20000, 'x') + "')",
         ItemRecord(7, "old"), 3, "!! Error adding field to Palm record: Name DataType=String"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SyncHarness h;
        SeedItems(h, c.desktopRows, {ItemRecord(1, "fine"), c.handheldRecord}, c.method);
        const auto file = h.platform.handheldDir / "ItemsDB.pdb";
        const std::string before = tarn::test::ReadFileBytes(file);
        h.Sync();
        EXPECT_NE(h.Log().find(c.logged), std::string::npos) << h.Log();
        EXPECT_EQ(tarn::test::ReadFileBytes(file), before);
        if (c.desktopRows.empty()) {
            EXPECT_TRUE(h.Query("SELECT * FROM Items").empty());
        }
    }
}

}  // namespace
}  // namespace tarn::conduit::test
