#include <gtest/gtest.h>

#include <map>

#include "common/config/Scramble.h"
#include "common/text/Windows1252.h"
#include "conduit/sync/SyncDriver.h"
#include "conduit/sync/testing/SyncHarness.h"
#include "tarn/Version.h"
#include "tests/support/TempDir.h"

namespace tarn::conduit::test {
namespace {

using Pairs = std::map<std::string, std::string>;

std::string ItemRecord(int32_t id, const std::string& name, int32_t status = 0) {
    return Int32Bytes(id) + TextBytes(name) + Int32Bytes(status);
}

// Handheld records of an Items database as id -> name, with "*" after deleted-marked names.
Pairs HandheldPairs(SyncHarness& h, const std::string& database) {
    Pairs pairs;
    for (const auto& r : h.ReadHandheld(database)) {
        auto u = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(r[i])); };
        int32_t id = static_cast<int32_t>(u(0) << 24 | u(1) << 16 | u(2) << 8 | u(3));
        size_t end = r.find('\0', 4);
        std::string name = r.substr(4, end - 4);
        int32_t status = static_cast<int32_t>(u(end + 4));
        pairs[std::to_string(id)] = name + (status == 1 ? "*" : "");
    }
    return pairs;
}

void AddItemFields(clsTable& table) {
    table.Fields().Add("Id", 3);
    table.Fields().Add("Name", 6);
    table.Fields().Add("##STATUSFLAG##", 8);
}

// The five situations of a key: only on the handheld (1), only there and marked deleted (2),
// only on the desktop (3), on both sides (4), on both with the handheld copy marked deleted (5).
void SeedFiveSituations(SyncHarness& h) {
    h.Exec("CREATE TABLE Items (Id INTEGER, Name TEXT)");
    h.Exec("INSERT INTO Items VALUES (3, 'd3'), (4, 'd4'), (5, 'd5')");
    h.WriteHandheld("ItemsDB", {ItemRecord(1, "h1"), ItemRecord(2, "h2", 1), ItemRecord(4, "h4"),
                                ItemRecord(5, "h5", 1)});
}

struct MethodCase {
    const char* name;
    int16_t method;
    bool purge;
    Pairs desktop;
    Pairs handheld;
};

class ResultingBehaviour : public ::testing::TestWithParam<MethodCase> {};

TEST_P(ResultingBehaviour, BothSidesEndAsTheMethodSays) {
    const MethodCase& c = GetParam();
    SyncHarness h;
    SeedFiveSituations(h);
    AddItemFields(h.AddTable("Items", "ItemsDB", c.method, c.purge));
    h.Install();
    h.Sync();
    EXPECT_NE(h.Log().find("Completed Synchronization"), std::string::npos) << h.Log();
    EXPECT_EQ(h.DesktopPairs("Items", "Id", "Name"), c.desktop);
    EXPECT_EQ(HandheldPairs(h, "ItemsDB"), c.handheld);
}

const Pairs kDesktopBefore = {{"3", "d3"}, {"4", "d4"}, {"5", "d5"}};
const Pairs kHandheldBefore = {{"1", "h1"}, {"2", "h2*"}, {"4", "h4"}, {"5", "h5*"}};

INSTANTIATE_TEST_SUITE_P(AllMethods, ResultingBehaviour,
                         ::testing::Values(MethodCase{"Synchronize",
                                                      0,
                                                      false,
                                                      {{"1", "h1"}, {"3", "d3"}, {"4", "d4"}},
                                                      {{"1", "h1"}, {"3", "d3"}, {"4", "d4"}}},
                                           MethodCase{"SynchronizeIgnoresPurge",
                                                      0,
                                                      true,
                                                      {{"1", "h1"}, {"3", "d3"}, {"4", "d4"}},
                                                      {{"1", "h1"}, {"3", "d3"}, {"4", "d4"}}},
                                           MethodCase{"HandheldOverwritesDesktop",
                                                      2,
                                                      false,
                                                      {{"1", "h1"}, {"3", "d3"}, {"4", "d4"}},
                                                      kHandheldBefore},
                                           MethodCase{"HandheldOverwritesDesktopWithPurge",
                                                      2,
                                                      true,
                                                      {{"1", "h1"}, {"4", "h4"}},
                                                      kHandheldBefore},
                                           MethodCase{"DesktopOverwritesHandheld",
                                                      3,
                                                      false,
                                                      kDesktopBefore,
                                                      {{"1", "h1"}, {"3", "d3"}, {"4", "d4"}}},
                                           MethodCase{"DesktopOverwritesHandheldWithPurge",
                                                      3,
                                                      true,
                                                      kDesktopBefore,
                                                      {{"3", "d3"}, {"4", "d4"}, {"5", "d5"}}},
                                           MethodCase{"DoNothing", 6, false, kDesktopBefore,
                                                      kHandheldBefore}),
                         [](const auto& info) { return std::string(info.param.name); });

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
        h.Exec("CREATE TABLE Items (Id INTEGER, Name TEXT)");
        h.Exec("INSERT INTO Items VALUES (3, 'd3')");
        h.WriteHandheld("ItemsDB", {ItemRecord(1, "h1")});
        AddItemFields(h.AddTable("Items", "ItemsDB", 0));
        h.Install();
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
        if (level == 1) EXPECT_EQ(lines.size(), 3u);
    }
}

