#pragma once

#include <string>

#include "common/connection/ConnectionString.h"

namespace tarn::platform::odbc {
class Connection;
}

namespace tarn::builder {

// The builder's link to the conduit's desktop database, used to import tables and to check the
// deleted-records table: the connection that the connection test (TestDatabaseConnection) of the
// dialogs opened and keeps.

// Tests the settings (password in clear). True when the database opened; then
// DesktopDatabase() is that database until the next test. After false,
// LastConnectionTestError() says why.
bool ConnectDesktopDatabase(const ConnectionSettings& settings);

// The database of the last successful test, or nullptr.
platform::odbc::Connection* DesktopDatabase();

// Closes it.
void DisconnectDesktopDatabase();

// Whether "SELECT count(RecordID) as RecCount FROM <table>" runs on the desktop database.
bool DeletedRecordsTableWorks(const std::string& table);

}  // namespace tarn::builder
