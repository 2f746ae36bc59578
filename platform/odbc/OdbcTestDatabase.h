#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/odbc/Database.h"
#include "platform/odbc/OdbcEnvironment.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::platform::odbc {

// A fresh SQLite database file reached through the SQLite3 ODBC driver of a private
// odbcinst.ini. That driver takes the file only from the "database=" key.
class OdbcTestDatabase : public ::testing::Test {
  protected:
    void SetUp() override {
        if (tarn::test::FindOdbcDriverLibrary("libsqlite3odbc.so").empty())
            GTEST_SKIP() << "SQLite3 ODBC driver not installed";
        environment_ = OpenOdbcEnvironment();
        connection_ = environment_->Connect(connectionString());
    }

    std::string connectionString() const {
        return "DRIVER={SQLite3};Database=" + (machine_.root() / "desktop.db").string();
    }

    // The first column of the first row, for short checks.
    std::optional<std::string> scalar(const std::string& sql) {
        auto rows = connection_->OpenResultSet(sql, CursorKind::ForwardOnly);
        EXPECT_FALSE(rows->AtEnd()) << sql;
        return rows->AtEnd() ? std::nullopt : rows->Value(std::size_t{0});
    }

    tarn::test::TestEnvironment machine_;
    std::unique_ptr<Environment> environment_;
    std::unique_ptr<Connection> connection_;
};

}  // namespace tarn::platform::odbc
