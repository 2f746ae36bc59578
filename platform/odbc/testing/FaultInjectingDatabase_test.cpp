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
    faulty.FailStatement(3, 3021, "No current record.");
    faulty.Execute("CREATE TABLE t (a INTEGER)");
    faulty.Execute("INSERT INTO t VALUES (1)");
    try {
        faulty.Execute("INSERT INTO t VALUES (2)");
        FAIL() << "the armed statement ran";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.number(), 3021);
        EXPECT_EQ(error.description(), "No current record.");
    }
    auto rows = faulty.OpenResultSet("SELECT count(*) AS n FROM t", CursorKind::ForwardOnly);
    EXPECT_EQ(rows->Value("n"), "1");  // the failed insert never reached the database
    EXPECT_EQ(faulty.Statements().size(), 4u);
    EXPECT_EQ(faulty.Statements()[2], "INSERT INTO t VALUES (2)");
}

TEST_F(FaultInjectingDatabaseTest, AnEnvironmentArmsEveryConnectionItHandsOut) {
    auto environment = std::make_unique<FaultInjectingEnvironment>(std::move(environment_));
    environment->FailStatement(1, 40002, "S0002: no such table");
    auto connection = environment->Connect(connectionString());
    EXPECT_EQ(environment->LastConnection(), connection.get());
    EXPECT_EQ(
        ErrorNumberOf([&] { connection->OpenResultSet("SELECT 1", CursorKind::ForwardOnly); }),
        40002);
    EXPECT_EQ(ErrorNumberOf([&] { connection->Execute("CREATE TABLE t (a INTEGER)"); }), 0);
    EXPECT_FALSE(connection->ListColumns("t").empty());

    environment->FailConnect(-1, "login failed");
    EXPECT_EQ(ErrorNumberOf([&] { environment->Connect(connectionString()); }), -1);
}

}  // namespace
}  // namespace tarn::platform::odbc::fakes
