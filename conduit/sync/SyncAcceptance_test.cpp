// Whole synchronisations as a user sees them, on every desktop database (see
// testing/SyncAcceptance.h for where each database's run is instantiated).
#include "conduit/sync/testing/SyncAcceptance.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "common/config/Scramble.h"
#include "conduit/sync/TarnFunc.h"
#include "tests/support/TempDir.h"
#include "text/Windows1252.h"

namespace tarn::conduit::test {

std::string ItemRecord(int32_t id, const std::string& name, int32_t status) {
    return Int32Bytes(id) + TextBytes(name) + Int32Bytes(status);
}

Pairs HandheldPairs(SyncHarness& h, const std::string& database) {
    Pairs pairs;
    for (const auto& r : h.ReadHandheld(database)) {
        auto u = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(r[i])); };
        int32_t id = static_cast<int32_t>(u(0) << 24 | u(1) << 16 | u(2) << 8 | u(3));
        size_t end = r.find('\0', 4);
        std::string name = text::FromAnsi(r.substr(4, end - 4));
        int32_t status = static_cast<int32_t>(u(end + 4));
        pairs[std::to_string(id)] = name + (status == 1 ? "*" : "");
    }
    return pairs;
}

void AddItemFields(clsTable& table) {
    AddFields(table, {{"Id", 3}, {"Name", 6}, {"##STATUSFLAG##", 8}});
}

void SeedItems(SyncHarness& h, const std::string& rows, const std::vector<std::string>& records,
               int16_t method) {
    h.Exec("CREATE TABLE Items (Id INTEGER, Name TEXT)");
    if (!rows.empty()) h.Exec("INSERT INTO Items " + rows);
    if (!records.empty()) h.WriteHandheld("ItemsDB", records);
    AddItemFields(h.AddTable("Items", "ItemsDB", method));
    h.Install();
}

BothSides Snapshot(SyncHarness& h, const std::vector<std::string>& tables) {
    BothSides sides;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(h.platform.handheldDir))
        sides.handheld[entry.path().lexically_relative(h.platform.handheldDir).string()] =
            entry.is_regular_file() ? tarn::test::ReadFileBytes(entry.path()) : "<folder>";
    for (const auto& table : tables) {
        auto rows = h.Query("SELECT * FROM " + table + " ORDER BY 1, 2");
        sides.desktop.insert(sides.desktop.end(), rows.begin(), rows.end());
        sides.desktop.push_back({"--- end of " + table});
    }
    return sides;
}

void SyncAndExpectCompleted(SyncHarness& h) {
    h.Sync();
    const std::string log = h.Log();
    ASSERT_NE(log.rfind("Completed Synchronization"), std::string::npos) << log;
    ASSERT_EQ(log.find("CONDUIT ERRROR"), std::string::npos) << log;
}

void ExpectSecondSyncChangesNothing(SyncHarness& h, const std::string& table) {
    const BothSides before = Snapshot(h, {table});
    const size_t syncs = h.platform.utility.outcomes.size();
    h.Sync();
    ASSERT_EQ(h.platform.utility.outcomes.size(), syncs + 1);
    EXPECT_TRUE(h.platform.utility.outcomes.back().completed) << h.Log();
    EXPECT_TRUE(Snapshot(h, {table}) == before) << "the second sync changed a side";
}

std::string BehaviourCaseName(
    const ::testing::TestParamInfo<std::tuple<DesktopKind, MethodCase>>& info) {
    return DesktopKindName(std::get<0>(info.param)) + "_" + std::get<1>(info.param).name;
}

std::string DesktopCaseName(const ::testing::TestParamInfo<DesktopKind>& info) {
    return DesktopKindName(info.param);
}

std::string BareTableDelimiter(DesktopKind kind) {
    return kind == DesktopKind::PostgreSql ? "" : "`";
}

void SeedFiveSituations(SyncHarness& h) {
    h.Exec("CREATE TABLE Items (Id INTEGER, Name TEXT)");
    h.Exec("INSERT INTO Items VALUES (3, 'd3'), (4, 'd4'), (5, 'd5')");
    h.WriteHandheld("ItemsDB", {ItemRecord(1, "h1"), ItemRecord(2, "h2", 1), ItemRecord(4, "h4"),
                                ItemRecord(5, "h5", 1)});
}

