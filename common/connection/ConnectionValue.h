#pragma once

#include <string>
#include <string_view>

// How the six connection settings become values of an ODBC connection string. The driver
// manager and the drivers split the string at every ";" and "=", so a value that holds one of
// them (a password "pw;Database=other") would otherwise end early and add options of its own.
namespace tarn {

// A value as ODBC reads it back unchanged: as it is when it holds none of ";", "{", "}", "="
// and no blank at either end, otherwise in braces with every "}" doubled.
std::string QuoteConnectionValue(std::string_view value);

// The driver name, always in braces (the form drivers are named in), every "}" doubled.
std::string BraceConnectionValue(std::string_view value);

// The server box as it goes into a connection string. It may carry, after the host, the
// options a server box has long been used for: a port (";Port=5433") and psqlODBC's protocol
// (";Protocol=7.4-1"). Those are kept as options and the host is quoted alone; any other ";"
// makes the whole box one quoted value, so the box cannot name another database or user.
//
// The box is written twice, for server-based drivers ("server") and for file-based ones
// ("DBQ"). A driver may not honour braces under a key it does not know (MariaDB's splits
// "DBQ={a;Database=b}" at the ";"), so a braced value is written only under the key its kind
// of driver reads.
struct ServerValue {
    std::string value;
    bool asServer = true;  // write "server=" value
    bool asFile = true;    // write "DBQ=" value
};
ServerValue ServerConnectionValue(std::string_view driver, std::string_view server);

// Drivers that open a database file rather than talk to a server carry a file pattern in their
// name, as in "Microsoft Access Driver (*.mdb)".
bool IsFileBasedDriver(std::string_view driver);

// True when the driver setting names no driver: empty, blank, or the driver list's "(None)".
// The driver manager would quietly take the first driver it knows for an empty name.
bool NamesNoDriver(std::string_view driver);

// What the dialogs and the log say when no driver is chosen.
inline constexpr char kNoDriverSelected[] = "No ODBC driver selected";

}  // namespace tarn
