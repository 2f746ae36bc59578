#include "platform/odbc/OdbcPreparedStatement.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/odbc/OdbcError.h"
#include "platform/odbc/OdbcTestDatabase.h"

namespace tarn::platform::odbc {
namespace {

using OdbcPreparedStatementTest = OdbcTestDatabase;

Parameter Text(const std::string& value) {
    Parameter p;
    p.SetText(value);
    return p;
}
Parameter Integer(int64_t value) {
    Parameter p;
    p.SetInteger(value);
    return p;
}
Parameter Double(double value) {
    Parameter p;
    p.SetDouble(value);
    return p;
}
Parameter Date(int y, int m, int d) {
    Parameter p;
    p.SetDate(y, m, d);
    return p;
}
Parameter Null(ParameterType type) {
    Parameter p;
    p.SetNull(type);
    return p;
}

// Each row through one prepared INSERT, the parameters of one row reused for the next: every
// value arrives as itself, whatever the one before it was, also where only the contents of
// the buffer the driver reads changed (a text of the same length, NULL and back).
TEST_F(OdbcPreparedStatementTest, EachValueArrivesInItsOwnType) {
    connection_->Execute("CREATE TABLE t (n INTEGER, v)");
    struct Row {
        Parameter value;
        const char* type;  // typeof() as SQLite stores it
        const char* text;  // quote() of it
    };
    const double tenth = 0.1 + 0.2;  // a double whose shortest text has 17 digits
    const std::vector<Row> rows = {
        {Text("O'Neil \xc3\xa4\xe2\x82\xac"), "text", "'O''Neil \xc3\xa4\xe2\x82\xac'"},
        {Text(""), "text", "''"},
        {Null(ParameterType::Text), "null", "NULL"},
        {Integer(9007199254740993), "integer", "9007199254740993"},
        {Double(tenth), "real", "3.00000000000000044408e-01"},
        {Null(ParameterType::Double), "null", "NULL"},
        {Date(2005, 12, 31), "text", "'2005-12-31'"},
        {Date(1899, 12, 30), "text", "'1899-12-30'"},
        {Text("a longer text than any before it, to make its buffer grow"), "text",
         "'a longer text than any before it, to make its buffer grow'"},
        {Text("abc"), "text", "'abc'"},
        {Text("xyz"), "text", "'xyz'"},
        {Null(ParameterType::Text), "null", "NULL"},
        {Text("pqr"), "text", "'pqr'"},
        {Integer(7), "integer", "7"},
        {Integer(8), "integer", "8"},
        {Null(ParameterType::Integer), "null", "NULL"},
        {Double(2.5), "real", "2.5"},
    };
    auto insert = connection_->Prepare("INSERT INTO t (n, v) VALUES (?, ?)");
    std::vector<Parameter> parameters(2);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        parameters[0].SetInteger(int64_t(i));
        parameters[1] = rows[i].value;
        insert->Execute(parameters);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].text);
        auto row = connection_->OpenResultSet(
            "SELECT typeof(v), quote(v) FROM t WHERE n = " + std::to_string(i),
            CursorKind::ForwardOnly);
        EXPECT_EQ(row->Value(std::size_t{0}), rows[i].type);
        EXPECT_EQ(row->Value(std::size_t{1}), rows[i].text);
    }
}

TEST_F(OdbcPreparedStatementTest, HasRowsAndQueryAnswerForTheValuesGiven) {
    connection_->Execute("CREATE TABLE t (k TEXT, n INTEGER)");
    connection_->Execute("INSERT INTO t VALUES ('a', 1), ('b', 2), ('b', 3)");
    auto exists = connection_->Prepare("SELECT 1 FROM t WHERE k = ?");
    EXPECT_TRUE(exists->HasRows({Text("a")}));
    EXPECT_FALSE(exists->HasRows({Text("c")}));
    EXPECT_TRUE(exists->HasRows({Text("b")}));

    auto query = connection_->Prepare("SELECT n FROM t WHERE k = ? ORDER BY n");
    auto first = query->Query({Text("b")});
    ASSERT_FALSE(first->AtEnd());
    EXPECT_EQ(first->Value(std::size_t{0}), "2");
    // Run again before the first result was read to its end: the new values count.
    auto second = query->Query({Text("a")});
    ASSERT_FALSE(second->AtEnd());
    EXPECT_EQ(second->Value(std::size_t{0}), "1");
    second->Next();
    EXPECT_TRUE(second->AtEnd());

    // An UPDATE or DELETE that matches nothing is no failure.
    connection_->Prepare("DELETE FROM t WHERE n = ?")->Execute({Integer(99)});
}

TEST_F(OdbcPreparedStatementTest, FailuresCarryTheDriversTextAndLeaveTheStatementUsable) {
    // A driver may check the statement when preparing it or at its first run.
    EXPECT_THROW(connection_->Prepare("INSERT INTO missing VALUES (?)")->Execute({Integer(1)}),
                 OdbcError);
    connection_->Execute("CREATE TABLE t (k INTEGER PRIMARY KEY)");
    auto insert = connection_->Prepare("INSERT INTO t VALUES (?)");
    insert->Execute({Integer(1)});
    try {
        insert->Execute({Integer(1)});
        FAIL() << "a duplicate key was inserted";
    } catch (const OdbcError& error) {
        EXPECT_NE(error.description().find("UNIQUE"), std::string::npos) << error.description();
    }
    insert->Execute({Integer(2)});
    EXPECT_EQ(scalar("SELECT count(*) FROM t"), "2");
}

}  // namespace
}  // namespace tarn::platform::odbc
