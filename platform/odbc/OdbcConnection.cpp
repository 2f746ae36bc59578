#include "platform/odbc/OdbcConnection.h"

#include <sqlext.h>
#include <sqlucode.h>

#include <charconv>
#include <set>

#include "platform/odbc/OdbcDiagnostics.h"
#include "platform/odbc/OdbcPreparedStatement.h"
#include "platform/odbc/OdbcResultSet.h"
#include "platform/odbc/Utf16.h"
#include "platform/odbc/Utf8DriverCharset.h"

namespace tarn::platform::odbc {

namespace {

// Result columns of the catalog calls, counted from 0.
constexpr std::size_t kTableSchema = 1;
constexpr std::size_t kTableName = 2;
constexpr std::size_t kTableType = 3;
constexpr std::size_t kColumnName = 3;
constexpr std::size_t kColumnDataType = 4;

// Catalog arguments are search patterns: a table called "order_lines" must not also match
// "orderXlines".
std::string EscapePattern(const std::string& name, const std::string& escape) {
    if (escape.empty()) return name;
    std::string out;
    for (char c : name) {
        if (c == '_' || c == '%' || escape.find(c) != std::string::npos) out += escape;
        out += c;
    }
    return out;
}

// ODBC 3 drivers report the date and time types with the codes of ODBC 3; the type table
// of the builder works with those of ODBC 2.
int Odbc2TypeCode(int type) {
    switch (type) {
        case SQL_TYPE_DATE:
            return SQL_DATE;
        case SQL_TYPE_TIME:
            return SQL_TIME;
        case SQL_TYPE_TIMESTAMP:
            return SQL_TIMESTAMP;
        default:
            return type;
    }
}

std::shared_ptr<OdbcHandle> NewConnectionHandle(std::shared_ptr<OdbcHandle> environment) {
    Utf8DriverCharset utf8;
    return std::make_shared<OdbcHandle>(SQL_HANDLE_DBC, std::move(environment));
}

const std::string& Text(const std::optional<std::string>& value) {
    static const std::string empty;
    return value ? *value : empty;
}

}  // namespace

OdbcConnection::OdbcConnection(std::shared_ptr<OdbcHandle> environment,
                               const std::string& connectionString)
    : connection_(NewConnectionHandle(std::move(environment))) {
    std::vector<SQLWCHAR> wide = ToWide(connectionString);
    SQLHDBC dbc = connection_->Get();
    Check(SQLDriverConnectW(dbc, nullptr, wide.data(), SQL_NTS, nullptr, 0, nullptr,
                            SQL_DRIVER_NOPROMPT),
          SQL_HANDLE_DBC, dbc);
    connection_->MarkConnected();
    executeStatement_ = NewStatement();
}

std::shared_ptr<OdbcHandle> OdbcConnection::NewStatement() {
    return std::make_shared<OdbcHandle>(SQL_HANDLE_STMT, connection_);
}

void OdbcConnection::Execute(const std::string& sql) {
    std::vector<SQLWCHAR> wide = ToWide(sql);
    SQLHSTMT stmt = executeStatement_->Get();
    SQLRETURN rc = SQLExecDirectW(stmt, wide.data(), SQL_NTS);
    // No data is a searched UPDATE or DELETE that matched no row: not a failure. The error is
    // taken before the handle is closed, which clears it.
    std::optional<OdbcError> error;
    if (rc != SQL_NO_DATA && !Succeeded(rc))
        error = ErrorFromDiagnostics(SQL_HANDLE_STMT, stmt, rc);
    // A statement that happens to return rows must not keep the shared handle busy.
    SQLFreeStmt(stmt, SQL_CLOSE);
    if (error) throw *error;
}

bool OdbcConnection::HasRows(const std::string& sql) {
    std::vector<SQLWCHAR> wide = ToWide(sql);
    SQLHSTMT stmt = executeStatement_->Get();
    SQLRETURN rc = SQLExecDirectW(stmt, wide.data(), SQL_NTS);
    std::optional<OdbcError> error;
    bool found = false;
    if (rc != SQL_NO_DATA && !Succeeded(rc)) {
        error = ErrorFromDiagnostics(SQL_HANDLE_STMT, stmt, rc);
    } else if (rc != SQL_NO_DATA) {
        rc = SQLFetch(stmt);
        if (rc != SQL_NO_DATA && !Succeeded(rc))
            error = ErrorFromDiagnostics(SQL_HANDLE_STMT, stmt, rc);
        found = Succeeded(rc);
    }
    SQLFreeStmt(stmt, SQL_CLOSE);
    if (error) throw *error;
    return found;
}

std::unique_ptr<PreparedStatement> OdbcConnection::Prepare(const std::string& sql) {
    return std::make_unique<OdbcPreparedStatement>(connection_, sql);
}

std::unique_ptr<ResultSet> OdbcConnection::OpenResultSet(const std::string& sql,
                                                         CursorKind cursor) {
    std::shared_ptr<OdbcHandle> statement = NewStatement();
    SQLHSTMT stmt = statement->Get();
    if (cursor == CursorKind::Dynamic) {
        if (!dynamicCursors_)
            dynamicCursors_ = (NumericInfo<SQLUINTEGER>(SQL_SCROLL_OPTIONS) & SQL_SO_DYNAMIC) != 0;
        // The driver may still substitute a lesser cursor; any cursor reads forward.
        if (*dynamicCursors_)
            SQLSetStmtAttrW(stmt, SQL_ATTR_CURSOR_TYPE,
                            reinterpret_cast<SQLPOINTER>(SQL_CURSOR_DYNAMIC), SQL_IS_UINTEGER);
    }
    std::vector<SQLWCHAR> wide = ToWide(sql);
    SQLRETURN rc = SQLExecDirectW(stmt, wide.data(), SQL_NTS);
    if (rc != SQL_NO_DATA) Check(rc, SQL_HANDLE_STMT, stmt);
    return std::make_unique<OdbcResultSet>(std::move(statement));
}

std::vector<std::string> OdbcConnection::ListTables() {
    std::shared_ptr<OdbcHandle> statement = NewStatement();
    SQLHSTMT stmt = statement->Get();
    std::vector<SQLWCHAR> catalog = CurrentCatalog();
    Check(SQLTablesW(stmt, catalog.empty() ? nullptr : catalog.data(), SQL_NTS, nullptr, 0, nullptr,
                     0, nullptr, 0),
          SQL_HANDLE_STMT, stmt);
    std::vector<std::string> names;
    // A server lists a name once per schema that holds it; SQL names it once.
    std::set<std::string> seen;
    for (OdbcResultSet rows(std::move(statement)); !rows.AtEnd(); rows.Next()) {
        const std::string& type = Text(rows.Value(kTableType));
        const std::string& name = Text(rows.Value(kTableName));
        if ((type == "TABLE" || type == "VIEW") && seen.insert(name).second) names.push_back(name);
    }
    return names;
}

std::vector<ColumnInfo> OdbcConnection::ListColumns(const std::string& table) {
    std::string pattern = EscapePattern(table, DriverInfo(SQL_SEARCH_PATTERN_ESCAPE));
    std::shared_ptr<OdbcHandle> statement = NewStatement();
    SQLHSTMT stmt = statement->Get();
    std::vector<SQLWCHAR> wide = ToWide(pattern);
    std::vector<SQLWCHAR> catalog = CurrentCatalog();
    Check(SQLColumnsW(stmt, catalog.empty() ? nullptr : catalog.data(), SQL_NTS, nullptr, 0,
                      wide.data(), SQL_NTS, nullptr, 0),
          SQL_HANDLE_STMT, stmt);
    std::vector<ColumnInfo> columns;
    std::optional<std::string> schema;
    for (OdbcResultSet rows(std::move(statement)); !rows.AtEnd(); rows.Next()) {
        // A pattern-blind driver may answer more tables, and a server may hold the same table
        // name in several schemas: keep the exact name in the first schema reported.
        if (Text(rows.Value(kTableName)) != table) continue;
        if (!schema) schema = rows.Value(kTableSchema).value_or("");
        if (rows.Value(kTableSchema).value_or("") != *schema) continue;
        const std::string& typeText = Text(rows.Value(kColumnDataType));
        int type = 0;  // a driver that leaves the type out gets "unknown"
        std::from_chars(typeText.data(), typeText.data() + typeText.size(), type);
        columns.push_back({Text(rows.Value(kColumnName)), Odbc2TypeCode(type)});
    }
    return columns;
}

std::vector<SQLWCHAR> OdbcConnection::CurrentCatalog() {
    SQLWCHAR buffer[256] = {};
    SQLINTEGER bytes = 0;
    SQLHDBC dbc = connection_->Get();
    if (!Succeeded(
            SQLGetConnectAttrW(dbc, SQL_ATTR_CURRENT_CATALOG, buffer, sizeof buffer, &bytes)))
        return {};
    std::string name = ToUtf8FromBuffer(buffer, std::size(buffer));
    return name.empty() ? std::vector<SQLWCHAR>{} : ToWide(name);
}

std::string OdbcConnection::DriverInfo(unsigned short infoType) {
    SQLWCHAR buffer[255 / sizeof(SQLWCHAR)] = {};
    SQLHDBC dbc = connection_->Get();
    Check(SQLGetInfoW(dbc, infoType, buffer, SQLSMALLINT(sizeof buffer), nullptr), SQL_HANDLE_DBC,
          dbc);
    return ToUtf8FromBuffer(buffer, std::size(buffer));
}

template <typename T>
T OdbcConnection::NumericInfo(SQLUSMALLINT infoType) {
    T value{};
    SQLHDBC dbc = connection_->Get();
    Check(SQLGetInfoW(dbc, infoType, &value, sizeof value, nullptr), SQL_HANDLE_DBC, dbc);
    return value;
}

bool OdbcConnection::SupportsTransactions() {
    if (!transactions_) transactions_ = NumericInfo<SQLUSMALLINT>(SQL_TXN_CAPABLE) != SQL_TC_NONE;
    return *transactions_;
}

bool OdbcConnection::BeginTransaction() {
    if (!SupportsTransactions()) return false;
    SQLHDBC dbc = connection_->Get();
    Check(SQLSetConnectAttrW(dbc, SQL_ATTR_AUTOCOMMIT,
                             reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER),
          SQL_HANDLE_DBC, dbc);
    inTransaction_ = true;
    return true;
}

void OdbcConnection::Commit() {
    EndTransaction(SQL_COMMIT);
}
void OdbcConnection::Rollback() {
    EndTransaction(SQL_ROLLBACK);
}

void OdbcConnection::EndTransaction(SQLSMALLINT completion) {
    if (!inTransaction_) return;
    SQLHDBC dbc = connection_->Get();
    // A failed commit leaves the transaction open so that the caller can still roll back.
    Check(SQLEndTran(SQL_HANDLE_DBC, dbc, completion), SQL_HANDLE_DBC, dbc);
    inTransaction_ = false;
    Check(SQLSetConnectAttrW(dbc, SQL_ATTR_AUTOCOMMIT,
                             reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), SQL_IS_UINTEGER),
          SQL_HANDLE_DBC, dbc);
}

}  // namespace tarn::platform::odbc
