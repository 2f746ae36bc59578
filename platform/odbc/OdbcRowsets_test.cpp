// Reading rows many at a time into bound buffers must give exactly what reading each cell by
// itself gives, on every desktop database: long values at and around the buffer sizes, NULL
// beside empty text, characters beyond the 16-bit range, and rowsets that end mid-result.
#include <gtest/gtest.h>
#include <sqlext.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/odbc/OdbcDiagnostics.h"
#include "platform/odbc/OdbcEnvironment.h"
#include "platform/odbc/OdbcError.h"
#include "platform/odbc/OdbcHandle.h"
#include "platform/odbc/OdbcResultSet.h"
#include "platform/odbc/Utf16.h"
#include "platform/odbc/Utf8DriverCharset.h"
#include "tests/support/DatabaseServers.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::platform::odbc {
namespace {

enum class Desktop { Sqlite, PostgreSql, MariaDb };

std::string Name(Desktop desktop) {
    switch (desktop) {
        case Desktop::Sqlite:
            return "SQLite";
        case Desktop::PostgreSql:
            return "PostgreSQL";
        case Desktop::MariaDb:
            return "MariaDB";
    }
    return "?";
}

using Text = std::optional<std::string>;
using Rows = std::vector<std::vector<Text>>;

std::string Literal(const Text& text) {
    return text ? "'" + *text + "'" : std::string("NULL");
}

// With `wanted`, each row holds only the values of those columns, and the others must refuse.
Rows ReadAll(ResultSet& rows, const std::vector<bool>* wanted = nullptr) {
    Rows all;
    for (; !rows.AtEnd(); rows.Next()) {
        all.emplace_back();
        for (std::size_t column = 0; column < rows.ColumnNames().size(); ++column) {
            if (!wanted || (column < wanted->size() && (*wanted)[column]))
                all.back().push_back(rows.Value(column));
            else
                EXPECT_THROW(rows.Value(column), OdbcError) << column;
        }
    }
    return all;
}

// A text of `length` characters that puts `special` (one or two UTF-16 units) wherever the
// position crosses a buffer edge, so that a cut falls inside a character.
std::string TextOf(std::size_t length, const std::string& special) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        bool nearEdge = (i + 2) % 256 < 4 || (i + 2) % 1024 < 4 || (i + 2) % 48 < 4;
        text += nearEdge ? special : std::string(1, char('a' + i % 26));
    }
    return text;
}

class OdbcRowsetsTest : public ::testing::TestWithParam<Desktop> {
  protected:
    void SetUp() override {
        if (GetParam() == Desktop::Sqlite) {
            if (tarn::test::FindOdbcDriverLibrary("libsqlite3odbc.so").empty())
                GTEST_SKIP() << "SQLite3 ODBC driver not installed";
            connectionString_ =
                "DRIVER={SQLite3};Database=" + (machine_.root() / "desktop.db").string();
        } else {
            tarn::test::AddServerOdbcDrivers(machine_);
            const tarn::test::DatabaseServers servers = tarn::test::ReadDatabaseServers();
            const bool postgres = GetParam() == Desktop::PostgreSql;
            const tarn::test::ServerAddress& address =
                postgres ? servers.postgres : servers.mariadb;
            static std::atomic<int> counter{0};
            database_ =
                "tarn_rowsets_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
            const std::string server = std::string("DRIVER={") +
                                       (postgres ? "PostgreSQL Unicode" : "MariaDB Unicode") +
                                       "};Server=" + address.ServerBox() + ";UID=" + address.user +
                                       ";PWD=" + address.password + ";";
            adminString_ = server + (postgres ? "Database=postgres;" : "");
            connectionString_ = server + "Database=" + database_ + ";";
        }
        environment_ = OpenOdbcEnvironment();
        if (!database_.empty())
            environment_->Connect(adminString_)
                ->Execute("CREATE DATABASE " + database_ +
                          (GetParam() == Desktop::PostgreSql ? " ENCODING 'UTF8'"
                                                             : " CHARACTER SET utf8mb4"));
        connection_ = environment_->Connect(connectionString_);
    }

    void TearDown() override {
        connection_.reset();
        if (database_.empty() || !environment_) return;
        environment_->Connect(adminString_)
            ->Execute("DROP DATABASE IF EXISTS " + database_ +
                      (GetParam() == Desktop::PostgreSql ? " WITH (FORCE)" : ""));
    }

