#pragma once

#include <string>

#include "common/config/ConduitSettings.h"
#include "common/model/clsTable.h"
#include "conduit/log/HotSyncLog.h"
#include "conduit/sync/SqlDialect.h"

namespace tarn::platform::odbc {
class Connection;
}

namespace tarn::conduit {

struct SyncSession;

// The connection string a sync opens the desktop database with, and the copy that may be
// logged (password masked).
struct SyncConnectionString {
    std::string connect;
    std::string loggable;
};
SyncConnectionString BuildSyncConnectionString(const ConduitSettings& settings);

// Opens session.DesktopConnection from the settings and finds its SQL dialect
// (session.Dialect). Logs, notes the failure for the host and returns false on any failure.
bool OpenDesktopDatabase(SyncSession& session, const ConduitSettings& settings);

// The dialect of the database behind `connection`: the identifier delimiters it accepts, found
// by experiment on the first of `tables` (none without a table), and the value quoting.
SqlDialect FindSqlDialect(platform::odbc::Connection& connection, DesktopDialect database,
                          const colTables& tables, HotSyncLog& log);

std::string GetDriverInfo(platform::odbc::Connection& connection, unsigned short infoType);

}  // namespace tarn::conduit
