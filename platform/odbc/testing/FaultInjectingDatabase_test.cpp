#include "platform/odbc/testing/FaultInjectingDatabase.h"

#include <gtest/gtest.h>

#include "platform/odbc/OdbcTestDatabase.h"

namespace tarn::platform::odbc::fakes {
namespace {

using FaultInjectingDatabaseTest = OdbcTestDatabase;

int ErrorNumberOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const PlatformError& error) {
        return error.number();
    }
    return 0;
}

TEST_F(FaultInjectingDatabaseTest, FailsExactlyTheChosenStatementAndPassesTheRest) {
    FaultInjectingConnection faulty(std::move(connection_));
    faulty.failStatement(3, 3021, "No current record.");
    faulty.execute("CREATE TABLE t (a INTEGER)");
    faulty.execute("INSERT INTO t VALUES (1)");
    try {
        faulty.execute("INSERT INTO t VALUES (2)");
        FAIL() << "the armed statement ran";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.number(), 3021);
        EXPECT_EQ(error.description(), "No current record.");
    }
    auto rows = faulty.openResultSet("SELECT count(*) AS n FROM t", CursorKind::ForwardOnly);
    EXPECT_EQ(rows->value("n"), "1");  // the failed insert never reached the database
    EXPECT_EQ(faulty.statements().size(), 4u);
    EXPECT_EQ(faulty.statements()[2], "INSERT INTO t VALUES (2)");
}

TEST_F(FaultInjectingDatabaseTest, AnEnvironmentArmsEveryConnectionItHandsOut) {
    auto environment = std::make_unique<FaultInjectingEnvironment>(std::move(environment_));
    environment->failStatement(1, 40002, "S0002: no such table");
    auto connection = environment->connect(connectionString());
    EXPECT_EQ(environment->lastConnection(), connection.get());
    EXPECT_EQ(
        ErrorNumberOf([&] { connection->openResultSet("SELECT 1", CursorKind::ForwardOnly); }),
        40002);
    EXPECT_EQ(ErrorNumberOf([&] { connection->execute("CREATE TABLE t (a INTEGER)"); }), 0);
    EXPECT_FALSE(connection->listColumns("t").empty());

    environment->failConnect(-1, "login failed");
    EXPECT_EQ(ErrorNumberOf([&] { environment->connect(connectionString()); }), -1);
}

}  // namespace
}  // namespace tarn::platform::odbc::fakes