void SeedThreeTablesSecondFails(SyncHarness& h) {
    for (const char* t : {"A", "B", "C"}) {
        h.Exec(std::string("CREATE TABLE ") + t + " (Id INTEGER, Name TEXT CHECK (Name <> 'bad'))");
        h.Exec(std::string("INSERT INTO ") + t + " VALUES (9, 'desk')");
        // In B, record 1 is inserted before record 5 fails the check.
        const char* fifth = std::string(t) == "B" ? "bad" : "fine";
        h.WriteHandheld(std::string(t) + "DB", {ItemRecord(1, "hand"), ItemRecord(5, fifth)});
        AddItemFields(h.AddTable(t, std::string(t) + "DB", 0));
    }
}

std::vector<MethodCase> MethodCases() {
    const Pairs desktopBefore = {{"3", "d3"}, {"4", "d4"}, {"5", "d5"}};
    const Pairs handheldBefore = {{"1", "h1"}, {"2", "h2*"}, {"4", "h4"}, {"5", "h5*"}};
    const Pairs synchronized = {{"1", "h1"}, {"3", "d3"}, {"4", "d4"}};
    return {
        {"Synchronize", 0, false, synchronized, synchronized},
        {"SynchronizeIgnoresPurge", 0, true, synchronized, synchronized},
        {"HandheldOverwritesDesktop", 2, false, synchronized, handheldBefore},
        {"HandheldOverwritesDesktopWithPurge", 2, true, {{"1", "h1"}, {"4", "h4"}}, handheldBefore},
        // The desktop is the master: a record deleted on the handheld comes back from it at
        // once, rather than at the sync after.
        {"DesktopOverwritesHandheld",
         3,
         false,
         desktopBefore,
         {{"1", "h1"}, {"3", "d3"}, {"4", "d4"}, {"5", "d5"}}},
        {"DesktopOverwritesHandheldWithPurge",
         3,
         true,
         desktopBefore,
         {{"3", "d3"}, {"4", "d4"}, {"5", "d5"}}},
        {"DoNothing", 6, false, desktopBefore, handheldBefore},
    };
}

void ExpectBailOutKeepsEachTableWhole(SyncHarness& h) {
    SeedThreeTablesSecondFails(h);
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
    // Each database words it its own way, all of them naming the constraint.
    EXPECT_NE(text::FoldCase(lines[lines.size() - 2]).find("constraint"), std::string::npos)
        << lines[lines.size() - 2];
    EXPECT_EQ(lines.back(), "!! Synchronization did not complete successfully");

    const Pairs synced = {{"1", "hand"}, {"5", "fine"}, {"9", "desk"}};
    EXPECT_EQ(h.DesktopPairs("A", "Id", "Name"), synced);
    EXPECT_EQ(HandheldPairs(h, "ADB"), synced);
    EXPECT_EQ(h.DesktopPairs("B", "Id", "Name"), (Pairs{{"9", "desk"}}));
    EXPECT_EQ(tarn::test::ReadFileBytes(h.platform.handheldDir / "BDB.pdb"), handheldB);
    EXPECT_EQ(h.DesktopPairs("C", "Id", "Name"), (Pairs{{"9", "desk"}}));
    EXPECT_EQ(tarn::test::ReadFileBytes(h.platform.handheldDir / "CDB.pdb"), handheldC);
}

// A failing statement ends the sync; the table it belongs to is rolled back whole.
TEST_P(SyncAcceptance, BailOutInTheSecondOfThreeTablesKeepsEachTableWhole) {
    SyncHarness h(GetParam());
    ExpectBailOutKeepsEachTableWhole(h);
}

