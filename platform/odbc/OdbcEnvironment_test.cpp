#include "platform/odbc/OdbcEnvironment.h"

#include <gtest/gtest.h>

#include "platform/odbc/OdbcError.h"
#include "platform/odbc/OdbcTestDatabase.h"

namespace tarn::platform::odbc {
namespace {

TEST(OdbcEnvironment, ListsTheDriversOfTheMachineInOrderUnfiltered) {
    tarn::test::TestEnvironment machine;
    machine.addOdbcDriver("Microsoft Text Driver (*.txt; *.csv)", "/nonexistent/libtext.so");
    machine.addOdbcDriver("PostgreSQL Unicode", "/nonexistent/psqlodbcw.so");
    std::vector<std::string> expected = {"Microsoft Text Driver (*.txt; *.csv)",
                                         "PostgreSQL Unicode"};
    if (!tarn::test::FindOdbcDriverLibrary("libsqlite3odbc.so").empty())
        expected.insert(expected.begin(), "SQLite3");
    EXPECT_EQ(OpenOdbcEnvironment()->ListDrivers(), expected);
}

TEST(OdbcEnvironment, AMachineWithoutDriversListsNone) {
    tarn::test::TestEnvironment machine;
    tarn::test::WriteFileBytes(machine.odbcDir() / "odbcinst.ini", "");
    EXPECT_TRUE(OpenOdbcEnvironment()->ListDrivers().empty());
}

TEST(OdbcEnvironment, ConnectingToAMissingDriverFailsWithTheDriverManagersText) {
    tarn::test::TestEnvironment machine;
    auto environment = OpenOdbcEnvironment();
    try {
        environment->Connect("DRIVER={No Such Driver};Database=x.db");
        FAIL() << "connected to a driver that is not installed";
    } catch (const OdbcError& error) {
        EXPECT_EQ(error.SqlState(), "01000");
        EXPECT_NE(error.description().find("No Such Driver"), std::string::npos)
            << error.description();
    }

    ConnectAttempt attempt = TryConnect(*environment, "DRIVER={No Such Driver}");
    EXPECT_FALSE(attempt);
    EXPECT_FALSE(attempt.errorText.empty());
}

TEST_F(OdbcTestDatabase, AFileTheDriverCannotOpenFailsTheConnection) {
    ConnectAttempt attempt =
        TryConnect(*environment_, "DRIVER={SQLite3};Database=" +
                                      (machine_.root() / "missing" / "dir" / "x.db").string());
    EXPECT_FALSE(attempt);
    EXPECT_NE(attempt.errorNumber, 0);
    EXPECT_FALSE(attempt.errorText.empty());

    attempt = TryConnect(*environment_, connectionString());
    ASSERT_TRUE(attempt) << attempt.errorText;
    EXPECT_EQ(attempt.errorNumber, 0);
}

TEST_F(OdbcTestDatabase, ConnectionsAndResultSetsOutliveTheObjectsTheyCameFrom) {
    connection_->Execute("CREATE TABLE t (a TEXT)");
    connection_->Execute("INSERT INTO t VALUES ('kept')");
    environment_.reset();
    auto rows = connection_->OpenResultSet("SELECT a FROM t", CursorKind::ForwardOnly);
    connection_.reset();
    ASSERT_FALSE(rows->AtEnd());
    EXPECT_EQ(rows->Value("a"), "kept");
}

}  // namespace
}  // namespace tarn::platform::odbc
