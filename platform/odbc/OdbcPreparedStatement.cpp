#include "platform/odbc/OdbcPreparedStatement.h"

#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <optional>

#include "platform/odbc/OdbcDiagnostics.h"
#include "platform/odbc/OdbcResultSet.h"
#include "platform/odbc/Utf16.h"

namespace tarn::platform::odbc {

OdbcPreparedStatement::OdbcPreparedStatement(std::shared_ptr<OdbcHandle> connection,
                                             std::string sql)
    : statement_(std::make_shared<OdbcHandle>(SQL_HANDLE_STMT, std::move(connection))),
      sql_(std::move(sql)) {
    std::vector<SQLWCHAR> wide = ToWide(sql_);
    SQLHSTMT stmt = statement_->Get();
    Check(SQLPrepareW(stmt, wide.data(), SQL_NTS), SQL_HANDLE_STMT, stmt);
}

void OdbcPreparedStatement::Bind(std::size_t index, const Parameter& parameter) {
    Slot& slot = slots_[index];
    Binding binding{SQL_C_WCHAR, SQL_WVARCHAR, 1, nullptr, 0, &slot.indicator};
    switch (parameter.type) {
        case ParameterType::Text:
            if (!parameter.null) AssignWide(parameter.text, slot.text);
            if (slot.text.empty()) slot.text.push_back(0);
            binding.value = slot.text.data();
            // Characters, not counting the terminator; a zero size is refused by some drivers.
            binding.columnSize = std::max<SQLULEN>(slot.text.size() - 1, 1);
            binding.capacity = SQLLEN(slot.text.size() * sizeof(SQLWCHAR));
            slot.indicator = SQLLEN((slot.text.size() - 1) * sizeof(SQLWCHAR));
            break;
        case ParameterType::Integer:
            binding = {SQL_C_SBIGINT, SQL_BIGINT, 19, &slot.integer, 0, &slot.indicator};
            slot.integer = parameter.integer;
            slot.indicator = sizeof slot.integer;
            break;
        case ParameterType::Double:
            binding = {SQL_C_DOUBLE, SQL_DOUBLE, 15, &slot.real, 0, &slot.indicator};
            slot.real = parameter.real;
            slot.indicator = sizeof slot.real;
            break;
        case ParameterType::Date:
            binding = {SQL_C_TYPE_DATE, SQL_TYPE_DATE, 10, &slot.date, 0, &slot.indicator};
            slot.date.year = SQLSMALLINT(parameter.year);
            slot.date.month = SQLUSMALLINT(parameter.month);
            slot.date.day = SQLUSMALLINT(parameter.day);
            slot.indicator = sizeof slot.date;
            break;
    }
    if (parameter.null) slot.indicator = SQL_NULL_DATA;
    if (binding == slot.bound) return;
    slot.bound = {};  // should the driver refuse it, nothing is known of the binding
    SQLHSTMT stmt = statement_->Get();
    Check(SQLBindParameter(stmt, SQLUSMALLINT(index + 1), SQL_PARAM_INPUT, binding.cType,
                           binding.sqlType, binding.columnSize, 0, binding.value, binding.capacity,
                           binding.indicator),
          SQL_HANDLE_STMT, stmt);
    slot.bound = binding;
}

SQLRETURN OdbcPreparedStatement::Run(const std::vector<Parameter>& parameters) {
    SQLHSTMT stmt = statement_->Get();
    // A result an earlier run left unread would keep the statement busy.
    SQLFreeStmt(stmt, SQL_CLOSE);
    if (slots_.size() < parameters.size()) slots_.resize(parameters.size());
    for (std::size_t i = 0; i < parameters.size(); ++i) Bind(i, parameters[i]);
    SQLRETURN rc = SQLExecute(stmt);
    // No data is a searched UPDATE or DELETE that matched no row: not a failure.
    if (rc != SQL_NO_DATA && !Succeeded(rc)) {
        OdbcError error = ErrorFromDiagnostics(SQL_HANDLE_STMT, stmt, rc);
        SQLFreeStmt(stmt, SQL_CLOSE);
        throw error;
    }
    return rc;
}

void OdbcPreparedStatement::Execute(const std::vector<Parameter>& parameters) {
    Run(parameters);
    SQLFreeStmt(statement_->Get(), SQL_CLOSE);
}

bool OdbcPreparedStatement::HasRows(const std::vector<Parameter>& parameters) {
    if (Run(parameters) == SQL_NO_DATA) return false;
    SQLHSTMT stmt = statement_->Get();
    SQLRETURN rc = SQLFetch(stmt);
    std::optional<OdbcError> error;
    if (rc != SQL_NO_DATA && !Succeeded(rc))
        error = ErrorFromDiagnostics(SQL_HANDLE_STMT, stmt, rc);
    SQLFreeStmt(stmt, SQL_CLOSE);
    if (error) throw *error;
    return Succeeded(rc);
}

std::unique_ptr<ResultSet> OdbcPreparedStatement::Query(const std::vector<Parameter>& parameters) {
    Run(parameters);
    return std::make_unique<OdbcResultSet>(statement_);
}

}  // namespace tarn::platform::odbc
