#include "conduit/sync/DesktopDatabase.h"

#include <array>
#include <exception>
#include <string_view>
#include <utility>

#include "common/config/Scramble.h"
#include "common/connection/ConnectionValue.h"
#include "conduit/sync/LockWaits.h"
#include "conduit/sync/SyncError.h"
#include "conduit/sync/SyncOutcome.h"
#include "conduit/sync/SyncSession.h"
#include "platform/Error.h"
#include "platform/odbc/Database.h"
#include "text/Windows1252.h"

namespace tarn::conduit {
namespace {

bool ContainsIgnoreCase(std::string_view text, std::string_view part) {
    return text::FoldCase(text).find(text::FoldCase(part)) != std::string::npos;
}

// The SQLite3 driver takes its file from "database=" alone; without it the driver quietly
// creates a database named after the whole connection string in the current folder.
bool NamesNoSqliteFile(const std::string& driver, const std::string& database) {
    return database.empty() && ContainsIgnoreCase(driver, "SQLite");
}

// MySQL and MariaDB read a backslash inside a quoted value as an escape by default; values
// from the handheld must arrive unchanged, and doubled single quotes are all the escaping the
// engine does.
void KeepBackslashesLiteral(platform::odbc::Connection& connection) {
    connection.Execute(
        "SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@SESSION.sql_mode, ''), "
        "'NO_BACKSLASH_ESCAPES')");
}

// Whether the database accepts a statement. A database another program holds locked refuses
// every probe after the same wait, which says nothing about quoting, and the sync cannot go on
// without it anyway: that failure ends the opening at once, naming the lock.
bool Succeeds(platform::odbc::Connection& connection, DesktopDialect database,
              const std::string& sql) {
    try {
        connection.OpenResultSet(sql, platform::odbc::CursorKind::ForwardOnly);
        return true;
    } catch (const platform::PlatformError& error) {
        if (IsDatabaseLocked(database, error)) throw;
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

// A pair quotes identifiers when the delimited table can be read and a delimited column that
// does not exist is refused: a pair the database reads as a string literal (SQLite's 'x', or
// its "x" when no such column exists) lets the unknown name through. "WHERE 1=0" keeps the
// probe from reading the table: the SQLite driver fetches a whole result when it opens it.
bool QuotesIdentifiers(platform::odbc::Connection& connection, DesktopDialect database,
                       const std::string& table, const std::string& left,
                       const std::string& right) {
    const std::string from = " FROM " + left + table + right + " WHERE 1=0";
    return Succeeds(connection, database, "SELECT *" + from) &&
           !Succeeds(connection, database, "SELECT " + left + "tarn_no_such_column" + right + from);
}

// Refused as the driver manager refuses an unknown driver: its errors carry number 0.
constexpr int kErrNoDriverSelected = 0;

void LogOpeningFailure(SyncSession& session, const std::string& description, int number) {
    session.WriteLog("Error opening desktop database: " + description +
                         "\r\nError Num:" + std::to_string(number),
                     1);
    NoteFailure(session.Outcome, "Error opening desktop database: " + description + " (error " +
                                     std::to_string(number) + ")");
}

}  // namespace

SyncConnectionString BuildSyncConnectionString(const ConduitSettings& settings) {
    const std::string driver = DescrambleString(settings.DBDriver);
    const std::string server = DescrambleString(settings.DBServer);
    const std::string database = DescrambleString(settings.DBDatabase);
    const std::string user = DescrambleString(settings.DBUsername);
    const std::string password = DescrambleString(settings.DBPassword);

    // Server-based drivers read "server=", file-based ones "DBQ=". Every value is quoted, so a
    // ";" in a password stays in the password instead of starting an option of its own.
    const ServerValue serverValue = ServerConnectionValue(driver, server);
    std::string connect = "driver=" + BraceConnectionValue(driver) + ";";
    if (serverValue.asServer) connect += "server=" + serverValue.value + ";";
    if (serverValue.asFile) connect += "DBQ=" + serverValue.value + ";";
    if (!database.empty()) {
        const std::string databaseValue = QuoteConnectionValue(database);
        connect += "database=" + databaseValue + ";DB=" + databaseValue + ";";
    }
    if (!user.empty()) connect += "uid=" + QuoteConnectionValue(user) + ";";

    SyncConnectionString result{connect, connect};
    if (!password.empty()) {
        result.connect += "PWD=" + QuoteConnectionValue(password) + ";";
        result.loggable += "PWD=XXXXXXXXX;";
    }
    if (ContainsIgnoreCase(result.connect, "MYSQL")) {
        result.connect += "OPTION=3;";
        result.loggable += "OPTION=3;";
    }
    return result;
}

bool OpenDesktopDatabase(SyncSession& session, const ConduitSettings& settings) {
    try {
        session.WriteLog("Building Connection String", 2);
        SyncConnectionString text = BuildSyncConnectionString(settings);
        session.WriteLog("Connection String: " + text.loggable, 2);

        // A failed opening leaves no connection in use.
        session.DesktopConnection.reset();
        const std::string driver = DescrambleString(settings.DBDriver);
        if (NamesNoDriver(driver)) {
            LogOpeningFailure(session, kNoDriverSelected, kErrNoDriverSelected);
            return false;
        }
        if (NamesNoSqliteFile(driver, DescrambleString(settings.DBDatabase))) {
            const std::string line =
                "Error opening desktop database: no database file is set for the SQLite driver";
            session.WriteLog(line, 1);
            NoteFailure(session.Outcome, line);
            return false;
        }

        session.WriteLog("Opening Desktop Database", 2);
        std::unique_ptr<platform::odbc::Connection> connection = session.Platform.Odbc().Connect(
            text.connect + LockWaitOption(DescrambleString(settings.DBDriver)));
        const DesktopDialect database = DetectDesktopDialect(*connection);
        if (database == DesktopDialect::MySql) KeepBackslashesLiteral(*connection);
        session.DesktopConnection = std::move(connection);

        session.Dialect =
            FindSqlDialect(*session.DesktopConnection, database, session.Tables, session.Log);
        return true;
    } catch (const platform::PlatformError& error) {
        LogOpeningFailure(session, error.description(), error.number());
    } catch (const SyncError& error) {
        LogOpeningFailure(session, error.description(), error.number());
    } catch (const std::exception& error) {
        LogOpeningFailure(session, error.what(), 0);
    }
    session.DesktopConnection.reset();
    return false;
}

SqlDialect FindSqlDialect(platform::odbc::Connection& connection, DesktopDialect database,
                          const colTables& tables, HotSyncLog& log) {
    if (tables.Count() == 0) return SqlDialect(database, "", "");

    static constexpr std::array<std::pair<const char*, const char*>, 4> kPairs{{
        {"'", "'"},
        {"`", "`"},
        {"[", "]"},
        {"\"", "\""},
    }};
    const std::string table = tables.Item(1)->DesktopTableName;
    SqlDialect dialect(database, "", "");
    for (const auto& [left, right] : kPairs) {
        if (QuotesIdentifiers(connection, database, table, left, right)) {
            dialect = SqlDialect(database, left, right);
            break;
        }
    }
    log.WriteLog("Setting Left Field Delimiter: " + dialect.LeftDelimiter(), 3);
    log.WriteLog("Setting Right Field Delimiter: " + dialect.RightDelimiter(), 3);
    log.WriteLog("Setting Quote Identifier: " + dialect.QuoteCharacter(), 3);
    log.WriteLog("Setting Escape Character: " + dialect.EscapeCharacter(), 3);
    return dialect;
}

std::string GetDriverInfo(platform::odbc::Connection& connection, unsigned short infoType) {
    return connection.DriverInfo(infoType);
}

}  // namespace tarn::conduit