TEST(SyncDriver, RecordDumpShowsEveryFieldOfEveryRecord) {
    SyncHarness h;
    h.Exec("CREATE TABLE Items (Id INTEGER, Name TEXT)");
    h.Exec("INSERT INTO Items VALUES (3, 'd3')");
    h.WriteHandheld("ItemsDB", {ItemRecord(1, "h1")});
    AddItemFields(h.AddTable("Items", "ItemsDB", 0));
    h.Install();
    h.SetDebugLevel(4);
    h.Sync();
    std::string log = h.Log();
    EXPECT_NE(log.find("   Table/Palm Database : Items/ItemsDB\n"), std::string::npos) << log;
    EXPECT_NE(
        log.find("   Record: Key: Id=Integer(1) Status: Exists on Desktop=False\tId=Integer(1) "
                 "\tName=String(h1) \t##STATUSFLAG##=RecordStatus(0) \n"),
        std::string::npos)
        << log;
    EXPECT_NE(log.find("Record: Key: Id=Integer(3) Status: Exists on Desktop=True\t"),
              std::string::npos);
}

TEST(SyncDriver, EarlyStopsTouchNothing) {
    {
        SyncHarness h;  // a registration whose file is missing reads as an empty description
        h.Install();
        std::filesystem::remove(h.descriptionFile);
        std::filesystem::create_directory(h.descriptionFile);  // now it cannot be read at all
        h.Sync();
        EXPECT_NE(h.Log().find("Error loading configuration file " + h.descriptionFile.string()),
                  std::string::npos);
    }
    {
        SyncHarness h;
        h.settings.CreatorID = ScrambleString("test");  // differs only in letter case
        h.Install();
        h.Sync();
        EXPECT_NE(h.Log().find("The Tarn Configuration file contains the wrong Creator ID"),
                  std::string::npos);
        EXPECT_EQ(h.Log().find("Completed Synchronization"), std::string::npos);
    }
    {
        SyncHarness h;
        h.settings.DBDriver = ScrambleString("No Such Driver");
        h.Install();
        h.SetDebugLevel(2);
        h.Sync();
        EXPECT_NE(h.Log().find("Error opening desktop database: "), std::string::npos) << h.Log();
        EXPECT_NE(h.Log().find(" Connection to desktop database failed"), std::string::npos);
    }
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

// Three tables; a statement of the second fails. The first stays synchronised, the second and
// third are untouched on both sides, and the log ends with the bail-out block.
TEST(SyncDriver, BailOutInTheSecondOfThreeTablesKeepsEachTableWhole) {
    SyncHarness h;
    for (const char* t : {"A", "B", "C"}) {
        h.Exec(std::string("CREATE TABLE ") + t + " (Id INTEGER, Name TEXT CHECK (Name <> 'bad'))");
        h.Exec(std::string("INSERT INTO ") + t + " VALUES (9, 'desk')");
        // Record 1 is inserted before record 5 fails the check.
        h.WriteHandheld(std::string(t) + "DB", {ItemRecord(1, "hand"), ItemRecord(5, "bad")});
        AddItemFields(h.AddTable(t, std::string(t) + "DB", 0));
    }
    h.Exec("UPDATE A SET Name = 'desk' WHERE Id = 9");
    h.Exec("DELETE FROM A WHERE Id = 5");
    // Only B's handheld database carries the failing record; A's and C's get a harmless one.
    for (const char* t : {"A", "C"}) {
        std::filesystem::remove(h.platform.handheldDir / (std::string(t) + "DB.pdb"));
        h.WriteHandheld(std::string(t) + "DB", {ItemRecord(1, "hand"), ItemRecord(5, "fine")});
    }
    h.settings.ConduitTitle = ScrambleString("Orders é");
    h.Install();
    const std::string handheldB = tarn::test::ReadFileBytes(h.platform.handheldDir / "BDB.pdb");
    const std::string handheldC = tarn::test::ReadFileBytes(h.platform.handheldDir / "CDB.pdb");

    h.Sync();

    auto lines = h.LogLines();
    ASSERT_GE(lines.size(), 5u) << h.Log();
    EXPECT_EQ(lines[lines.size() - 5], "##### ORDERS É - CONDUIT ERRROR #####");
    EXPECT_EQ(lines[lines.size() - 4], "!! Bailing out now...");
    EXPECT_EQ(lines[lines.size() - 3].rfind("!! Error Code:", 0), 0u);
    EXPECT_EQ(lines[lines.size() - 2].rfind("!! Error Description:", 0), 0u);
    EXPECT_NE(lines[lines.size() - 2].find("CHECK"), std::string::npos) << lines[lines.size() - 2];
    EXPECT_EQ(lines.back(), "!! Synchronization did not complete successfully");

    Pairs synced = {{"1", "hand"}, {"5", "fine"}, {"9", "desk"}};
    EXPECT_EQ(h.DesktopPairs("A", "Id", "Name"), synced);
    EXPECT_EQ(HandheldPairs(h, "ADB"), synced);
    EXPECT_EQ(h.DesktopPairs("B", "Id", "Name"), (Pairs{{"9", "desk"}}));
    EXPECT_EQ(tarn::test::ReadFileBytes(h.platform.handheldDir / "BDB.pdb"), handheldB);
    EXPECT_EQ(h.DesktopPairs("C", "Id", "Name"), (Pairs{{"9", "desk"}}));
    EXPECT_EQ(tarn::test::ReadFileBytes(h.platform.handheldDir / "CDB.pdb"), handheldC);
}

}  // namespace
}  // namespace tarn::conduit::test