namespace {

std::string OrderRecord(int32_t id, const std::string& name, const std::string& region) {
    return Int32Bytes(id) + TextBytes(name) + TextBytes(region);
}

// Filters restrict what is read, what an update may touch and what a purge deletes.
TEST_P(SyncAcceptance, FiltersRestrictReadsUpdatesAndPurges) {
    SyncHarness h(GetParam());
    h.Exec("CREATE TABLE Orders (Id INTEGER, Name TEXT, Region TEXT)");
    h.Exec("INSERT INTO Orders VALUES (1, 'a', 'North'), (2, 'b', 'South')");
    h.WriteHandheld("TarnCFitler-TEST", {TextBytes("Region") + TextBytes("North")});
    // Record 2 exists on the desktop outside the filter: its update must not touch it.
    h.WriteHandheld("OrdersDB", {OrderRecord(2, "hb", "North"), OrderRecord(3, "c", "North")});
    AddFields(h.AddTable("Orders", "OrdersDB", 0),
              {{"Id", 3}, {"Name", 6}, {"Region", 6, "Region"}});
    h.settings.FilterDatabase = ScrambleString("TarnCFitler-TEST");
    h.Install();
    h.SetDebugLevel(4);
    h.Sync();
    std::string log = h.Log();
    const std::string q = BareTableDelimiter(GetParam());
    EXPECT_NE(log.find(" Filters Loaded: 1\n"), std::string::npos) << log;
    EXPECT_NE(log.find("UPDATE " + q + "Orders" + q + " SET " + q + "Id" + q + "=2, " + q + "Name" +
                       q + "='hb', " + q + "Region" + q + "='North' WHERE " + q + "Id" + q +
                       "=2 AND Region='North'"),
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
    SyncAndExpectCompleted(h);
    EXPECT_EQ(h.DesktopPairs("Orders", "Id", "Name"),
              (Pairs{{"1", "a"}, {"2", "b"}, {"3", "c"}, {"5", "e"}}));
}

// Texts a user may well type: quotes of both kinds, backslashes, SQL fragments and
// Windows-1252 letters.
const std::vector<std::string>& AwkwardTexts() {
    static const std::vector<std::string> texts = {
        "O'Neil", "back\\slash", "'); DROP TABLE Codes; --", "say \"hi\"", "été €",
        "[x]`y`", "\\'"};
    return texts;
}

std::string SqlLiteral(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return quoted + "'";
}

// Awkward texts cross in both directions unchanged, as values and as string keys.
TEST_P(SyncAcceptance, AwkwardTextsArriveUnchanged) {
    SyncHarness h(GetParam());
    h.Exec("CREATE TABLE Codes (Code VARCHAR(100), Note TEXT)");
    std::vector<std::string> records;
    for (const auto& text : AwkwardTexts()) {
        records.push_back(TextBytes("h" + text) + TextBytes(text));
        h.Exec("INSERT INTO Codes VALUES (" + SqlLiteral("d" + text) + ", " + SqlLiteral(text) +
               ")");
    }
    h.WriteHandheld("CodesDB", records);
    AddFields(h.AddTable("Codes", "CodesDB", 0), {{"Code", 6}, {"Note", 6}});
    h.Install();
    SyncAndExpectCompleted(h);

    Pairs expected;
    for (const auto& text : AwkwardTexts()) {
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

    // Deleting by an awkward string key removes exactly that row: the desktop's rows come
    // back from the handheld marked deleted.
    std::filesystem::remove(h.platform.handheldDir / "CodesDB.pdb");
    h.tables.Item(1)->Fields().Add("##STATUSFLAG##", 8);
    records.clear();
    for (const auto& text : AwkwardTexts())
        records.push_back(TextBytes("d" + text) + TextBytes(text) + Int32Bytes(1));
    h.WriteHandheld("CodesDB", records);
    h.Install();
    h.Sync();
    Pairs handheldOnly;
    for (const auto& text : AwkwardTexts()) handheldOnly["h" + text] = text;
    EXPECT_EQ(h.DesktopPairs("Codes", "Code", "Note"), handheldOnly) << h.Log();
}

// A key the handheld would hold as another text ('?' for each character Windows-1252 lacks)
// stays on the desktop only: otherwise the next sync took the handheld's copy for a new record
// and added it to the desktop under the '?' key. Its other fields may still lose characters,
// which the log says.
TEST_P(SyncAcceptance, KeysTheHandheldCannotHoldStayOnTheDesktop) {
    SyncHarness h(GetParam());
    h.Exec("CREATE TABLE Names (Name VARCHAR(20), Note VARCHAR(20))");
    h.Exec(
        "INSERT INTO Names VALUES ('\xce\xa9mega', 'greek'), ('\xd0\x96uk', 'cyrillic'), "
        "('\xc3\xa9t\xc3\xa9 \xe2\x82\xac', 'held'), ('plain', '\xce\xa9')");
    AddFields(h.AddTable("Names", "NamesDB", 0), {{"Name", 6}, {"Note", 6}});
    h.Install();
    const Pairs desktop = h.DesktopPairs("Names", "Name", "Note");
    SyncAndExpectCompleted(h);
    EXPECT_NE(h.Log().find("Skipped 2 desktop rows of Names whose key has characters the "
                           "handheld cannot hold: they stay on the desktop only"),
              std::string::npos)
        << h.Log();
    EXPECT_NE(h.Log().find("\n1 desktop rows of Names have texts with characters the handheld "
                           "cannot hold: they reach it with '?' in their place\n"),
              std::string::npos)
        << h.Log();
    EXPECT_EQ(
        h.ReadHandheld("NamesDB"),
        (std::vector<std::string>{TextBytes("\xc3\xa9t\xc3\xa9 \xe2\x82\xac") + TextBytes("held"),
                                  TextBytes("plain") + TextBytes("?")}));
    EXPECT_EQ(h.DesktopPairs("Names", "Name", "Note"), desktop);
    ExpectSecondSyncChangesNothing(h, "Names");
}

// Filter values are typed on the handheld; awkward ones still select exactly their rows, and
// an ignored column takes its filter's value unchanged in a new row.
TEST_P(SyncAcceptance, AwkwardFilterValuesSelectTheirRows) {
    const std::string region = "O'Neil \\ \"Nord\" été €";
    const std::string owner = "Bob's \\desk";
    SyncHarness h(GetParam());
    h.Exec("CREATE TABLE Contacts (Id INTEGER, Name TEXT, Region TEXT, Owner TEXT)");
    // Both filters apply to reads: only row 1 matches them both.
    h.Exec("INSERT INTO Contacts VALUES (1, 'a', " + SqlLiteral(region) + ", " + SqlLiteral(owner) +
           "), (2, 'b', " + SqlLiteral(region + "x") + ", " + SqlLiteral(owner) + "), (3, 'c', " +
           SqlLiteral(region) + ", 'x')");
    h.WriteHandheld("TarnCFitler-TEST", {TextBytes("Region") + TextBytes(region),
                                         TextBytes("Owner") + TextBytes(owner)});
    // 2 exists outside the filter: the update leaves it alone. 4 is new.
    h.WriteHandheld("ContactsDB", {OrderRecord(2, "hb", region), OrderRecord(4, "d", region)});
    AddFields(h.AddTable("Contacts", "ContactsDB", 0),
              {{"Id", 3}, {"Name", 6}, {"Region", 6, "Region"}, {"Owner", 10, "Owner"}});
    h.settings.FilterDatabase = ScrambleString("TarnCFitler-TEST");
    h.Install();
    SyncAndExpectCompleted(h);

    EXPECT_EQ(h.DesktopPairs("Contacts", "Id", "Name"),
              (Pairs{{"1", "a"}, {"2", "b"}, {"3", "c"}, {"4", "d"}}));
    EXPECT_EQ(h.DesktopPairs("Contacts", "Id", "Region")["4"], region);
    EXPECT_EQ(h.DesktopPairs("Contacts", "Id", "Owner")["4"], owner);
    // Only row 1 was read: the handheld holds it beside its own two records.
    Pairs handheld;
    for (const auto& r : h.ReadHandheld("ContactsDB"))
        handheld[std::to_string(static_cast<unsigned char>(r[3]))] =
            text::FromAnsi(r.substr(4, r.find('\0', 4) - 4));
    EXPECT_EQ(handheld, (Pairs{{"1", "a"}, {"2", "hb"}, {"4", "d"}}));
}

// A table whose name and columns only quoting can reach: a blank in the name, capitals that
// PostgreSQL would otherwise fold. Reads, inserts and deletes all find it.
TEST_P(SyncAcceptance, TableNamesThatNeedQuotingWork) {
    SyncHarness h(GetParam());
    h.Exec("CREATE TABLE " + h.Quote("Order Lines") + " (" + h.Quote("LineNo") + " INTEGER, " +
           h.Quote("Item Name") + " TEXT)");
    h.Exec("INSERT INTO " + h.Quote("Order Lines") + " VALUES (2, 'desk'), (3, 'doomed')");
    h.WriteHandheld("LinesDB", {ItemRecord(1, "hand"), ItemRecord(3, "doomed", 1)});
    AddFields(h.AddTable("Order Lines", "LinesDB", 0),
              {{"LineNo", 3}, {"Item Name", 6}, {"##STATUSFLAG##", 8}});
    h.Install();
    h.SetDebugLevel(3);
    SyncAndExpectCompleted(h);
    EXPECT_EQ(h.LoggedLeftDelimiter(), GetParam() == DesktopKind::PostgreSql ? "\"" : "`");
    EXPECT_EQ(h.DesktopPairs(h.Quote("Order Lines"), h.Quote("LineNo"), h.Quote("Item Name")),
              (Pairs{{"1", "hand"}, {"2", "desk"}}));
    EXPECT_EQ(HandheldPairs(h, "LinesDB"), (Pairs{{"1", "hand"}, {"2", "desk"}}));
}

// Columns the description does not name, before, between and after those it does, are left
// unread; the named ones, in columns of their own types, cross exactly both ways (the driver's
// text for each read back into the handheld's encoding), doubles that print in many ways and
// days far from today included, and a second sync changes nothing on either side.
TEST_P(SyncAcceptance, UnnamedColumnsAreSkippedAndValuesCrossExactlyTwice) {
    SyncHarness h(GetParam());
    h.Exec(
        "CREATE TABLE Wide (Lead TEXT, Id INTEGER, Skipped DOUBLE PRECISION, Amount DOUBLE "
        "PRECISION, Due DATE, Note TEXT, StartsAt TIME, Tail TEXT)");
    const double amounts[] = {0.1 + 0.2, 1e-7, 123456.789, -2.5, 1e20, 7};
    const char* dues[] = {"1899-12-31", "1903-12-31", "2040-02-29",
                          "2005-12-31", "0100-01-01", "9999-12-31"};
    for (int i = 0; i < 6; ++i) {
        char amount[40];
        std::snprintf(amount, sizeof amount, "%.17g", amounts[i]);
        h.Exec("INSERT INTO Wide VALUES ('b', " + std::to_string(i + 1) + ", 1.5, " + amount +
               ", '" + dues[i] + "', 'n" + std::to_string(i) + "', '23:59:5" + std::to_string(i) +
               "', 'a')");
    }
    const double date = DateToPalmNumber({2005, 12, 31});
    const double time = TimeToPalmNumber({13, 5, 9});
    const std::string handheld =
        Int32Bytes(7) + DoubleBytes(-0.5) + DoubleBytes(date) + TextBytes("h") + DoubleBytes(time);
    h.WriteHandheld("WideDB", {handheld});
    AddFields(h.AddTable("Wide", "WideDB", 0),
              {{"Id", 3}, {"Amount", 2}, {"Due", 1}, {"Note", 6}, {"StartsAt", 7}});
    h.Install();
    SyncAndExpectCompleted(h);
    std::vector<std::string> expected;
    for (int i = 0; i < 6; ++i) {
        const std::string due(dues[i]);
        const CalendarDate date{std::stoi(due.substr(0, 4)), std::stoi(due.substr(5, 2)),
                                std::stoi(due.substr(8, 2))};
        expected.push_back(
            Int32Bytes(i + 1) + DoubleBytes(amounts[i]) + DoubleBytes(DateToPalmNumber(date)) +
            TextBytes("n" + std::to_string(i)) + DoubleBytes(TimeToPalmNumber({23, 59, 50 + i})));
    }
    expected.push_back(handheld);
    EXPECT_EQ(h.ReadHandheld("WideDB"), expected);
    auto rows = h.Query("SELECT Lead, Amount, Due, StartsAt, Tail FROM Wide WHERE Id = 7");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], std::nullopt);
    EXPECT_EQ(std::stod(rows[0][1].value_or("")), -0.5);
    EXPECT_EQ(rows[0][2], "2005-12-31");
    EXPECT_EQ(rows[0][3], "13:05:09");
    EXPECT_EQ(rows[0][4], std::nullopt);
    ExpectSecondSyncChangesNothing(h, "Wide");
}

}  // namespace
}  // namespace tarn::conduit::test