    // The type of a text column without a stated length.
    std::string LongText() const { return GetParam() == Desktop::MariaDb ? "LONGTEXT" : "TEXT"; }

    // A result set read with the given fetching on a statement handle of its own connection.
    // With `wanted`, the result set is told to read only those columns after its first row,
    // and each row holds only their values.
    Rows ReadWith(RowFetching fetching, const std::string& sql,
                  const std::vector<bool>* wanted = nullptr) {
        auto environment = std::make_shared<OdbcHandle>(SQL_HANDLE_ENV, nullptr);
        Check(SQLSetEnvAttr(environment->Get(), SQL_ATTR_ODBC_VERSION,
                            reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
              SQL_HANDLE_ENV, environment->Get());
        std::shared_ptr<OdbcHandle> connection;
        {
            Utf8DriverCharset utf8;
            connection = std::make_shared<OdbcHandle>(SQL_HANDLE_DBC, environment);
        }
        std::vector<SQLWCHAR> wide = ToWide(connectionString_);
        Check(SQLDriverConnectW(connection->Get(), nullptr, wide.data(), SQL_NTS, nullptr, 0,
                                nullptr, SQL_DRIVER_NOPROMPT),
              SQL_HANDLE_DBC, connection->Get());
        connection->MarkConnected();
        auto statement = std::make_shared<OdbcHandle>(SQL_HANDLE_STMT, connection);
        wide = ToWide(sql);
        Check(SQLExecDirectW(statement->Get(), wide.data(), SQL_NTS), SQL_HANDLE_STMT,
              statement->Get());
        OdbcResultSet rows(statement, fetching);
        if (wanted) rows.ReadOnlyColumns(*wanted);
        return ReadAll(rows, wanted);
    }

    // Table t of `count` rows (Id, Name, Note, Amount) as given, inserted 500 rows a statement.
    Rows FillTable(int count, const std::function<Text(int)>& nameOf,
                   const std::function<Text(int)>& noteOf) {
        connection_->Execute("CREATE TABLE t (Id INTEGER, Name VARCHAR(40), Note " + LongText() +
                             ", Amount DOUBLE PRECISION)");
        Rows expected;
        std::string values;
        for (int i = 1; i <= count; ++i) {
            const std::string id = std::to_string(i), amount = id + ".5";
            expected.push_back({id, nameOf(i), noteOf(i), amount});
            values += (values.empty() ? "(" : ", (") + id + ", " + Literal(nameOf(i)) + ", " +
                      Literal(noteOf(i)) + ", " + amount + ")";
            if (i % 500 == 0 || i == count) {
                connection_->Execute("INSERT INTO t VALUES " + values);
                values.clear();
            }
        }
        return expected;
    }

    // Rows read both ways, which must agree with each other and with what was stored.
    void ExpectBothFetchingsRead(const std::string& sql, const Rows& expected) {
        for (RowFetching fetching : {RowFetching::CellByCell, RowFetching::Rowsets}) {
            SCOPED_TRACE(fetching == RowFetching::Rowsets ? "rowsets" : "cell by cell");
            Rows rows = ReadWith(fetching, sql);
            ASSERT_EQ(rows.size(), expected.size());
            for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i], expected[i]) << i;
        }
        auto rows = connection_->OpenResultSet(sql, CursorKind::ForwardOnly);
        EXPECT_EQ(ReadAll(*rows), expected);
    }

    tarn::test::TestEnvironment machine_;
    std::string database_, adminString_, connectionString_;
    std::unique_ptr<Environment> environment_;
    std::unique_ptr<Connection> connection_;
};