namespace tarn::conduit::test {
namespace {

std::string OrderRecord(int32_t id, const std::string& name, const std::string& region) {
    return Int32Bytes(id) + TextBytes(name) + TextBytes(region);
}

// Filters restrict what is read, what an update may touch and what a purge deletes.
TEST(SyncDriverFilters, RestrictReadsUpdatesAndPurges) {
    SyncHarness h;
    h.Exec("CREATE TABLE Orders (Id INTEGER, Name TEXT, Region TEXT)");
    h.Exec("INSERT INTO Orders VALUES (1, 'a', 'North'), (2, 'b', 'South')");
    h.WriteHandheld("TarnCFitler-TEST", {TextBytes("Region") + TextBytes("North")});
    // Record 2 exists on the desktop outside the filter: its update must not touch it.
    h.WriteHandheld("OrdersDB", {OrderRecord(2, "hb", "North"), OrderRecord(3, "c", "North")});
    auto& table = h.AddTable("Orders", "OrdersDB", 0);
    table.Fields().Add("Id", 3);
    table.Fields().Add("Name", 6);
    table.Fields().Add("Region", 6, "Region");
    h.settings.FilterDatabase = ScrambleString("TarnCFitler-TEST");
    h.Install();
    h.SetDebugLevel(4);
    h.Sync();
    std::string log = h.Log();
    EXPECT_NE(log.find(" Filters Loaded: 1\n"), std::string::npos) << log;
    EXPECT_NE(log.find("UPDATE `Orders` SET `Id`=2, `Name`='hb', `Region`='North' WHERE `Id`=2 AND "
                       "Region='North'"),
              std::string::npos)
        << log;
    EXPECT_EQ(h.DesktopPairs("Orders", "Id", "Name"), (Pairs{{"1", "a"}, {"2", "b"}, {"3", "c"}}));
    EXPECT_EQ(h.ReadHandheld("OrdersDB").size(), 3u);  // 1 from the desktop, 2 and 3 kept

    // A purge before the handheld overwrites the desktop deletes only rows within the filter:
    // 4 goes, the South rows stay, and the handheld's records come back.
    h.Exec("INSERT INTO Orders VALUES (4, 'd', 'North'), (5, 'e', 'South')");
    h.tables.Item(1)->SyncMethod = 2;
    h.tables.Item(1)->PurgeBeforeSync = true;
    h.Install();
    h.Sync();
    EXPECT_EQ(h.DesktopPairs("Orders", "Id", "Name"),
              (Pairs{{"1", "a"}, {"2", "b"}, {"3", "c"}, {"5", "e"}}));
}

// Quotes, backslashes, SQL fragments and Windows-1252 letters cross in both directions
// unchanged, as values and as string keys.
TEST(SyncDriverValues, HostileTextsArriveUnchanged) {
    const std::vector<std::string> texts = {"O'Neil",     "back\\slash", "'); DROP TABLE Codes; --",
                                            "say \"hi\"", "été €",       "[x]`y`"};
    SyncHarness h;
    h.Exec("CREATE TABLE Codes (Code TEXT, Note TEXT)");
    std::vector<std::string> records;
    for (size_t i = 0; i < texts.size(); ++i)
        records.push_back(TextBytes("h" + texts[i]) + TextBytes(texts[i]));
    h.WriteHandheld("CodesDB", records);
    auto insert = h.platform.Odbc().connect("DRIVER={SQLite3};Database=" + h.databaseFile.string());
    for (const auto& text : texts) {
        std::string quoted;
        for (char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
        insert->execute("INSERT INTO Codes VALUES ('d" + quoted + "', '" + quoted + "')");
    }
    auto& table = h.AddTable("Codes", "CodesDB", 0);
    table.Fields().Add("Code", 6);
    table.Fields().Add("Note", 6);
    h.Install();
    h.Sync();
    ASSERT_NE(h.Log().find("Completed Synchronization"), std::string::npos) << h.Log();

    Pairs expected;
    for (const auto& text : texts) {
        expected["h" + text] = text;
        expected["d" + text] = text;
    }
    EXPECT_EQ(h.DesktopPairs("Codes", "Code", "Note"), expected);
    Pairs handheld;
    for (const auto& r : h.ReadHandheld("CodesDB")) {
        size_t end = r.find('\0');
        handheld[text::FromAnsi(r.substr(0, end))] =
            text::FromAnsi(r.substr(end + 1, r.find('\0', end + 1) - end - 1));
    }
    EXPECT_EQ(handheld, expected);
}

// Damaged handheld records and desktops too large for a handheld end in the bail-out, and the
// handheld database stays exactly as it was.
TEST(SyncDriverLimits, BadInputBailsOutAndKeepsTheHandheldFile) {
    {
        SyncHarness h;
        h.Exec("CREATE TABLE Items (Id INTEGER, Name TEXT)");
        h.WriteHandheld("ItemsDB", {ItemRecord(1, "fine"), Int32Bytes(2) + "no zero byte"});
        AddItemFields(h.AddTable("Items", "ItemsDB", 0));
        h.Install();
        const std::string before =
            tarn::test::ReadFileBytes(h.platform.handheldDir / "ItemsDB.pdb");
        h.Sync();
        EXPECT_NE(h.Log().find("!! Error loading field Name from Palm\n"), std::string::npos)
            << h.Log();
        EXPECT_EQ(tarn::test::ReadFileBytes(h.platform.handheldDir / "ItemsDB.pdb"), before);
        EXPECT_TRUE(h.Query("SELECT * FROM Items").empty());
    }
    {
        SyncHarness h;
        h.Exec("CREATE TABLE Items (Id INTEGER, Name TEXT)");
        h.Exec(
            "INSERT INTO Items WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
            "WHERE x < 65536) SELECT x, 'n' FROM n");
        h.WriteHandheld("ItemsDB", {ItemRecord(1, "old")});
        AddItemFields(h.AddTable("Items", "ItemsDB", 3));
        h.Install();
        const std::string before =
            tarn::test::ReadFileBytes(h.platform.handheldDir / "ItemsDB.pdb");
        h.Sync();
        EXPECT_NE(h.Log().find("can hold at most 65535 records"), std::string::npos) << h.Log();
        EXPECT_EQ(tarn::test::ReadFileBytes(h.platform.handheldDir / "ItemsDB.pdb"), before);
    }
    {
        SyncHarness h;
        h.Exec("CREATE TABLE Items (Id INTEGER, Name TEXT)");
        h.Exec("INSERT INTO Items VALUES (1, '" + std::string(20000, 'x') + "')");
        h.WriteHandheld("ItemsDB", {ItemRecord(7, "old")});
        AddItemFields(h.AddTable("Items", "ItemsDB", 3));
        h.Install();
        const std::string before =
            tarn::test::ReadFileBytes(h.platform.handheldDir / "ItemsDB.pdb");
        h.Sync();
        EXPECT_NE(h.Log().find("!! Error adding field to Palm record: Name DataType=String"),
                  std::string::npos)
            << h.Log();
        EXPECT_EQ(tarn::test::ReadFileBytes(h.platform.handheldDir / "ItemsDB.pdb"), before);
    }
}

}  // namespace
}  // namespace tarn::conduit::test
