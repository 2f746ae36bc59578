#include "common/connection/DriverList.h"

#include <gtest/gtest.h>

#include "platform/Error.h"
#include "platform/odbc/Database.h"

namespace tarn {
namespace {

using Entries = std::vector<std::string>;

TEST(DriverListEntries, NoneComesFirstAndBlankTextAndSpreadsheetDriversAreLeftOut) {
    Entries installed = {"SQLite3",
                         "",
                         "   ",
                         "Microsoft Text Driver (*.txt; *.csv)",
                         "Microsoft Excel Driver (*.xls)",
                         "Microsoft Access Driver (*.mdb)",
                         "Upper Case Text Driver (*.TXT)",
                         "PostgreSQL Unicode"};
    EXPECT_EQ(DriverListEntries(installed),
              (Entries{"(None)", "SQLite3", "Microsoft Access Driver (*.mdb)",
                       "Upper Case Text Driver (*.TXT)", "PostgreSQL Unicode"}));
    EXPECT_EQ(DriverListEntries(Entries{}), (Entries{"(None)"}));
}

class FailingEnvironment : public platform::odbc::Environment {
  public:
    std::vector<std::string> ListDrivers() override {
        throw platform::PlatformError(1, "no driver manager");
    }
    std::unique_ptr<platform::odbc::Connection> Connect(const std::string&) override {
        throw platform::PlatformError(1, "no driver manager");
    }
};

TEST(DriverListEntries, ADriverManagerThatFailsLeavesOnlyNone) {
    FailingEnvironment environment;
    EXPECT_EQ(DriverListEntries(environment), (Entries{"(None)"}));
}

}  // namespace
}  // namespace tarn
