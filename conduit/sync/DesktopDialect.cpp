#include "conduit/sync/DesktopDialect.h"

#include <exception>
#include <string_view>

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

bool Contains(std::string_view text, std::string_view part) {
    return text::FoldCase(text).find(text::FoldCase(part)) != std::string::npos;
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

bool IsDatabaseLocked(DesktopDialect dialect, const platform::PlatformError& error) {
    constexpr int kSqliteBusy = 5;
    constexpr int kSqliteLocked = 6;
    return dialect == DesktopDialect::Sqlite &&
           (error.number() == kSqliteBusy || error.number() == kSqliteLocked);
}

std::string ExactNumberColumnName(std::size_t fieldIndex) {
    return "tarn_exact_" + std::to_string(fieldIndex);
}

std::string ExactNumberColumns(const SqlDialect& dialect, const clsTable& table) {
    if (dialect.Database() != DesktopDialect::Sqlite) return {};
    std::string columns;
    std::size_t index = 0;
    for (const auto& field : table.Fields()) {
        const std::size_t position = index++;
        if (field->DataType != kTypeDouble && field->DataType != kTypeSingle) continue;
        // Only a stored REAL needs it: integers, texts and NULLs come through as they are,
        // so a text that is no number still fails as one.
        const std::string column = dialect.Identifier(field->FieldName);
        columns += ", CASE typeof(" + column + ") WHEN 'real' THEN quote(" + column + ") ELSE " +
                   column + " END AS " + ExactNumberColumnName(position);
    }
    return columns;
}

std::optional<bool> TableTakesTransactions(platform::odbc::Connection& connection,
                                           const SqlDialect& dialect, HotSyncLog& log,
                                           const clsTable& table) {
    if (dialect.Database() != DesktopDialect::MySql) return true;
    const std::string sql =
        "SELECT t.ENGINE, e.TRANSACTIONS FROM information_schema.TABLES t "
        "JOIN information_schema.ENGINES e ON e.ENGINE = t.ENGINE "
        "WHERE t.TABLE_SCHEMA = DATABASE() AND t.TABLE_NAME = " +
        dialect.Literal(table.DesktopTableName);
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
