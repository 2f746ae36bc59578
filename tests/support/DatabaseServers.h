#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

#include "tests/support/TestEnvironment.h"

// The private PostgreSQL and MariaDB servers that the tests of one run share. Starting them
// takes seconds, so they are started once (the ctest fixture "database_servers" runs
// `tarn-test-servers start` before the first server test and `stop` after the last) and each
// test makes a fresh database of its own on them.
namespace tarn::test {

struct ServerAddress {
    int port = 0;
    std::string user;
    std::string password;
    // What a conduit's server box holds to reach the server on its port.
    std::string ServerBox() const { return "127.0.0.1;Port=" + std::to_string(port); }
};

struct DatabaseServers {
    ServerAddress postgres;
    ServerAddress mariadb;
    std::filesystem::path folder;  // data, sockets and logs of both
    pid_t keeper = 0;              // the process that owns them
};

// The file that describes the running servers: TARN_SERVERS_FILE, or one in the build tree.
std::filesystem::path DatabaseServersFile();

// Reads the description; throws, saying how to start the servers, when there is none.
DatabaseServers ReadDatabaseServers(const std::filesystem::path& file = DatabaseServersFile());

// Starts both servers in a fresh folder under the system temp folder and writes their
// description to `file` once both take connections. A keeper process owns them and stops
// them, removing the folder, on StopDatabaseServers or as soon as process `guardedPid` has
// ended, so that a test run that dies leaves nothing running. Throws with the servers' own
// words when either cannot start. Servers an earlier call left described in `file` are
// stopped first.
DatabaseServers StartDatabaseServers(const std::filesystem::path& file, pid_t guardedPid);

// Stops the servers described in `file` and waits until they are gone; nothing to do when
// there is no such file.
void StopDatabaseServers(const std::filesystem::path& file);

// Registers "PostgreSQL Unicode" (with its communication and debug logs off, so it writes
// nothing to /tmp) and "MariaDB Unicode" in a test's private driver list. Throws when a
// driver is not installed.
void AddServerOdbcDrivers(TestEnvironment& environment);

}  // namespace tarn::test
