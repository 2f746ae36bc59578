#include "conduit/sync/DesktopDialect.h"

#include <exception>
#include <optional>
#include <string_view>
#include <vector>

#include "common/model/DataTypes.h"
#include "conduit/log/HotSyncLog.h"
#include "conduit/sync/DesktopDatabase.h"
#include "conduit/sync/SqlDialect.h"
#include "platform/Error.h"
#include "platform/odbc/Database.h"
#include "text/Windows1252.h"

namespace tarn::conduit {
namespace {

constexpr unsigned short kSqlDbmsName = 17;  // SQLGetInfo: SQL_DBMS_NAME

// MariaDB's catalog row of the table, as t (joined to `join`): the FROM and WHERE parts.
std::string TableInSchema(const SqlDialect& dialect, const clsTable& table,
                          std::string_view join = {}) {
    return " FROM information_schema.TABLES t" + std::string(join) +
           " WHERE t.TABLE_SCHEMA = DATABASE() AND t.TABLE_NAME = " +
           dialect.Literal(table.DesktopTableName);
}

bool Contains(std::string_view text, std::string_view part) {
    return text::FoldCase(text).find(text::FoldCase(part)) != std::string::npos;
}

// Whether the key column leads a plain B-tree index in its type's default ordering and its own
// collation, which the planner takes for "key = $1" whatever size it believes the table is.
// Partial, expression and other indexes are left out: one it would not use for the comparison
// would turn each key into a scan of the table.
bool KeyColumnLeadsAnIndex(platform::odbc::Connection& connection, const SqlDialect& dialect,
                           const clsTable& table) {
    const std::string& name = table.Fields().Item(1)->FieldName;
    // A delimited name keeps its letter case; PostgreSQL folds a bare one to lower case.
    const std::string column = dialect.LeftDelimiter().empty()
                                   ? "pg_catalog.lower(" + dialect.Literal(name) + ")"
                                   : dialect.Literal(name);
    const std::string sql =
        "SELECT 1 FROM pg_catalog.pg_index i "
        "JOIN pg_catalog.pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = i.indkey[0] "
        "JOIN pg_catalog.pg_opclass c ON c.oid = i.indclass[0] "
        "JOIN pg_catalog.pg_am m ON m.oid = c.opcmethod "
        "WHERE i.indrelid = pg_catalog.to_regclass(" +
        dialect.Literal(dialect.Identifier(table.DesktopTableName)) +
        ") AND a.attname = " + column +
        " AND i.indisvalid AND i.indisready AND i.indpred IS NULL AND i.indexprs IS NULL "
        "AND c.opcdefault AND m.amname = 'btree' AND i.indcollation[0] = a.attcollation "
        "LIMIT 1";
    try {
        return !connection.OpenResultSet(sql, platform::odbc::CursorKind::ForwardOnly)->AtEnd();
    } catch (const std::exception&) {
        return false;  // the set is still answered, by the plan the database picks
    }
}

}  // namespace

DesktopDialect DetectDesktopDialect(platform::odbc::Connection& connection) {
    std::string dbms;
    try {
        dbms = GetDriverInfo(connection, kSqlDbmsName);
    } catch (const std::exception&) {
        return DesktopDialect::Other;  // a driver that cannot name its database
    }
    if (Contains(dbms, "SQLite")) return DesktopDialect::Sqlite;
    if (Contains(dbms, "MySQL") || Contains(dbms, "MariaDB")) return DesktopDialect::MySql;
    if (Contains(dbms, "PostgreSQL")) return DesktopDialect::PostgreSql;
    return DesktopDialect::Other;
}

std::size_t DefaultBatchRecords(DesktopDialect dialect) {
    if (dialect == DesktopDialect::PostgreSql) return 512;
    return dialect == DesktopDialect::MySql ? 256 : 128;
}

std::size_t MostStatementParameters(DesktopDialect dialect) {
    return dialect == DesktopDialect::PostgreSql ? 4096 : 30000;
}

bool IsDatabaseLocked(DesktopDialect dialect, const platform::PlatformError& error) {
    constexpr int kSqliteBusy = 5;
    constexpr int kSqliteLocked = 6;
    return dialect == DesktopDialect::Sqlite &&
           (error.number() == kSqliteBusy || error.number() == kSqliteLocked);
}

std::string DesktopSelectList(platform::odbc::Connection& connection, const SqlDialect& dialect,
                              const clsTable& table) {
    if (dialect.Database() != DesktopDialect::Sqlite) return "*";
    auto isReal = [](const auto& field) {
        return field->DataType == kTypeDouble || field->DataType == kTypeSingle;
    };
    bool anyReal = false;
    for (const auto& field : table.Fields()) anyReal = anyReal || isReal(field);
    if (!anyReal) return "*";
    auto described = connection.OpenResultSet(
        "SELECT * FROM " + dialect.Identifier(table.DesktopTableName) + " LIMIT 0",
        platform::odbc::CursorKind::ForwardOnly);
    // Each field's column is found as the reader finds it, so both take the same one.
    const std::vector<std::string>& names = described->ColumnNames();
    std::vector<bool> exact(names.size());
    for (const auto& field : table.Fields())
        if (isReal(field))
            if (const std::optional<std::size_t> position = described->FindColumn(field->FieldName))
                exact[*position] = true;
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) list += ", ";
        const std::string column = dialect.Identifier(names[i]);
        if (!exact[i]) {
            list += column;
            continue;
        }
        // Such a REAL has at most 15 significant digits, and the driver's 15 digits then name
        // the decimal it is nearest to. round() of a number below 2^63 rounds in integers,
        // without the text that round(x, 4) would go through. The common case is settled
        // first, by one function where asking typeof() and abs() took three. Texts and blobs
        // compare above every number, and NULL settles nothing: they fall to typeof(), and
        // pass as they are. A filter on the column still reads the table's own column, which
        // SQLite prefers to a result column of the same name.
        list += "CASE WHEN " + column + " > -1e11 AND " + column + " < 1e11 AND " + column +
                " = round(" + column + " * 10000) / 10000.0 THEN " + column + " WHEN typeof(" +
                column + ") = 'real' THEN quote(" + column + ") ELSE " + column + " END AS " +
                column;
    }
    return list;
}

