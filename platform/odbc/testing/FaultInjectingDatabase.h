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
    int statement = 0;  // counted from 1 over Execute(), OpenResultSet() and HasRows() calls
    int errorNumber = 0;
    std::string errorText;
    std::string startingWith;  // when set: instead, the first statement whose SQL starts so
    // When set: statements whose SQL starts with startingWith run, and the rows of the first
    // of them to reach this row (counted from 1) fail as the cursor moves onto it, as a
    // driver's fetch fails half way through a read.
    int row = 0;
};

// Passes everything to the wrapped connection, except that a statement with an armed number
// throws PlatformError with the fault's number and text instead of reaching the database.
class FaultInjectingConnection final : public Connection {
  public:
    explicit FaultInjectingConnection(std::unique_ptr<Connection> inner,
                                      std::vector<StatementFault> faults = {});

    void FailStatement(int statement, int errorNumber, std::string errorText);
    // Fails the first statement whose SQL starts with `start`, for tests that know the statement
    // but not how many come before it.
    void FailStatementStartingWith(std::string start, int errorNumber, std::string errorText);
    // The next commit throws without committing; the transaction stays open, as a driver's
    // failed commit leaves it, for the caller to roll back.
    void FailCommit(int errorNumber, std::string errorText);
    // Behaves like a driver without transactions: BeginTransaction refuses, changing nothing.
    void RefuseTransactions() { refuseTransactions_ = true; }
    // Every statement seen so far, failed ones included, in order.
    const std::vector<std::string>& Statements() const { return statements_; }
    // Also notes every statement in `journal`, which may outlive the connection.
    void KeepJournal(std::shared_ptr<std::vector<std::string>> journal) {
        journal_ = std::move(journal);
    }

    void Execute(const std::string& sql) override;
    std::unique_ptr<ResultSet> OpenResultSet(const std::string& sql, CursorKind cursor) override;
    bool HasRows(const std::string& sql) override;
    // Each run of the prepared statement counts as one statement of its SQL.
    std::unique_ptr<PreparedStatement> Prepare(const std::string& sql) override;
    std::vector<std::string> ListTables() override { return inner_->ListTables(); }
    std::vector<ColumnInfo> ListColumns(const std::string& table) override {
        return inner_->ListColumns(table);
    }
    std::string DriverInfo(unsigned short infoType) override {
        return inner_->DriverInfo(infoType);
    }
    bool SupportsTransactions() override {
        return !refuseTransactions_ && inner_->SupportsTransactions();
    }
    bool BeginTransaction() override { return !refuseTransactions_ && inner_->BeginTransaction(); }
    void Commit() override;
    void Rollback() override { inner_->Rollback(); }

  private:
    void CountStatement(const std::string& sql);

    std::unique_ptr<Connection> inner_;
    std::vector<StatementFault> faults_;
    // Shared with the result sets they watch; `row` is 0 once one has failed.
    std::vector<std::shared_ptr<StatementFault>> rowFaults_;
    std::optional<StatementFault> commitFault_;
    std::vector<std::string> statements_;
    std::shared_ptr<std::vector<std::string>> journal_;
    bool refuseTransactions_ = false;
};

// Hands out FaultInjectingConnections armed with the faults given so far, or fails every
// connection attempt once FailConnect() was called. The engine opens its own connection, so
// faults are armed here before it does.
class FaultInjectingEnvironment final : public Environment {
  public:
    explicit FaultInjectingEnvironment(std::unique_ptr<Environment> inner);

    void FailStatement(int statement, int errorNumber, std::string errorText);
    void FailStatementStartingWith(std::string start, int errorNumber, std::string errorText);
    // The rows of the first query whose SQL starts with `start` and that reaches row `row`
    // (from 2: the first row comes with the query) fail as the cursor moves onto it.
    void FailRowOfQueryStartingWith(std::string start, int row, int errorNumber,
                                    std::string errorText);
    void FailConnect(int errorNumber, std::string errorText);
    void FailCommit(int errorNumber, std::string errorText);
    void RefuseTransactions() { refuseTransactions_ = true; }
    // The connection handed out last, while it lives; null before the first.
    FaultInjectingConnection* LastConnection() const { return last_; }
    // Every statement of every connection handed out, in order, kept after they close.
    const std::vector<std::string>& Statements() const { return *journal_; }

    std::vector<std::string> ListDrivers() override { return inner_->ListDrivers(); }
    std::unique_ptr<Connection> Connect(const std::string& connectionString) override;

  private:
    std::unique_ptr<Environment> inner_;
    std::vector<StatementFault> faults_;
    std::optional<StatementFault> connectFault_;
    std::optional<StatementFault> commitFault_;
    bool refuseTransactions_ = false;
    FaultInjectingConnection* last_ = nullptr;
    std::shared_ptr<std::vector<std::string>> journal_ =
        std::make_shared<std::vector<std::string>>();
};

}  // namespace tarn::platform::odbc::fakes