TEST_P(OdbcRowsetsTest, ValuesAroundEveryBufferSizeArriveWhole) {
    // unixODBC hands the SQLite3 driver's text over through UCS-2, so that driver keeps only
    // the characters of the 16-bit range.
    const std::string special = GetParam() == Desktop::Sqlite ? "日" : "😀";
    connection_->Execute("CREATE TABLE t (Id INTEGER, Short VARCHAR(10), Body " + LongText() + ")");
    Rows expected;
    const std::size_t lengths[] = {0,   1,   46,  47,   48,   49,   254,
                                   255, 256, 257, 1023, 1024, 1025, 3000};
    int id = 0;
    auto add = [&](Text shortText, Text body) {
        ++id;
        connection_->Execute("INSERT INTO t VALUES (" + std::to_string(id) + ", " +
                             Literal(shortText) + ", " + Literal(body) + ")");
        expected.push_back({std::to_string(id), shortText, body});
    };
    for (std::size_t length : lengths) add(TextOf(length % 11, "é"), TextOf(length, special));
    add(std::nullopt, std::nullopt);
    add("", "");
    add("0123456789", std::nullopt);
    ExpectBothFetchingsRead("SELECT Id, Short, Body FROM t ORDER BY Id", expected);
}

TEST_P(OdbcRowsetsTest, ManyRowsCrossRowsetEdgesAndTheCursorEnds) {
    // Every seventh note is too long for its buffer, every fifth is NULL.
    const Rows expected = FillTable(
        1500, [](int i) { return "Name " + std::to_string(i); },
        [](int i) {
            return i % 5 ? Text(i % 7 ? "note" : std::string(300 + i % 13, 'n')) : Text();
        });
    ExpectBothFetchingsRead("SELECT * FROM t ORDER BY Id", expected);
    // Columns of a stated, small size: the drivers that can are given many rows at a time.
    Rows narrow;
    for (const auto& row : expected) narrow.push_back({row[0], row[1], row[3]});
    ExpectBothFetchingsRead("SELECT Id, Name, Amount FROM t ORDER BY Id", narrow);
    ExpectBothFetchingsRead("SELECT * FROM t WHERE Id > 1500", {});

    // A prepared query run again before its earlier result set is gone: each reads its own.
    auto query = connection_->Prepare("SELECT Id, Name FROM t WHERE Id <= ? ORDER BY Id");
    std::vector<Parameter> parameters(1);
    parameters[0].SetInteger(14);
    auto first = query->Query(parameters);
    EXPECT_EQ(ReadAll(*first).size(), 14u);
    parameters[0].SetInteger(300);
    auto second = query->Query(parameters);
    first.reset();
    Rows rows = ReadAll(*second);
    ASSERT_EQ(rows.size(), 300u);
    EXPECT_EQ(rows[279][1], expected[279][1]);
    EXPECT_TRUE(query->HasRows(parameters));
}

// A reader that needs only some columns gets exactly their values, row after row and across
// rowsets, whichever columns it leaves out (long ones, the first, the last); the others are
// never passed off as values.
TEST_P(OdbcRowsetsTest, ColumnsLeftUnreadLeaveTheOthersIntact) {
    const Rows expected = FillTable(
        300, [](int i) { return i % 3 ? Text("Name " + std::to_string(i)) : Text(); },
        [](int i) { return i % 5 ? Text(i % 7 ? "note é" : std::string(1100 + i, 'n')) : Text(); });
    const std::vector<std::vector<bool>> choices = {
        {true, false, true, false},     {false, true, false, true},
        {false, false, false, true},    {true, true},
        {true, true, true, true, true}, {}};
    for (const std::string sql : {"SELECT * FROM t ORDER BY Id",
                                  "SELECT Id, Name, Note, Amount "
                                  "FROM t ORDER BY Id"}) {
        for (const auto& wanted : choices) {
            Rows chosen;
            for (const auto& row : expected) {
                chosen.emplace_back();
                for (std::size_t column = 0; column < row.size(); ++column)
                    if (column < wanted.size() && wanted[column])
                        chosen.back().push_back(row[column]);
            }
            for (RowFetching fetching : {RowFetching::CellByCell, RowFetching::Rowsets}) {
                SCOPED_TRACE(sql +
                             (fetching == RowFetching::Rowsets ? ", rowsets, " : ", cells, ") +
                             std::to_string(wanted.size()) + " marks");
                Rows rows = ReadWith(fetching, sql, &wanted);
                ASSERT_EQ(rows.size(), chosen.size());
                for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i], chosen[i]) << i;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Desktops, OdbcRowsetsTest,
                         ::testing::Values(Desktop::Sqlite, Desktop::PostgreSql, Desktop::MariaDb),
                         [](const auto& info) { return Name(info.param); });

}  // namespace
}  // namespace tarn::platform::odbc
