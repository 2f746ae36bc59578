#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "common/model/clsTable.h"

namespace tarn::platform {
class PlatformError;
namespace odbc {
class Connection;
}
}  // namespace tarn::platform

// What the engine must know of a few desktop databases beyond plain ODBC: the places where a
// driver's own behaviour would change values or hide a risk.
namespace tarn::conduit {

class HotSyncLog;
class SqlDialect;

enum class DesktopDialect { Other, Sqlite, MySql, PostgreSql };

// The database behind a connection, by the name its driver reports (SQL_DBMS_NAME).
DesktopDialect DetectDesktopDialect(platform::odbc::Connection& connection);

// The handheld records one batch of desktop writes covers where nothing else is asked for.
// PostgreSQL pays a savepoint and a round trip per batch and answers a batch's existence
// question in one join whatever its size; so does MariaDB up to some 256 keys; SQLite takes at
// most 500 of them in one statement, and its UNION of lookups pays past 128.
std::size_t DefaultBatchRecords(DesktopDialect dialect);

// The most values one statement binds. psqlODBC was seen to lose its connection ("lost
// synchronization with server") on statements from some 7,500 values, and a batch of 2,048
// six-field records in one insert did so; the others take what their databases do (SQLite
// 32766, MariaDB 65535).
std::size_t MostStatementParameters(DesktopDialect dialect);

// What the desktop SELECT asks for in place of "*". The SQLite driver hands out a REAL as text
// rounded to 15 digits, so 0.30000000000000004 would arrive as 0.3 and the largest double as a
// number beyond range. Where a table has "Double" or "Single" fields, the SELECT then names the
// table's columns one by one (found by asking for no row of it), each such field's column
// through an expression of the same name: the column itself where its 15 digits are exact, and
// the value's exact text (SQLite's quote(), which round-trips) where they may not be. The 15
// digits are exact for a REAL that is the double nearest to a decimal of at most 11 places
// before the point and 4 after it (as most money and measures are), and for every value that
// is no REAL. quote() formats and reads back each value it is given, which cost a tenth of a
// whole sync; the test spares that for nearly every row. Each such value is read once.
// "*" for the other databases, whose drivers deliver doubles exactly, and the other tables.
std::string DesktopSelectList(platform::odbc::Connection& connection, const SqlDialect& dialect,
                              const clsTable& table);

// Whether a failure means that another program holds the whole database locked (SQLite's
// "database is locked" after the connection's wait), rather than that the statement is wrong.
bool IsDatabaseLocked(DesktopDialect dialect, const platform::PlatformError& error);

// How the database compares a table's key column with a key bound to "key = ?". PostgreSQL
// only, where a VALUES list of keys joined to the table beats a UNION of single-key lookups;
// nothing where the database is another, or the type is one a cast could change values in (a
// domain's checks, say).
struct KeyComparison {
    // The type, as SQL text, keys are cast to: a set of keys cast to it compares exactly as
    // each key alone would (same collation, trailing blanks, numeric text).
    std::string type;
    // A plain index leads with the key column in its own collation, so each key of a set can
    // be one probe of it; without one, each key would be a scan of the whole table.
    bool indexed = false;
};
std::optional<KeyComparison> FindKeyComparison(platform::odbc::Connection& connection,
                                               const SqlDialect& dialect, const clsTable& table);

// Whether a table that the sync's own transaction read and found empty holds, until that
// transaction ends, no rows but those it writes itself, whatever other sessions commit: SQLite
// keeps every other writer out until the transaction ends; InnoDB under REPEATABLE READ
// answers every plain SELECT of the transaction from the snapshot its first read took, so a
// question of which keys exist would see the same. False for the other databases, isolation
// levels and storage engines (a view included), and where the server will not say.
bool EmptyReadStandsUntilCommit(platform::odbc::Connection& connection, const SqlDialect& dialect,
                                const clsTable& table);

// Logs (level 1) that a failed sync may leave the table partly written, when the database
// says the table cannot take part in a transaction (a MyISAM table on MariaDB, say).
// Returns false after that warning, nothing when the server will not say.
std::optional<bool> TableTakesTransactions(platform::odbc::Connection& connection,
                                           const SqlDialect& dialect, HotSyncLog& log,
                                           const clsTable& table);

}  // namespace tarn::conduit
