#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "conduit/sync/ModuleState.h"
#include "conduit/sync/SyncSession.h"
#include "conduit/sync/testing/TestSyncPlatform.h"
#include "platform/odbc/Database.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::conduit::test {

// A sync's session over a fresh SQLite desktop database reached through the real
// SQLite3 ODBC driver, with every log line kept (debug level 4).
class DesktopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (tarn::test::FindOdbcDriverLibrary("libsqlite3odbc.so").empty())
            GTEST_SKIP() << "SQLite3 ODBC driver not installed";
        session.Log.DebugLevel = 4;
    }

    std::filesystem::path DatabaseFile() const { return host.environment.root() / "desktop.db"; }

    // A second connection of the test's own, for setting up tables and checking results
    // independently of the engine's connection.
    platform::odbc::Connection& Desk() {
        if (!desk_)
            desk_ = host.Odbc().Connect("DRIVER={SQLite3};Database=" + DatabaseFile().string());
        return *desk_;
    }

    // Opens the engine's connection directly, without the probe, for tests that set the
    // quoting characters themselves.
    void ConnectEngine() {
        session.DesktopConnection =
            host.Odbc().Connect("DRIVER={SQLite3};Database=" + DatabaseFile().string());
    }

    std::optional<std::string> Scalar(const std::string& sql) {
        auto rows = Desk().OpenResultSet(sql, platform::odbc::CursorKind::ForwardOnly);
        if (rows->AtEnd()) return std::nullopt;
        return rows->Value(std::size_t{0});
    }

    const std::vector<std::string>& Lines() const { return host.utility.lines; }

    TestSyncPlatform host;
    ModuleState module{host};
    SyncSession session{module};

  private:
    std::unique_ptr<platform::odbc::Connection> desk_;
};

}  // namespace tarn::conduit::test
