#pragma once

#include <sql.h>

#include "platform/odbc/OdbcError.h"

namespace tarn::platform::odbc {

inline bool Succeeded(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// The error a failed call left on a handle, with every diagnostic record the handle holds.
OdbcError ErrorFromDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, SQLRETURN rc);

// Throws the handle's error unless the call succeeded.
inline void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle) {
    if (!Succeeded(rc)) throw ErrorFromDiagnostics(handleType, handle, rc);
}

}  // namespace tarn::platform::odbc
