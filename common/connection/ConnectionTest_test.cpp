#include "common/connection/ConnectionTest.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/connection/ConnectionString.h"
#include "platform/ui/MouseIcon.h"
#include "platform/ui/testing/RecordingUiBackend.h"
#include "tests/support/TestEnvironment.h"

namespace tarn {
namespace {

class ConnectionTestTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (test::FindOdbcDriverLibrary("libsqlite3odbc.so").empty())
            GTEST_SKIP() << "the SQLite3 ODBC driver is not installed";
    }
    void TearDown() override { ReleaseTestedConnection(); }

    std::string SqliteString(const std::filesystem::path& file) {
        return BuildConnectionString("SQLite3", "", file.string(), "", "", "", false);
    }

    test::TestEnvironment machine_;
};

// A failure keeps the driver's description; a success clears it.
TEST_F(ConnectionTestTest, AReachableDatabaseConnectsAndStaysOpenUntilTheNextTest) {
    platform::ui::RecordingUiBackend pointer;
    EXPECT_FALSE(TestDatabaseConnection("DRIVER={No Such Driver};SERVER=x;DBQ=x"));
    EXPECT_NE(LastConnectionTestError().find("No Such Driver"), std::string::npos)
        << LastConnectionTestError();

    EXPECT_TRUE(TestDatabaseConnection(SqliteString(machine_.root() / "orders.db")));
    EXPECT_EQ(LastConnectionTestError(), "");
    EXPECT_TRUE(HoldsTestedConnection());
    // The hourglass was shown for each test and taken away afterwards.
    const std::vector<std::string>& calls = pointer.pointerCalls;
    EXPECT_EQ(calls.front(), "push " + std::to_string(platform::ui::kHourglassPointer));
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "pop") * 2, std::ssize(calls));
    EXPECT_EQ(platform::ui::CurrentMouseIcon(), platform::ui::kDefaultPointer);

    // A failing test releases the connection of the one before.
    EXPECT_FALSE(TestDatabaseConnection(SqliteString(machine_.root() / "no" / "such" / "x.db")));
    EXPECT_FALSE(LastConnectionTestError().empty());
    EXPECT_FALSE(HoldsTestedConnection());
    EXPECT_EQ(platform::ui::CurrentMouseIcon(), platform::ui::kDefaultPointer);
}

}  // namespace
}  // namespace tarn
