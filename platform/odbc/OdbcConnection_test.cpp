#include "platform/odbc/OdbcConnection.h"

#include <gtest/gtest.h>

#include "platform/odbc/OdbcError.h"
#include "platform/odbc/OdbcTestDatabase.h"

namespace tarn::platform::odbc {

void PrintTo(const ColumnInfo& c, std::ostream* os) {
    *os << c.name << ":" << c.sqlType;
}

namespace {

using Columns = std::vector<ColumnInfo>;

using OdbcConnectionTest = OdbcTestDatabase;

TEST_F(OdbcConnectionTest, AFailingStatementCarriesTheDriversNumberAndText) {
    try {
        connection_->Execute("SELEC 1");
        FAIL() << "a misspelt statement ran";
    } catch (const OdbcError& error) {
        EXPECT_EQ(error.number(), 1);  // SQLITE_ERROR
        EXPECT_NE(error.description().find("syntax error"), std::string::npos)
            << error.description();
    }
    try {
        connection_->OpenResultSet("SELECT * FROM missing", CursorKind::ForwardOnly);
        FAIL() << "a query on a missing table ran";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.number(), 1);
        EXPECT_NE(error.description().find("no such table: missing"), std::string::npos)
            << error.description();
    }
    // The shared statement handle is usable again after a failure.
    connection_->Execute("CREATE TABLE t (a INTEGER)");
}

TEST_F(OdbcConnectionTest, StatementsThatTouchNoRowOrReturnRowsAreNotFailures) {
    connection_->Execute("CREATE TABLE t (a INTEGER)");
    connection_->Execute("UPDATE t SET a = 2 WHERE a = 1");
    connection_->Execute("DELETE FROM t");
    connection_->Execute("SELECT * FROM t");
    connection_->BeginTransaction();  // one disk write for all the inserts
    for (int i = 0; i < 500; ++i)
        connection_->Execute("INSERT INTO t VALUES (" + std::to_string(i) + ")");
    connection_->Commit();
    EXPECT_EQ(scalar("SELECT count(*), sum(a) FROM t"), "500");
    EXPECT_EQ(connection_->OpenResultSet("SELECT sum(a) AS s FROM t", CursorKind::ForwardOnly)
                  ->Value("s"),
              "124750");
}

TEST_F(OdbcConnectionTest, HasRowsAnswersWithoutDisturbingOtherStatements) {
    connection_->Execute("CREATE TABLE t (a INTEGER)");
    connection_->Execute("INSERT INTO t VALUES (1)");
    auto open = connection_->OpenResultSet("SELECT a FROM t", CursorKind::ForwardOnly);
    EXPECT_TRUE(connection_->HasRows("SELECT 1 FROM t WHERE a = 1"));
    EXPECT_FALSE(connection_->HasRows("SELECT 1 FROM t WHERE a = 2"));
    EXPECT_THROW(connection_->HasRows("SELECT 1 FROM missing"), PlatformError);
    connection_->Execute("INSERT INTO t VALUES (2)");  // the shared handle is free again
    EXPECT_TRUE(connection_->HasRows("SELECT 1 FROM t WHERE a = 2"));
    EXPECT_EQ(open->Value("a"), "1");
}

TEST_F(OdbcConnectionTest, ListsTablesAndViewsButNotIndexes) {
    connection_->Execute("CREATE TABLE Customers (Id INTEGER PRIMARY KEY, Name TEXT)");
    connection_->Execute("CREATE TABLE order_lines (Id INTEGER)");
    connection_->Execute("CREATE INDEX ByName ON Customers (Name)");
    connection_->Execute("CREATE VIEW Names AS SELECT Name FROM Customers");
    std::vector<std::string> tables = connection_->ListTables();
    std::sort(tables.begin(), tables.end());
    EXPECT_EQ(tables, (std::vector<std::string>{"Customers", "Names", "order_lines"}));
}

TEST_F(OdbcConnectionTest, ListsColumnsInTableOrderWithOdbc2DateTypes) {
    connection_->Execute(
        "CREATE TABLE order_lines (Zeta INTEGER, Alpha VARCHAR(20), Shipped DATE, "
        "ShipTime TIME, Stamp TIMESTAMP, Price DOUBLE, Note TEXT)");
    // Would also match the table name taken as a search pattern.
    connection_->Execute("CREATE TABLE orderXlines (Other INTEGER)");
    Columns columns = connection_->ListColumns("order_lines");
    ASSERT_EQ(columns.size(), 7u);
    EXPECT_EQ(columns[0], (ColumnInfo{"Zeta", 4}));
    EXPECT_EQ(columns[1].name, "Alpha");
    EXPECT_EQ(columns[2], (ColumnInfo{"Shipped", 9}));
    EXPECT_EQ(columns[3], (ColumnInfo{"ShipTime", 10}));
    EXPECT_EQ(columns[4], (ColumnInfo{"Stamp", 11}));
    EXPECT_EQ(columns[5], (ColumnInfo{"Price", 8}));
    EXPECT_EQ(columns[6].name, "Note");

    EXPECT_TRUE(connection_->ListColumns("NoSuchTable").empty());
}

TEST_F(OdbcConnectionTest, AnswersTheQuotingQuestionsOfTheDriver) {
    EXPECT_EQ(connection_->DriverInfo(29), "\"");  // identifier quote character
    EXPECT_EQ(connection_->DriverInfo(14), "\\");  // search pattern escape
}

TEST_F(OdbcConnectionTest, RollbackUndoesAndCommitKeeps) {
    connection_->Execute("CREATE TABLE t (a INTEGER)");
    ASSERT_TRUE(connection_->SupportsTransactions());

    ASSERT_TRUE(connection_->BeginTransaction());
    connection_->Execute("INSERT INTO t VALUES (1)");
    EXPECT_EQ(scalar("SELECT count(*) FROM t"), "1");  // visible inside the transaction
    connection_->Rollback();
    EXPECT_EQ(scalar("SELECT count(*) FROM t"), "0");

    ASSERT_TRUE(connection_->BeginTransaction());
    connection_->Execute("INSERT INTO t VALUES (2)");
    connection_->Commit();
    connection_->Execute("INSERT INTO t VALUES (3)");  // automatic commit again
    connection_.reset();

    auto reopened = environment_->Connect(connectionString());
    auto rows = reopened->OpenResultSet("SELECT a FROM t ORDER BY a", CursorKind::ForwardOnly);
    std::vector<std::string> values;
    for (; !rows->AtEnd(); rows->Next()) values.push_back(*rows->Value("a"));
    EXPECT_EQ(values, (std::vector<std::string>{"2", "3"}));
}

TEST_F(OdbcConnectionTest, AConnectionDroppedInsideATransactionRollsItBack) {
    connection_->Execute("CREATE TABLE t (a INTEGER)");
    ASSERT_TRUE(connection_->BeginTransaction());
    connection_->Execute("INSERT INTO t VALUES (1)");
    connection_.reset();
    connection_ = environment_->Connect(connectionString());
    EXPECT_EQ(scalar("SELECT count(*) FROM t"), "0");
}

}  // namespace
}  // namespace tarn::platform::odbc
