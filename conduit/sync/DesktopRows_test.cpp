#include <gtest/gtest.h>

#include "common/model/DataTypes.h"
#include "conduit/sync/DataRecord.h"
#include "conduit/sync/DesktopDatabase.h"
#include "conduit/sync/DesktopRowReader.h"
#include "conduit/sync/DesktopTestSupport.h"
#include "conduit/sync/Filters.h"
#include "conduit/sync/SyncError.h"

namespace tarn::conduit::test {
namespace {

using platform::odbc::CursorKind;

class DesktopRowsTest : public DesktopTest {
  protected:
    // Reads every row of a SELECT into a queue, as the transfer does.
    colDataRecord Read(const clsTable& table, const std::string& sql) {
        colDataRecord queue;
        auto rows = session.DesktopConnection->OpenResultSet(sql, CursorKind::Dynamic);
        DesktopRowReader reader(table.Fields(), *rows, session.ErrorStack);
        for (; !rows->AtEnd(); rows->Next()) queue.AddDesktopRecord(session.Log, reader);
        return queue;
    }

    static std::shared_ptr<clsDataRecord> HandheldRecord(
        const std::vector<std::tuple<std::string, int16_t, std::string>>& fields) {
        auto record = std::make_shared<clsDataRecord>();
        record->PalmSource = true;
        for (const auto& [name, type, value] : fields)
            record->Fields().Add(name, type)->Value = value;
        record->PrimaryFieldValue = record->Fields().Item(1)->Value;
        return record;
    }
};

// Id ("Integer"), Name ("String"), Note ("String"), Due ("Date"), Rep ("IgnoreField", filter
// Rep) with the filter Rep=Bob's, and the handheld record 7, O'Neil, empty, 31 December 2005.
TEST_F(DesktopRowsTest, OrdersExampleByteForByte) {
    clsTable table = Table("Orders", {{"Id", kTypeInteger},
                                      {"Name", kTypeString},
                                      {"Note", kTypeString},
                                      {"Due", kTypeDate},
                                      {"Rep", kTypeIgnoreField, "Rep"}});
    session.WorkFilters.Add("Rep", "Bob's");
    session.Dialect = SqlDialect(DesktopDialect::Other, "[", "]");
    auto record = HandheldRecord({{"Id", kTypeInteger, "7"},
                                  {"Name", kTypeString, "O'Neil"},
                                  {"Note", kTypeString, ""},
                                  {"Due", kTypeDate, "2005-12-31"}});

    EXPECT_EQ(record->BuildDesktopWriteQuery(session.Dialect, table, true, session.WorkFilters),
              "UPDATE [Orders] SET [Id]=7, [Name]='O''Neil', [Note]=NULL, [Due]='2005-12-31' "
              "WHERE [Id]=7");
    EXPECT_EQ(record->BuildDesktopWriteQuery(session.Dialect, table, false, session.WorkFilters),
              "INSERT INTO [Orders] ([Id], [Name], [Note], [Due], [Rep]) VALUES (7, 'O''Neil', "
              "NULL, '2005-12-31', 'Bob''s')");

    // Without a usable filter the ignore field is left out of the INSERT too.
    colFilters none;
    EXPECT_EQ(record->BuildDesktopWriteQuery(session.Dialect, table, false, none),
              "INSERT INTO [Orders] ([Id], [Name], [Note], [Due]) VALUES (7, 'O''Neil', NULL, "
              "'2005-12-31')");
}

TEST_F(DesktopRowsTest, KeysDatesTimesAndLeftOutTypes) {
    clsTable table = Table("T", {{"Sig", kTypeSignature},
                                 {"Raw", kTypeByte},
                                 {"Status", kTypeRecordStatus},
                                 {"Day", kTypeDate},
                                 {"At", kTypeTime}});
    auto record = HandheldRecord({{"Sig", kTypeSignature, "k'1"},
                                  {"Status", kTypeRecordStatus, "0"},
                                  {"Day", kTypeDate, "0"},
                                  {"At", kTypeTime, "09:30:00"}});
    // Only numeric keys are compared bare: a "Signature" key is free text and is quoted, or a
    // value such as "x OR 1=1" would match every row. The empty handheld date (text "0") is day
    // serial 0; "Byte" and "RecordStatus" take no part.
    EXPECT_EQ(record->BuildDesktopWriteQuery(session.Dialect, table, true, session.WorkFilters),
              "UPDATE T SET Sig='k''1', Day='1899-12-30', At='09:30:00' WHERE Sig='k''1'");
    EXPECT_EQ(record->BuildDesktopWriteQuery(session.Dialect, table, false, session.WorkFilters),
              "INSERT INTO T (Sig, Day, At) VALUES ('k''1', '1899-12-30', '09:30:00')");

    auto stringKey = HandheldRecord({{"Code", kTypeString, "A'1"}, {"Day", kTypeDate, ""}});
    clsTable keyed = Table("K", {{"Code", kTypeString}, {"Day", kTypeDate}});
    EXPECT_EQ(stringKey->BuildDesktopWriteQuery(session.Dialect, keyed, true, session.WorkFilters),
              "UPDATE K SET Code='A''1', Day=NULL WHERE Code='A''1'");

    // A timestamp's time of day is dropped; a text that is no date fails the building.
    stringKey->Fields().Item("Day")->Value = "2005-12-31 10:15:00";
    EXPECT_EQ(stringKey->BuildDesktopWriteQuery(session.Dialect, keyed, false, session.WorkFilters),
              "INSERT INTO K (Code, Day) VALUES ('A''1', '2005-12-31')");
    stringKey->Fields().Item("Day")->Value = "someday";
    EXPECT_THROW(
        stringKey->BuildDesktopWriteQuery(session.Dialect, keyed, false, session.WorkFilters),
        SyncError);
    // A field the record lacks fails too.
    keyed.Fields().Add("Extra", kTypeInteger);
    EXPECT_ANY_THROW(
        stringKey->BuildDesktopWriteQuery(session.Dialect, keyed, true, session.WorkFilters));
}

TEST_F(DesktopRowsTest, RowsBecomeRecordsWithNullAsEmptyText) {
    Desk().Execute("CREATE TABLE People (Id INTEGER, Name TEXT, Born DATE, Secret TEXT)");
    Desk().Execute("INSERT INTO People VALUES (2, NULL, '1970-01-02', 'x')");
    Desk().Execute("INSERT INTO People VALUES (1, '', NULL, 'y')");
    ConnectEngine();
    clsTable table;
    table.Fields().Add("Id", kTypeInteger);
    table.Fields().Add("name", kTypeString);  // column names compare without regard to case
    AddFields(
        table,
        {{"Born", kTypeDate}, {"##STATUSFLAG##", kTypeRecordStatus}, {"Secret", kTypeIgnoreField}});

    colDataRecord queue = Read(table, "SELECT * FROM People");
    ASSERT_EQ(queue.Count(), 2);
    auto first = queue.Item("1");
    EXPECT_FALSE(first->PalmSource);
    EXPECT_TRUE(first->RecordStatus & RecordOnDesktop);
    EXPECT_EQ(first->PrimaryFieldName(), "Id");
    EXPECT_EQ(first->PrimaryFieldValue, "1");
    ASSERT_EQ(first->Fields().Count(), 4);  // the ignore field is not read
    EXPECT_EQ(first->Fields().Item("name")->Value, "");
    EXPECT_EQ(first->Fields().Item("Born")->Value, "");
    EXPECT_EQ(first->Fields().Item("##STATUSFLAG##")->Value, "0");
    auto second = queue.Item("2");
    EXPECT_EQ(second->Fields().Item("name")->Value, "");
    EXPECT_EQ(second->Fields().Item("Born")->Value, "1970-01-02");
    EXPECT_EQ(session.ErrorStack.Count(), 0);
}

// Rows are held as the handheld records they become where every value reads back as its text,
// and as texts where one would not (a NULL number); both read and build alike. A status field
// first in the table is every row's key, "0".
TEST_F(DesktopRowsTest, RowsHeldAsHandheldBytesOrAsTextsReadAlike) {
    Desk().Execute("CREATE TABLE M (Id INTEGER, Amount REAL, Name TEXT)");
    Desk().Execute("INSERT INTO M VALUES (1, 2.5, 'one'), (2, NULL, 'two'), (3, 4, NULL)");
    ConnectEngine();
    clsTable table =
        Table("", {{"Id", kTypeInteger}, {"Amount", kTypeDouble}, {"Name", kTypeString}});
    colDataRecord queue = Read(table, "SELECT * FROM M");
    const std::vector<std::vector<std::string>> expected = {
        {"1", "2.5", "one"}, {"2", "", "two"}, {"3", "4", ""}};
    ASSERT_EQ(queue.Count(), 3);
    for (const auto& values : expected) {
        auto record = queue.Item(values[0]);
        ASSERT_TRUE(record);
        for (std::size_t i = 0; i < values.size(); ++i) EXPECT_EQ(record->FieldValue(i), values[i]);
        clsDataRecord again;
        again.SetValues(MakeRecordLayout(table.Fields(), [](int16_t) { return true; }), values);
        EXPECT_EQ(record->BuildPalmRecord(session.Log, session.ErrorStack),
                  again.BuildPalmRecord(session.Log, session.ErrorStack));
    }

    clsTable statusFirst = Table("", {{"##STATUSFLAG##", kTypeRecordStatus}, {"Id", kTypeInteger}});
    colDataRecord one = Read(statusFirst, "SELECT * FROM M");
    ASSERT_EQ(one.Count(), 1);
    EXPECT_EQ(one.Item(1)->PrimaryFieldValue, "0");
}

TEST_F(DesktopRowsTest, AlternatingTablesKeepTheirOwnColumns) {
    Desk().Execute("CREATE TABLE A (Id INTEGER, Name TEXT)");
    Desk().Execute("CREATE TABLE B (Name TEXT, Extra TEXT, Id INTEGER)");
    Desk().Execute("INSERT INTO A VALUES (1, 'a-one')");
    Desk().Execute("INSERT INTO B VALUES ('b-one', 'e', 1)");
    ConnectEngine();
    clsTable table = Table("", {{"Id", kTypeInteger}, {"Name", kTypeString}});
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(Read(table, "SELECT * FROM A").Item("1")->Fields().Item("Name")->Value, "a-one");
        EXPECT_EQ(Read(table, "SELECT * FROM B").Item("1")->Fields().Item("Name")->Value, "b-one");
    }
}

TEST_F(DesktopRowsTest, MissingColumnLeavesItsContextOnTheErrorStack) {
    Desk().Execute("CREATE TABLE T (Id INTEGER)");
    Desk().Execute("INSERT INTO T VALUES (1)");
    ConnectEngine();
    clsTable table = Table("", {{"Id", kTypeInteger}, {"Gone", kTypeString}});
    EXPECT_ANY_THROW(Read(table, "SELECT * FROM T"));
    ASSERT_EQ(session.ErrorStack.Count(), 1);
    EXPECT_EQ(session.ErrorStack.Peek(), "Error loading field Gone from desktop");
}

// Values from the handheld travel through real statements and come back unchanged.
TEST_F(DesktopRowsTest, HostileValuesArriveUnchanged) {
    Desk().Execute("CREATE TABLE Notes (Code TEXT, Body TEXT, Seen TIME)");
    session.Tables.Add("Notes");
    ConnectEngine();
    session.Dialect = FindSqlDialect(*session.DesktopConnection, DesktopDialect::Sqlite,
                                     session.Tables, session.Log);
    clsTable table =
        Table("Notes", {{"Code", kTypeString}, {"Body", kTypeString}, {"Seen", kTypeTime}});

    const std::vector<std::string> values{"O'Brien",
                                          "it''s",
                                          "C:\\path\\n\\'",
                                          "caf\xC3\xA9 \xE2\x82\xAC",
                                          "'); DROP TABLE Notes; --",
                                          "\"quoted\" `back` [square]"};
    for (size_t i = 0; i < values.size(); ++i) {
        auto record = HandheldRecord({{"Code", kTypeString, values[i]},
                                      {"Body", kTypeString, values[(i + 1) % values.size()]},
                                      {"Seen", kTypeTime, "23:59:58"}});
        session.DesktopConnection->Execute(
            record->BuildDesktopWriteQuery(session.Dialect, table, false, session.WorkFilters));
        record->Fields().Item("Body")->Value = values[i] + "!";
        session.DesktopConnection->Execute(
            record->BuildDesktopWriteQuery(session.Dialect, table, true, session.WorkFilters));
    }
    colDataRecord queue = Read(table, "SELECT * FROM Notes");
    ASSERT_EQ(queue.Count(), static_cast<int32_t>(values.size()));
    for (const auto& value : values) {
        auto record = queue.Item(value);
        EXPECT_EQ(record->Fields().Item("Code")->Value, value);
        EXPECT_EQ(record->Fields().Item("Body")->Value, value + "!");
        EXPECT_EQ(record->Fields().Item("Seen")->Value, "23:59:58");
    }

    // An empty handheld text is written as NULL, not as ''.
    auto empty = HandheldRecord(
        {{"Code", kTypeString, "E"}, {"Body", kTypeString, ""}, {"Seen", kTypeTime, ""}});
    session.DesktopConnection->Execute(
        empty->BuildDesktopWriteQuery(session.Dialect, table, false, session.WorkFilters));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Notes WHERE Code='E' AND Body IS NULL AND Seen IS NULL"),
              "1");
}

}  // namespace
}  // namespace tarn::conduit::test
