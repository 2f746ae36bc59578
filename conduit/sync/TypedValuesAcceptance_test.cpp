// One value has one text on both sides: numbers, dates and keys in the desktop's own column
// types meet their handheld records, and a second sync changes nothing, byte for byte.
// Instantiated on every desktop database with the other acceptance tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "common/config/Scramble.h"
#include "conduit/sync/TarnFunc.h"
#include "conduit/sync/testing/SyncAcceptance.h"
#include "tests/support/TempDir.h"
#include "text/Windows1252.h"

namespace tarn::conduit::test {
namespace {

// The text fields of the handheld's records, in record order.
std::vector<std::string> HandheldTexts(SyncHarness& h, const std::string& database, size_t offset) {
    std::vector<std::string> texts;
    for (const auto& r : h.ReadHandheld(database))
        texts.push_back(text::FromAnsi(r.substr(offset, r.find('\0', offset) - offset)));
    return texts;
}

std::vector<std::string> DesktopTexts(SyncHarness& h, const std::string& sql) {
    std::vector<std::string> texts;
    for (const auto& row : h.Query(sql)) texts.push_back(row[0].value_or("NULL"));
    return texts;
}

// A key column of one of the desktop's own types, the field type a designer would give it,
// and the three keys 7, 8 and 9 as SQL literals and as handheld bytes.
struct KeyColumn {
    const char* name;
    const char* sqlite;
    const char* postgres;
    const char* mariadb;
    int16_t fieldType;
    const char* literals[3];
};

std::string KeyBytes(const KeyColumn& c, int which) {
    switch (c.fieldType) {
        case 1:
            return DoubleBytes(DateToPalmNumber({2005, 12, 29 + which}));
        case 2:
            return DoubleBytes(7 + which);
        case 3:
            return Int32Bytes(7 + which);
        default:  // 7, Time
            return DoubleBytes(TimeToPalmNumber({13, 5, 7 + which}));
    }
}

std::vector<KeyColumn> KeyColumns() {
    return {
        {"Real", "REAL", "REAL", "REAL", 2, {"7", "8", "9"}},
        {"Float", "FLOAT", "FLOAT", "FLOAT", 2, {"7", "8", "9"}},
        {"Double", "DOUBLE", "DOUBLE PRECISION", "DOUBLE", 2, {"7", "8", "9"}},
        {"Decimal", "DECIMAL(10,2)", "DECIMAL(10,2)", "DECIMAL(10,2)", 2, {"7", "8", "9"}},
        {"NumericAsInteger", "NUMERIC(12,4)", "NUMERIC(12,4)", "NUMERIC(12,4)", 3, {"7", "8", "9"}},
        {"Integer", "INTEGER", "INTEGER", "INTEGER", 3, {"7", "8", "9"}},
        {"Bigint", "BIGINT", "BIGINT", "BIGINT", 3, {"7", "8", "9"}},
        {"Date", "DATE", "DATE", "DATE", 1, {"'2005-12-29'", "'2005-12-30'", "'2005-12-31'"}},
        {"Timestamp",
         "TIMESTAMP",
         "TIMESTAMP",
         "DATETIME",
         1,
         {"'2005-12-29 00:00:00'", "'2005-12-30 00:00:00'", "'2005-12-31 00:00:00'"}},
        {"Time", "TIME", "TIME", "TIME", 7, {"'13:05:07'", "'13:05:08'", "'13:05:09'"}},
    };
}

const char* ColumnType(const KeyColumn& c, DesktopKind kind) {
    switch (kind) {
        case DesktopKind::Sqlite:
            return c.sqlite;
        case DesktopKind::PostgreSql:
            return c.postgres;
        case DesktopKind::MariaDb:
            return c.mariadb;
    }
    return c.sqlite;
}

// Keys 7 and 9 on the desktop, 7 and 8 on the handheld, in each column type and each sync
// method. Key 7 must meet its handheld record: the desktop row wins where both are read, and
// nothing is doubled.
TEST_P(SyncAcceptance, KeysOfEveryColumnTypeMeetTheirHandheldRecords) {
    struct Method {
        int16_t code;
        std::vector<std::string> desktop, handheld;
    };
    const std::vector<Method> methods = {
        {0, {"desk7", "desk9", "hand8"}, {"desk7", "hand8", "desk9"}},
        {2, {"desk7", "desk9", "hand8"}, {"hand7", "hand8"}},
        {3, {"desk7", "desk9"}, {"desk7", "hand8", "desk9"}},
    };
    for (const auto& column : KeyColumns()) {
        for (const auto& method : methods) {
            SCOPED_TRACE(std::string(column.name) + " method " + std::to_string(method.code));
            SyncHarness h(GetParam());
            h.Exec(std::string("CREATE TABLE K (Id ") + ColumnType(column, GetParam()) +
                   ", Name VARCHAR(20))");
            h.Exec(std::string("INSERT INTO K VALUES (") + column.literals[0] + ", 'desk7'), (" +
                   column.literals[2] + ", 'desk9')");
            h.WriteHandheld("KDB", {KeyBytes(column, 0) + TextBytes("hand7"),
                                    KeyBytes(column, 1) + TextBytes("hand8")});
            AddFields(h.AddTable("K", "KDB", method.code), {{"Id", column.fieldType}, {"Name", 6}});
            h.Install();
            SyncAndExpectCompleted(h);
            EXPECT_EQ(DesktopTexts(h, "SELECT Name FROM K ORDER BY Name"), method.desktop);
            EXPECT_EQ(HandheldTexts(h, "KDB", 8 - 4 * (column.fieldType == 3)), method.handheld);
            ExpectSecondSyncChangesNothing(h, "K");
        }
    }
}

// Doubles cross with every bit: to the desktop, back to an emptied handheld, and again. Short
// decimals (up to 11 digits before the point and 4 after it) and their neighbours, one bit
// away, which print alike to 15 digits, are among them.
TEST_P(SyncAcceptance, DoublesKeepEveryBitBothWays) {
    std::vector<double> values = {0.30000000000000004,
                                  1.7976931348623157e308,
                                  -1.7976931348623157e308,
                                  2.2250738585072014e-308,
                                  0.1,
                                  123456789.12345679,
                                  -4.9406564584124654e-324};
    std::vector<double> decimals = {
        99999999999.9999, -99999999999.9999, 1e11,  1e11 + 0.5, 12.3456, -12.3456,
        0.0001,           0.00005,           2.675, 1.005,      7,       -2.5};
    std::mt19937_64 random(7);
    for (int i = 0; i < 100; ++i)
        decimals.push_back(static_cast<double>(static_cast<int64_t>(random() % 2000000000000000) -
                                               1000000000000000) /
                           std::pow(10.0, static_cast<double>(random() % 5)));
    for (double decimal : decimals)
        values.insert(values.end(),
                      {decimal, std::nextafter(decimal, 1e300), std::nextafter(decimal, -1e300)});
    SyncHarness h(GetParam());
    h.Exec("CREATE TABLE D (Id INTEGER, X DOUBLE PRECISION)");
    std::vector<std::string> records;
    for (size_t i = 0; i < values.size(); ++i)
        records.push_back(Int32Bytes(static_cast<int32_t>(i)) + DoubleBytes(values[i]));
    h.WriteHandheld("DDB", records);
    AddFields(h.AddTable("D", "DDB", 0), {{"Id", 3}, {"X", 2}});
    h.Install();
    SyncAndExpectCompleted(h);
    ASSERT_EQ(h.Query("SELECT Id FROM D").size(), values.size());

    std::filesystem::remove(h.platform.handheldDir / "DDB.pdb");
    SyncAndExpectCompleted(h);
    std::vector<std::string> back = h.ReadHandheld("DDB");
    std::sort(back.begin(), back.end());  // the sync writes them in the order of their keys' texts
    std::sort(records.begin(), records.end());
    EXPECT_EQ(back, records);
    ExpectSecondSyncChangesNothing(h, "D");
}

// A filter on a double compares the table's own column, every bit of it, and the columns the
// description does not name are read past whatever their names.
TEST_P(SyncAcceptance, AFilteredDoubleArrivesWithEveryBitBesideAwkwardColumnNames) {
    SyncHarness h(GetParam());
    const std::string said =
        GetParam() == DesktopKind::MariaDb ? "`say \"hi\"`" : "\"say \"\"hi\"\"\"";
    h.Exec("CREATE TABLE F (Id INTEGER, " + said + " TEXT, X DOUBLE PRECISION, " +
           h.Quote("select") + " TEXT)");
    h.Exec("INSERT INTO F VALUES (1, 'a', 0.30000000000000004, 's'), (2, 'b', 0.3, 't')");
    h.WriteHandheld("TarnCFitler-TEST", {TextBytes("Amount") + TextBytes("0.30000000000000004")});
    AddFields(h.AddTable("F", "FDB", 0), {{"Id", 3}, {"X", 2, "Amount"}});
    h.settings.FilterDatabase = ScrambleString("TarnCFitler-TEST");
    h.Install();
    SyncAndExpectCompleted(h);
    EXPECT_EQ(h.ReadHandheld("FDB"),
              (std::vector<std::string>{Int32Bytes(1) + DoubleBytes(0.30000000000000004)}));
    ExpectSecondSyncChangesNothing(h, "F");
}

// A desktop table that is not there ends the sync naming the step, also where its doubles
// would have been read through an expression; the handheld keeps what it had.
TEST_P(SyncAcceptance, AMissingTableEndsTheSyncNamingTheRead) {
    SyncHarness h(GetParam());
    const std::vector<std::string> records = {Int32Bytes(1) + DoubleBytes(0.5)};
    h.WriteHandheld("GDB", records);
    AddFields(h.AddTable("Gone", "GDB", 0), {{"Id", 3}, {"X", 2}});
    h.Install();
    h.Sync();
    EXPECT_NE(h.Log().find("\n!! Error getting data from desktop tableGone\n"), std::string::npos)
        << h.Log();
    EXPECT_EQ(h.Log().find("Completed Synchronization"), std::string::npos) << h.Log();
    EXPECT_EQ(h.ReadHandheld("GDB"), records);
}

// A desktop value that is no value of its field's type ends the sync naming the field; it is
// never guessed into a number, and neither side changes.
TEST_P(SyncAcceptance, ValuesOfTheWrongTypeEndTheSyncNamingTheField) {
    SyncHarness h(GetParam());
    h.Exec("CREATE TABLE W (Id INTEGER, Amount VARCHAR(20))");
    h.Exec("INSERT INTO W VALUES (1, '2.5'), (2, 'about 3')");
    h.WriteHandheld("WDB", {Int32Bytes(5) + DoubleBytes(1.5)});
    AddFields(h.AddTable("W", "WDB", 0), {{"Id", 3}, {"Amount", 2}});
    h.Install();
    const BothSides before = Snapshot(h, {"W"});
    h.Sync();
    EXPECT_NE(h.Log().find("\n!! Error loading field Amount from desktop\n"), std::string::npos)
        << h.Log();
    EXPECT_NE(h.Log().find("'about 3'"), std::string::npos) << h.Log();
    EXPECT_TRUE(Snapshot(h, {"W"}) == before);
}

// A desktop row without a key cannot be told apart from another on the handheld: it is left
// out, once per sync and said so, and never comes back as a key 0 or an empty key.
TEST_P(SyncAcceptance, RowsWithoutAKeyAreLeftOutAndSaidSo) {
    SyncHarness h(GetParam());
    h.Exec("CREATE TABLE N (Id INTEGER, Name VARCHAR(20))");
    h.Exec("INSERT INTO N VALUES (NULL, 'n1'), (NULL, 'n2'), (3, 'd3')");
    h.Exec("CREATE TABLE S (Code VARCHAR(20), Name VARCHAR(20))");
    h.Exec("INSERT INTO S VALUES (NULL, 'n'), ('x', 'dx')");
    // The handheld's record with an empty key goes to the desktop and stays one row.
    h.WriteHandheld("SDB", {TextBytes("") + TextBytes("empty")});
    AddFields(h.AddTable("N", "NDB", 0), {{"Id", 3}, {"Name", 6}});
    AddFields(h.AddTable("S", "SDB", 0), {{"Code", 6}, {"Name", 6}});
    h.Install();
    h.SetDebugLevel(1);
    SyncAndExpectCompleted(h);
    EXPECT_NE(h.Log().find("\nSkipped 2 desktop rows of N whose key is empty: the handheld "
                           "cannot tell them apart\n"),
              std::string::npos)
        << h.Log();
    EXPECT_EQ(HandheldTexts(h, "NDB", 4), (std::vector<std::string>{"d3"}));
    EXPECT_EQ(DesktopTexts(h, "SELECT Name FROM S ORDER BY Name"),
              (std::vector<std::string>{"dx", "empty", "n"}));

    ExpectSecondSyncChangesNothing(h, "N");
    ExpectSecondSyncChangesNothing(h, "S");
    EXPECT_EQ(h.Query("SELECT Id FROM N").size(), 3u);
}

// A record without a date is stored on the desktop as the zero date and stays without one; a
// date before 1900 travels as a negative number and reaches the desktop with that date, not the
// zero date.
TEST_P(SyncAcceptance, RecordsWithoutADateOrBefore1900CrossUnchanged) {
    SyncHarness h(GetParam());
    h.Exec("CREATE TABLE V (Id INTEGER, Due DATE)");
    const std::vector<std::string> records{
        Int32Bytes(1) + std::string(8, '\0'),
        Int32Bytes(2) + DoubleBytes(DateToPalmNumber({1850, 5, 6})),
        Int32Bytes(3) + DoubleBytes(DateToPalmNumber({1899, 12, 31}))};
    h.WriteHandheld("VDB", records);
    AddFields(h.AddTable("V", "VDB", 0), {{"Id", 3}, {"Due", 1}});
    h.Install();
    SyncAndExpectCompleted(h);
    EXPECT_EQ(DesktopTexts(h, "SELECT Due FROM V ORDER BY Id"),
              (std::vector<std::string>{"1899-12-30", "1850-05-06", "1899-12-31"}));
    EXPECT_EQ(h.ReadHandheld("VDB"), records);
    ExpectSecondSyncChangesNothing(h, "V");
    EXPECT_EQ(h.ReadHandheld("VDB"), records);
}

// A table C whose codes compare letter case exactly on every database.
void CreateCodesOfExactCase(SyncHarness& h) {
    h.Exec(std::string("CREATE TABLE C (Code VARCHAR(20)") +
           (h.desktop.kind == DesktopKind::MariaDb ? " COLLATE utf8mb4_bin" : "") +
           ", Name VARCHAR(20))");
}

// Keys meet without regard to letter case, so a deletion on the handheld must reach the row
// however the desktop spells its key, also on a database that compares case exactly.
TEST_P(SyncAcceptance, HandheldDeletionReachesTheRowWhateverItsLetterCase) {
    SyncHarness h(GetParam());
    h.Exec("CREATE TABLE C (Code VARCHAR(20), Name VARCHAR(20))");
    h.Exec("INSERT INTO C VALUES ('Three', 'x'), ('Four', 'y')");
    h.WriteHandheld("CDB", {TextBytes("THREE") + TextBytes("x") + Int32Bytes(1)});
    AddFields(h.AddTable("C", "CDB", 0), {{"Code", 6}, {"Name", 6}, {"##STATUSFLAG##", 8}});
    h.Install();
    SyncAndExpectCompleted(h);
    EXPECT_EQ(DesktopTexts(h, "SELECT Code FROM C"), (std::vector<std::string>{"Four"}));
    EXPECT_EQ(HandheldTexts(h, "CDB", 0), (std::vector<std::string>{"Four"}));
    ExpectSecondSyncChangesNothing(h, "C");
}

// On a database that compares case exactly, "Three" and "THREE" are two rows, but one queue
// key: the handheld holds only the row read first. Deleting that record on the handheld
// deletes that row alone; the other reaches the handheld at the next sync.
TEST_P(SyncAcceptance, HandheldDeletionSparesARowThatDiffersInLetterCaseAlone) {
    SyncHarness h(GetParam());
    CreateCodesOfExactCase(h);
    h.Exec("INSERT INTO C VALUES ('Three', 'x'), ('THREE', 'kept'), ('Four', 'y')");
    h.WriteHandheld("CDB", {TextBytes("Three") + TextBytes("x") + Int32Bytes(1)});
    AddFields(h.AddTable("C", "CDB", 0), {{"Code", 6}, {"Name", 6}, {"##STATUSFLAG##", 8}});
    h.Install();
    SyncAndExpectCompleted(h);
    EXPECT_EQ(DesktopTexts(h, "SELECT Code FROM C ORDER BY Name"),
              (std::vector<std::string>{"THREE", "Four"}));
    SyncAndExpectCompleted(h);
    EXPECT_EQ(HandheldTexts(h, "CDB", 0), (std::vector<std::string>{"Four", "THREE"}));
    ExpectSecondSyncChangesNothing(h, "C");
}

// The handheld holds one record per key: a desktop row whose key an earlier row has, exactly
// or but for its letter case, stays on the desktop alone, and the log says so at every sync.
TEST_P(SyncAcceptance, RowsOfAKeyAlreadyReadAreLeftOutAndSaidSo) {
    SyncHarness h(GetParam());
    CreateCodesOfExactCase(h);
    h.Exec("INSERT INTO C VALUES ('Three', 'x'), ('THREE', 'y'), ('Four', 'z'), ('Four', 'w')");
    AddFields(h.AddTable("C", "CDB", 0), {{"Code", 6}, {"Name", 6}});
    h.Install();
    h.SetDebugLevel(1);
    const std::string said =
        "\nSkipped 2 desktop rows of C whose key an earlier row has, letter "
        "case aside: the handheld holds one record per key, and they stay "
        "on the desktop only\n";
    SyncAndExpectCompleted(h);
    EXPECT_EQ(h.ReadHandheld("CDB").size(), 2u);
    ExpectSecondSyncChangesNothing(h, "C");
    const std::string log = h.Log();
    const std::size_t first = log.find(said);
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_NE(log.find(said, first + 1), std::string::npos) << log;
    EXPECT_EQ(h.Query("SELECT Code FROM C").size(), 4u);
}

}  // namespace
}  // namespace tarn::conduit::test
