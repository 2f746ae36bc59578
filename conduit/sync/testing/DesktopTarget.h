#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "platform/odbc/Database.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::conduit::test {

// The desktop databases a conduit is promised to work with.
enum class DesktopKind { Sqlite, PostgreSql, MariaDb };

// "SQLite", "PostgreSQL", "MariaDB": for test names and messages.
std::string DesktopKindName(DesktopKind kind);
inline void PrintTo(DesktopKind kind, std::ostream* out) {
    *out << DesktopKindName(kind);
}

// unixODBC settles on the folder of its driver list at its first look and keeps it for the
// rest of the process, while each test's private folder vanishes with the test. So a process
// that runs several server tests one after another (a test program run without ctest, the
// benchmark) first points it at one list with every driver, kept until the process ends.
// Call before the process first uses ODBC at all (allocating an environment reads the list).
void ShareOneOdbcDriverList();

// One fresh desktop database for one test: an SQLite file in the test's folder, or a database
// of its own on the test run's private PostgreSQL or MariaDB server (dropped again at the
// end). The five connection texts are what a user would type into a conduit's settings.
class DesktopTarget {
  public:
    DesktopTarget(DesktopKind kind, tarn::test::TestEnvironment& environment,
                  platform::odbc::Environment& odbc);
    ~DesktopTarget();
    DesktopTarget(const DesktopTarget&) = delete;
    DesktopTarget& operator=(const DesktopTarget&) = delete;

    const DesktopKind kind;
    std::string driver;
    std::string server;  // "127.0.0.1;Port=N" for the servers: they never run on the default port
    std::string database;
    std::string user;
    std::string password;

    // A connection of the test's own, independent of the engine's. On MariaDB it reads a
    // backslash in a literal as itself, as the engine's connection does, so that a test's SQL
    // means the same on every database.
    std::unique_ptr<platform::odbc::Connection> Connect();

    // A name delimited for the test's own SQL, keeping its letter case on every database.
    std::string Quote(const std::string& name) const;

  private:
    std::string ConnectionString(const std::string& databaseName) const;
    void CreateServerDatabase();

    platform::odbc::Environment& odbc_;
};

}  // namespace tarn::conduit::test
