#pragma once

#include <string>

#include "common/config/ConduitSettings.h"

namespace tarn::platform::odbc {
class Connection;
}

namespace tarn::conduit {

struct ModuleState;

// The connection string a sync opens the desktop database with, and the copy that may be
// logged (password masked).
struct SyncConnectionString {
    std::string connect;
    std::string loggable;
};
SyncConnectionString BuildSyncConnectionString(const ConduitSettings& settings);

// Opens state.DesktopConnection from the settings and sets the quoting characters. Logs and
// returns false on any failure.
bool OpenDesktopDatabase(ModuleState& state, const ConduitSettings& settings);

// Finds the identifier delimiters the database accepts, by experiment on the first table.
void SetFieldDelimiters(ModuleState& state);

std::string GetDriverInfo(platform::odbc::Connection& connection, unsigned short infoType);

// A table or column name between the delimiters the database was found to accept.
std::string Identifier(const ModuleState& state, const std::string& name);

// A value ready to stand between single quotes in SQL: embedded quotes doubled.
std::string EscapeValue(const ModuleState& state, const std::string& value);

}  // namespace tarn::conduit
