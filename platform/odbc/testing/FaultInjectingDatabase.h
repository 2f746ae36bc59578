#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "platform/odbc/Database.h"

// Wrappers around a real desktop database that fail chosen statements, so that tests of the
// engine can reach its error paths without a database that misbehaves on cue.
namespace tarn::platform::odbc::fakes {

struct StatementFault {
    int statement = 0;  // counted from 1 over execute(), openResultSet() and hasRows() calls
    int errorNumber = 0;
    std::string errorText;
    std::string startingWith;  // when set: instead, the first statement whose SQL starts so
};

// Passes everything to the wrapped connection, except that a statement with an armed number
// throws PlatformError with the fault's number and text instead of reaching the database.
class FaultInjectingConnection final : public Connection {
  public:
    explicit FaultInjectingConnection(std::unique_ptr<Connection> inner,
                                      std::vector<StatementFault> faults = {});

    void failStatement(int statement, int errorNumber, std::string errorText);
    // Fails the first statement whose SQL starts with `start`, for tests that know the statement
    // but not how many come before it.
    void failStatementStartingWith(std::string start, int errorNumber, std::string errorText);
    // The next commit throws without committing; the transaction stays open, as a driver's
    // failed commit leaves it, for the caller to roll back.
    void failCommit(int errorNumber, std::string errorText);
    // Behaves like a driver without transactions: beginTransaction refuses, changing nothing.
    void refuseTransactions() { refuseTransactions_ = true; }
    // Every statement seen so far, failed ones included, in order.
    const std::vector<std::string>& statements() const { return statements_; }

    void execute(const std::string& sql) override;
    std::unique_ptr<ResultSet> openResultSet(const std::string& sql, CursorKind cursor) override;
    bool hasRows(const std::string& sql) override;
    // Each run of the prepared statement counts as one statement of its SQL.
    std::unique_ptr<PreparedStatement> prepare(const std::string& sql) override;
    std::vector<std::string> listTables() override { return inner_->listTables(); }
    std::vector<ColumnInfo> listColumns(const std::string& table) override {
        return inner_->listColumns(table);
    }
    std::string driverInfo(unsigned short infoType) override {
        return inner_->driverInfo(infoType);
    }
    bool supportsTransactions() override {
        return !refuseTransactions_ && inner_->supportsTransactions();
    }
    bool beginTransaction() override { return !refuseTransactions_ && inner_->beginTransaction(); }
    void commit() override;
    void rollback() override { inner_->rollback(); }

  private:
    void countStatement(const std::string& sql);

    std::unique_ptr<Connection> inner_;
    std::vector<StatementFault> faults_;
    std::optional<StatementFault> commitFault_;
    std::vector<std::string> statements_;
    bool refuseTransactions_ = false;
};

// Hands out FaultInjectingConnections armed with the faults given so far, or fails every
// connection attempt once failConnect() was called. The engine opens its own connection, so
// faults are armed here before it does.
class FaultInjectingEnvironment final : public Environment {
  public:
    explicit FaultInjectingEnvironment(std::unique_ptr<Environment> inner);

    void failStatement(int statement, int errorNumber, std::string errorText);
    void failStatementStartingWith(std::string start, int errorNumber, std::string errorText);
    void failConnect(int errorNumber, std::string errorText);
    void failCommit(int errorNumber, std::string errorText);
    void refuseTransactions() { refuseTransactions_ = true; }
    // The connection handed out last, while it lives; null before the first.
    FaultInjectingConnection* lastConnection() const { return last_; }

    std::vector<std::string> listDrivers() override { return inner_->listDrivers(); }
    std::unique_ptr<Connection> connect(const std::string& connectionString) override;

  private:
    std::unique_ptr<Environment> inner_;
    std::vector<StatementFault> faults_;
    std::optional<StatementFault> connectFault_;
    std::optional<StatementFault> commitFault_;
    bool refuseTransactions_ = false;
    FaultInjectingConnection* last_ = nullptr;
};

}  // namespace tarn::platform::odbc::fakes
