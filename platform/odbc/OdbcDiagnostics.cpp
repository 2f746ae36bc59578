#include "platform/odbc/OdbcDiagnostics.h"

#include <sqlucode.h>

#include "platform/odbc/Utf16.h"

namespace tarn::platform::odbc {

OdbcError ErrorFromDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, SQLRETURN rc) {
    int number = 0;
    std::string description;
    std::string firstState;
    SQLWCHAR state[6] = {};
    SQLWCHAR message[1024] = {};
    for (SQLSMALLINT record = 1; handle != SQL_NULL_HANDLE; ++record) {
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLRETURN diag = SQLGetDiagRecW(handleType, handle, record, state, &native, message,
                                        SQLSMALLINT(std::size(message)), &length);
        if (!Succeeded(diag)) break;
        if (record == 1) firstState = ToUtf8FromBuffer(state, std::size(state));
        // Driver-manager records carry no native number; the driver's own one is the useful one.
        if (number == 0) number = native;
        if (!description.empty()) description += "; ";
        description += ToUtf8FromBuffer(message, std::size(message));
    }
    if (description.empty())
        description = rc == SQL_INVALID_HANDLE ? "ODBC call on an invalid handle"
                                               : "ODBC call failed without a diagnostic";
    return OdbcError(number, description, firstState);
}

}  // namespace tarn::platform::odbc
