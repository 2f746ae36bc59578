#include "platform/odbc/OdbcHandle.h"

#include "platform/odbc/OdbcDiagnostics.h"

namespace tarn::platform::odbc {

OdbcHandle::OdbcHandle(SQLSMALLINT type, std::shared_ptr<OdbcHandle> parent)
    : type_(type), parent_(std::move(parent)) {
    SQLHANDLE parentHandle = parent_ ? parent_->Get() : SQL_NULL_HANDLE;
    SQLRETURN rc = SQLAllocHandle(type, parentHandle, &handle_);
    if (!Succeeded(rc)) {
        handle_ = SQL_NULL_HANDLE;
        if (parent_) throw ErrorFromDiagnostics(parent_->Type(), parentHandle, rc);
        throw OdbcError(0, "The ODBC environment could not be allocated", "");
    }
}

OdbcHandle::~OdbcHandle() {
    if (handle_ == SQL_NULL_HANDLE) return;
    if (connected_ && !Succeeded(SQLDisconnect(handle_))) {
        // Refused because a transaction is still open: abandon it, then leave.
        SQLEndTran(SQL_HANDLE_DBC, handle_, SQL_ROLLBACK);
        SQLDisconnect(handle_);
    }
    SQLFreeHandle(type_, handle_);
}

}  // namespace tarn::platform::odbc
