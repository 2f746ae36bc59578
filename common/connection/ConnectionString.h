#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "common/connection/ConnectionValue.h"

namespace tarn {

// The six connection settings of a conduit description, plain (not scrambled), in their
// customary order.
struct ConnectionSettings {
    std::string Driver;
    std::string Server;
    std::string Database;
    std::string Username;
    std::string Password;
    std::string Append;

    bool operator==(const ConnectionSettings&) const = default;
};

// Readable test failures.
inline void PrintTo(const ConnectionSettings& s, std::ostream* os) {
    *os << "{" << s.Driver << " | " << s.Server << " | " << s.Database << " | " << s.Username
        << " | " << s.Password << " | " << s.Append << "}";
}

// The connection string the connection dialogs preview and test. The server is written both as
// server and as database file whatever the driver; the five values are quoted as ODBC reads
// them (ConnectionValue.h), while the appended text goes in as it stands, being options by
// design. With `mask` the password shows as six X whatever its length. The sync engine builds
// its own, different string.
std::string BuildConnectionString(std::string_view driver, std::string_view server,
                                  std::string_view database, std::string_view username,
                                  std::string_view password, std::string_view append, bool mask);
std::string BuildConnectionString(const ConnectionSettings& settings, bool mask);

// The file pattern of a driver name for the open-file dialog: the five characters from the
// first "*" ("*.mdb"), or empty when the name has no "*".
std::string DriverFilePattern(std::string_view driver);

// Drivers such as SQLite's open the file named in the database box ("database=") and ignore the
// server box, although their names carry no file pattern.
bool DriverOpensDatabaseFile(std::string_view driver);

// Open-file dialog filters for the database file of a driver; both end in "All Files", since
// database files often have endings of their own.
std::string ServerFileFilter(std::string_view driver);
std::string DatabaseFileFilter();

}  // namespace tarn
