#include "platform/odbc/OdbcResultSet.h"

#include <gtest/gtest.h>

#include "platform/odbc/OdbcError.h"
#include "platform/odbc/OdbcTestDatabase.h"

namespace tarn::platform::odbc {
namespace {

using OdbcResultSetTest = OdbcTestDatabase;

TEST_F(OdbcResultSetTest, NullIsToldApartFromEmptyText) {
    connection_->Execute("CREATE TABLE t (Id INTEGER, Name TEXT, Price REAL, Due DATE)");
    connection_->Execute("INSERT INTO t VALUES (1, '', 3.5, '2005-12-31')");
    connection_->Execute("INSERT INTO t VALUES (2, NULL, NULL, NULL)");
    auto rows = connection_->OpenResultSet("SELECT * FROM t ORDER BY Id", CursorKind::Dynamic);
    ASSERT_TRUE(rows->HasRows());
    ASSERT_FALSE(rows->AtEnd());
    EXPECT_EQ(rows->Value("Name"), std::optional<std::string>(""));
    EXPECT_EQ(rows->Value("Price"), "3.5");
    EXPECT_EQ(rows->Value("Due"), "2005-12-31");
    rows->Next();
    ASSERT_FALSE(rows->AtEnd());
    EXPECT_EQ(rows->Value("Id"), "2");
    EXPECT_EQ(rows->Value("Name"), std::nullopt);
    EXPECT_EQ(rows->Value("Price"), std::nullopt);
    EXPECT_EQ(rows->Value("Due"), std::nullopt);
    rows->Next();
    EXPECT_TRUE(rows->AtEnd());
    EXPECT_TRUE(rows->HasRows());
}

TEST_F(OdbcResultSetTest, NonAsciiTextSurvivesBothWays) {
    // Characters beyond the 16-bit range are left out: unixODBC converts for drivers without
    // wide entry points, SQLite3's among them, through UCS-2.
    const std::string texts[] = {"café", "5 €", "Straße", "日本語のテキスト", "Œuvre ž"};
    connection_->Execute("CREATE TABLE \"Größe\" (\"Näme\" TEXT)");
    for (const std::string& text : texts)
        connection_->Execute("INSERT INTO \"Größe\" VALUES ('" + text + "')");
    auto rows = connection_->OpenResultSet("SELECT rowid, * FROM \"Größe\" ORDER BY rowid",
                                           CursorKind::ForwardOnly);
    EXPECT_EQ(rows->ColumnNames().back(), "Näme");
    for (const std::string& text : texts) {
        ASSERT_FALSE(rows->AtEnd());
        EXPECT_EQ(rows->Value("NÄME"), text);
        rows->Next();
    }
    EXPECT_TRUE(rows->AtEnd());
    EXPECT_EQ(scalar("SELECT count(*) FROM \"Größe\" WHERE \"Näme\" = '日本語のテキスト'"), "1");
    EXPECT_EQ(connection_->ListTables(), std::vector<std::string>{"Größe"});
}

TEST_F(OdbcResultSetTest, ValuesLongerThanOneReadArriveWhole) {
    // Long enough for several reads from the driver, mixing characters of one, two and three
    // UTF-8 bytes so that no read size lines up with them.
    std::string longText;
    for (int i = 0; i < 3000; ++i) longText += (i % 7 == 0) ? "日" : (i % 5 == 0 ? "é" : "x");
    connection_->Execute("CREATE TABLE t (a TEXT, b TEXT)");
    connection_->Execute("INSERT INTO t VALUES ('" + longText + "', 'short')");
    connection_->Execute("INSERT INTO t VALUES ('short again', NULL)");
    auto rows = connection_->OpenResultSet("SELECT * FROM t", CursorKind::ForwardOnly);
    EXPECT_EQ(rows->Value("a"), longText);
    EXPECT_EQ(rows->Value("b"), "short");
    rows->Next();
    EXPECT_EQ(rows->Value("a"), "short again");
    EXPECT_EQ(rows->Value("b"), std::nullopt);
}

TEST_F(OdbcResultSetTest, ColumnsAreFoundWithoutRegardToLetterCase) {
    connection_->Execute("CREATE TABLE t (CustomerName TEXT, Id INTEGER)");
    connection_->Execute("INSERT INTO t VALUES ('Ann', 7)");
    auto rows = connection_->OpenResultSet("SELECT *, Id AS id2 FROM t", CursorKind::ForwardOnly);
    EXPECT_EQ(rows->ColumnNames(), (std::vector<std::string>{"CustomerName", "Id", "id2"}));
    EXPECT_EQ(rows->FindColumn("customername"), 0u);
    EXPECT_EQ(rows->FindColumn("ID2"), 2u);
    EXPECT_EQ(rows->Value("CUSTOMERNAME"), "Ann");
    EXPECT_EQ(rows->FindColumn("Missing"), std::nullopt);
    try {
        rows->Value("Missing");
        FAIL() << "read a column that does not exist";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.number(), kColumnNotFound);
        EXPECT_EQ(error.description(), "Column not found: Missing");
    }
    EXPECT_THROW(rows->Value(std::size_t{3}), PlatformError);
    rows->Next();
    EXPECT_THROW(rows->Value("Id"), PlatformError);  // no current row
}

TEST_F(OdbcResultSetTest, AnEmptyResultIsAtItsEndAtOnce) {
    connection_->Execute("CREATE TABLE t (a INTEGER)");
    for (CursorKind cursor : {CursorKind::ForwardOnly, CursorKind::Dynamic}) {
        auto rows = connection_->OpenResultSet("SELECT * FROM t", cursor);
        EXPECT_TRUE(rows->AtEnd());
        EXPECT_FALSE(rows->HasRows());
        rows->Next();
        EXPECT_TRUE(rows->AtEnd());
        EXPECT_EQ(rows->ColumnNames(), std::vector<std::string>{"a"});
    }
    // A statement that makes no result set reads as an empty one.
    auto none = connection_->OpenResultSet("UPDATE t SET a = 1", CursorKind::ForwardOnly);
    EXPECT_TRUE(none->AtEnd());
    EXPECT_FALSE(none->HasRows());
}

TEST_F(OdbcResultSetTest, ReadsAFullHandheldDatabaseOfRows) {
    // The most records a handheld database holds, each as wide as a typical conduit table.
    connection_->Execute(
        "CREATE TABLE t (Id INTEGER, Name TEXT, City TEXT, Qty INTEGER, Price REAL, Due DATE, "
        "Note TEXT, Flag INTEGER)");
    connection_->Execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 65535) "
        "INSERT INTO t SELECT i, 'Name ' || i, 'Zürich', i % 100, i * 0.5, '2005-12-31', "
        "CASE WHEN i % 3 = 0 THEN NULL ELSE 'note' END, i % 2 FROM n");
    for (CursorKind cursor : {CursorKind::ForwardOnly, CursorKind::Dynamic}) {
        auto rows = connection_->OpenResultSet("SELECT * FROM t ORDER BY Id", cursor);
        long long count = 0, idSum = 0, nulls = 0;
        for (; !rows->AtEnd(); rows->Next()) {
            ++count;
            idSum += std::stoll(*rows->Value("Id"));
            if (!rows->Value("Note")) ++nulls;
            if (count == 65535) {
                EXPECT_EQ(rows->Value("Name"), "Name 65535");
                EXPECT_EQ(rows->Value("City"), "Zürich");
                EXPECT_EQ(rows->Value("Price"), "32767.5");
            }
        }
        EXPECT_EQ(count, 65535);
        EXPECT_EQ(idSum, 65535LL * 65536 / 2);
        EXPECT_EQ(nulls, 65535 / 3);
    }
}

}  // namespace
}  // namespace tarn::platform::odbc