std::optional<KeyComparison> FindKeyComparison(platform::odbc::Connection& connection,
                                               const SqlDialect& dialect, const clsTable& table) {
    if (dialect.Database() != DesktopDialect::PostgreSql) return std::nullopt;
    // psqlODBC sends every bound value untyped, so "key = ?" reads it with the input function
    // of the column's type, without the column's modifier: a NUMERIC(10,2) key compares 7.005
    // unrounded, a CHAR(3) key a longer text untruncated. So the cast names the type by its
    // schema and internal name, which carries no modifier ("pg_catalog.bpchar", where the
    // usual spelling "character" would mean CHAR(1)). The column is found through the very
    // expression the writer's statements name, so the same search path resolves the table.
    const std::string sql =
        "SELECT t.typtype, pg_catalog.quote_ident(n.nspname) || '.' || "
        "pg_catalog.quote_ident(t.typname) FROM pg_catalog.pg_type t "
        "JOIN pg_catalog.pg_namespace n ON n.oid = t.typnamespace "
        "WHERE t.oid = pg_catalog.pg_typeof((SELECT " +
        dialect.Identifier(table.Fields().Item(1)->FieldName) + " FROM " +
        dialect.Identifier(table.DesktopTableName) + " LIMIT 0))";
    KeyComparison comparison;
    try {
        auto rows = connection.OpenResultSet(sql, platform::odbc::CursorKind::ForwardOnly);
        if (rows->AtEnd()) return std::nullopt;
        // Base and enum types only: a domain's checks or a composite's fields would make the
        // cast fail or differ where the single key's comparison does not.
        const std::string kind = rows->Value(std::size_t{0}).value_or("");
        const std::optional<std::string> type = rows->Value(std::size_t{1});
        if ((kind != "b" && kind != "e") || !type || type->empty()) return std::nullopt;
        comparison.type = *type;
    } catch (const std::exception&) {
        return std::nullopt;  // the single-key lookups still serve
    }
    comparison.indexed = KeyColumnLeadsAnIndex(connection, dialect, table);
    return comparison;
}

bool EmptyReadStandsUntilCommit(platform::odbc::Connection& connection, const SqlDialect& dialect,
                                const clsTable& table) {
    if (dialect.Database() == DesktopDialect::Sqlite) return true;
    if (dialect.Database() != DesktopDialect::MySql) return false;
    // Newer servers name the level transaction_isolation, older ones only tx_isolation.
    for (const char* level : {"@@transaction_isolation", "@@tx_isolation"}) {
        const std::string sql = std::string("SELECT ") + level + ", t.ENGINE" +
                                TableInSchema(dialect, table) + " AND t.TABLE_TYPE = 'BASE TABLE'";
        try {
            auto rows = connection.OpenResultSet(sql, platform::odbc::CursorKind::ForwardOnly);
            return !rows->AtEnd() &&
                   rows->Value(std::size_t{0}).value_or("") == "REPEATABLE-READ" &&
                   text::FoldCase(rows->Value(std::size_t{1}).value_or("")) == "innodb";
        } catch (const std::exception&) {
            // The server lacks this name of the level: the other is tried.
        }
    }
    return false;
}

std::optional<bool> TableTakesTransactions(platform::odbc::Connection& connection,
                                           const SqlDialect& dialect, HotSyncLog& log,
                                           const clsTable& table) {
    if (dialect.Database() != DesktopDialect::MySql) return true;
    const std::string sql =
        "SELECT t.ENGINE, e.TRANSACTIONS" + TableInSchema(dialect, table,
                                                          " JOIN information_schema.ENGINES e "
                                                          "ON e.ENGINE = t.ENGINE");
    try {
        auto rows = connection.OpenResultSet(sql, platform::odbc::CursorKind::ForwardOnly);
        if (rows->AtEnd() || rows->Value(std::size_t{1}).value_or("") == "YES") return true;
        log.WriteLog("Table " + table.DesktopTableName + " uses the storage engine " +
                         rows->Value(std::size_t{0}).value_or("") +
                         ", which has no transactions: a failed sync may leave it partly "
                         "written",
                     1);
        return false;
    } catch (const std::exception&) {
        // A server that will not say is not worth failing the sync over.
        return std::nullopt;
    }
}

}  // namespace tarn::conduit
