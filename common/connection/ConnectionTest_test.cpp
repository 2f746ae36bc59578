#include "common/connection/ConnectionTest.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/connection/ConnectionString.h"
#include "platform/ui/MouseIcon.h"
#include "platform/ui/UiBackend.h"
#include "tests/support/TestEnvironment.h"

namespace tarn {
namespace {

// Records the busy pointer the test shows.
class PointerLog : public platform::ui::UiBackend {
  public:
    PointerLog() { platform::ui::InstallUiBackend(this); }
    ~PointerLog() override { platform::ui::InstallUiBackend(nullptr); }
    platform::ui::MessageAnswer ShowMessageBox(
        const platform::ui::MessageBoxRequest& request) override {
        return request.defaultButton;
    }
    void PushPointer(std::int32_t shape) override { pushed.push_back(shape); }
    void ChangePointer(std::int32_t) override {}
    void PopPointer() override { ++popped; }
    void ProcessPendingEvents() override {}

    std::vector<std::int32_t> pushed;
    int popped = 0;
};

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

TEST_F(ConnectionTestTest, AReachableDatabaseConnectsAndStaysOpenUntilTheNextTest) {
    PointerLog pointer;
    EXPECT_TRUE(TestDatabaseConnection(SqliteString(machine_.root() / "orders.db")));
    EXPECT_EQ(LastConnectionTestError(), "");
    EXPECT_TRUE(HoldsTestedConnection());
    // The hourglass was shown for the test and taken away afterwards.
    EXPECT_EQ(pointer.pushed.front(), platform::ui::kHourglassPointer);
    EXPECT_EQ(pointer.popped, static_cast<int>(pointer.pushed.size()));
    EXPECT_EQ(platform::ui::CurrentMouseIcon(), platform::ui::kDefaultPointer);

    // A failing test releases the connection of the one before.
    EXPECT_FALSE(TestDatabaseConnection(SqliteString(machine_.root() / "no" / "such" / "x.db")));
    EXPECT_FALSE(HoldsTestedConnection());
    EXPECT_EQ(platform::ui::CurrentMouseIcon(), platform::ui::kDefaultPointer);
}

TEST_F(ConnectionTestTest, AFailureKeepsTheDriversDescription) {
    EXPECT_FALSE(TestDatabaseConnection("DRIVER={No Such Driver};SERVER=x;DBQ=x"));
    EXPECT_NE(LastConnectionTestError().find("No Such Driver"), std::string::npos)
        << LastConnectionTestError();

    EXPECT_FALSE(TestDatabaseConnection(SqliteString(machine_.root() / "missing" / "x.db")));
    EXPECT_FALSE(LastConnectionTestError().empty());

    EXPECT_TRUE(TestDatabaseConnection(SqliteString(machine_.root() / "ok.db")));
    EXPECT_EQ(LastConnectionTestError(), "");
}

}  // namespace
}  // namespace tarn
