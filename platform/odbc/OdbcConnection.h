#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/odbc/Database.h"
#include "platform/odbc/OdbcHandle.h"

namespace tarn::platform::odbc {

class OdbcConnection final : public Connection {
  public:
    // Connects the connection handle with the string, never letting the driver prompt.
    OdbcConnection(std::shared_ptr<OdbcHandle> environment, const std::string& connectionString);

    void Execute(const std::string& sql) override;
    std::unique_ptr<ResultSet> OpenResultSet(const std::string& sql, CursorKind cursor) override;
    bool HasRows(const std::string& sql) override;
    std::unique_ptr<PreparedStatement> Prepare(const std::string& sql) override;
    std::vector<std::string> ListTables() override;
    std::vector<ColumnInfo> ListColumns(const std::string& table) override;
    std::string DriverInfo(unsigned short infoType) override;
    bool SupportsTransactions() override;
    bool BeginTransaction() override;
    void Commit() override;
    void Rollback() override;

  private:
    std::shared_ptr<OdbcHandle> NewStatement();
    // The database the connection opened, for catalog calls that would otherwise cover every
    // database on the server; empty where the driver has no such notion.
    std::vector<SQLWCHAR> CurrentCatalog();
    void EndTransaction(SQLSMALLINT completion);
    template <typename T>
    T NumericInfo(SQLUSMALLINT infoType);

    std::shared_ptr<OdbcHandle> connection_;
    // Plain statements all run on one handle: a sync runs one statement per changed record,
    // and allocating and freeing a handle for each measured up to a third slower on SQLite.
    std::shared_ptr<OdbcHandle> executeStatement_;
    std::optional<bool> dynamicCursors_;
    std::optional<bool> transactions_;
    bool inTransaction_ = false;
};

}  // namespace tarn::platform::odbc
