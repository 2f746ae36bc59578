#include "platform/odbc/Database.h"

#include "platform/odbc/OdbcError.h"

namespace tarn::platform::odbc {

const std::optional<std::string>& ResultSet::Value(std::string_view columnName) const {
    std::optional<std::size_t> column = FindColumn(columnName);
    if (!column)
        throw OdbcError(kColumnNotFound, "Column not found: " + std::string(columnName), "");
    return Value(*column);
}

std::unique_ptr<PreparedStatement> Connection::Prepare(const std::string& sql) {
    throw OdbcError(kNotPrepared, "This connection cannot prepare statements: " + sql, "");
}

ConnectAttempt TryConnect(Environment& environment, const std::string& connectionString) {
    ConnectAttempt attempt;
    try {
        attempt.connection = environment.Connect(connectionString);
    } catch (const PlatformError& error) {
        attempt.errorNumber = error.number();
        attempt.errorText = error.description();
    }
    return attempt;
}

}  // namespace tarn::platform::odbc
