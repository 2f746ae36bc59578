#pragma once

#include <sql.h>

#include <memory>

namespace tarn::platform::odbc {

// One ODBC handle, freed on destruction. A child keeps its parent alive, so a result set that
// outlives its connection object (or a connection that outlives its environment object) still
// frees its handles in the order ODBC demands.
class OdbcHandle {
  public:
    // Allocates a handle of the type under the parent (none for an environment); throws
    // OdbcError when the driver manager refuses.
    OdbcHandle(SQLSMALLINT type, std::shared_ptr<OdbcHandle> parent);
    ~OdbcHandle();
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    SQLHANDLE Get() const { return handle_; }
    SQLSMALLINT Type() const { return type_; }

    // A connection handle must be disconnected before it is freed; the destructor does that
    // once the connection was made.
    void MarkConnected() { connected_ = true; }

    const std::shared_ptr<OdbcHandle>& Parent() const { return parent_; }

    // The owner of the buffers a statement's columns are bound to, so that a result set that
    // ends after a newer one on the same statement leaves the newer one's bindings alone.
    const void* RowBinder() const { return rowBinder_; }
    void SetRowBinder(const void* binder) { rowBinder_ = binder; }

  private:
    SQLSMALLINT type_;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
    bool connected_ = false;
    const void* rowBinder_ = nullptr;
    std::shared_ptr<OdbcHandle> parent_;
};

}  // namespace tarn::platform::odbc
