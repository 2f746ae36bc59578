#pragma once

#include <string>

#include "common/connection/ConnectionString.h"

namespace tarn::platform::odbc {
class Environment;
class Connection;
}  // namespace tarn::platform::odbc

namespace tarn {

// Tries to open the desktop database a connection string describes, without letting the driver
// prompt, under the busy pointer. True when it opened. The connection of the last successful
// test stays open, shared by the whole program, until the next test replaces it (every test
// first releases the one before). After false, LastConnectionTestError() says why.
bool TestDatabaseConnection(const std::string& connectionString);
// The same through a given driver manager (the machine's own one is opened for the call above).
bool TestDatabaseConnection(platform::odbc::Environment& environment,
                            const std::string& connectionString);

// Tests the connection that the six settings describe (BuildConnectionString, password in
// clear). Settings that name no driver are refused without connecting, with
// kNoDriverSelected as the error: the driver manager would quietly take the first driver it
// knows, and the test would succeed on a database the settings never named.
bool TestConnectionSettings(const ConnectionSettings& settings);
bool TestConnectionSettings(platform::odbc::Environment& environment,
                            const ConnectionSettings& settings);

// The driver's description of the failure of the last test; empty after a success.
std::string LastConnectionTestError();

// Whether a tested connection is being held open.
bool HoldsTestedConnection();

// The connection of the last successful test, for callers that go on to use the database they
// tested (the builder's import); null when none is held.
platform::odbc::Connection* TestedConnection();

// Closes the held connection, e.g. before the library that made it is unloaded.
void ReleaseTestedConnection();

}  // namespace tarn
