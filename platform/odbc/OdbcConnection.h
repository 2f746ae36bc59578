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

    void execute(const std::string& sql) override;
    std::unique_ptr<ResultSet> openResultSet(const std::string& sql, CursorKind cursor) override;
    bool hasRows(const std::string& sql) override;
    std::unique_ptr<PreparedStatement> prepare(const std::string& sql) override;
    std::vector<std::string> listTables() override;
    std::vector<ColumnInfo> listColumns(const std::string& table) override;
    std::string driverInfo(unsigned short infoType) override;
    bool supportsTransactions() override;
    bool beginTransaction() override;
    void commit() override;
    void rollback() override;

  private:
    std::shared_ptr<OdbcHandle> newStatement();
    // The database the connection opened, for catalog calls that would otherwise cover every
    // database on the server; empty where the driver has no such notion.
    std::vector<SQLWCHAR> currentCatalog();
    void endTransaction(SQLSMALLINT completion);
    template <typename T>
    T numericInfo(SQLUSMALLINT infoType);

    std::shared_ptr<OdbcHandle> connection_;
    // Plain statements all run on one handle: a sync runs one statement per changed record,
    // and allocating and freeing a handle for each measured up to a third slower on SQLite.
    std::shared_ptr<OdbcHandle> executeStatement_;
    std::optional<bool> dynamicCursors_;
    std::optional<bool> transactions_;
    bool inTransaction_ = false;
};

}  // namespace tarn::platform::odbc
