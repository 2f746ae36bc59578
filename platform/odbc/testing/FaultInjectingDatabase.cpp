#include "platform/odbc/testing/FaultInjectingDatabase.h"

#include <functional>

#include "platform/Error.h"

namespace tarn::platform::odbc::fakes {

FaultInjectingConnection::FaultInjectingConnection(std::unique_ptr<Connection> inner,
                                                   std::vector<StatementFault> faults)
    : inner_(std::move(inner)) {
    for (StatementFault& fault : faults) {
        if (fault.row > 0)
            rowFaults_.push_back(std::make_shared<StatementFault>(std::move(fault)));
        else
            faults_.push_back(std::move(fault));
    }
}

void FaultInjectingConnection::FailStatement(int statement, int errorNumber,
                                             std::string errorText) {
    faults_.push_back({statement, errorNumber, std::move(errorText), {}});
}

void FaultInjectingConnection::FailStatementStartingWith(std::string start, int errorNumber,
                                                         std::string errorText) {
    faults_.push_back({0, errorNumber, std::move(errorText), std::move(start)});
}

void FaultInjectingConnection::FailCommit(int errorNumber, std::string errorText) {
    commitFault_ = StatementFault{0, errorNumber, std::move(errorText), {}};
}

void FaultInjectingConnection::Commit() {
    if (commitFault_) {
        StatementFault fault = *commitFault_;
        commitFault_.reset();
        throw PlatformError(fault.errorNumber, fault.errorText);
    }
    inner_->Commit();
}

void FaultInjectingConnection::CountStatement(const std::string& sql) {
    statements_.push_back(sql);
    if (journal_) journal_->push_back(sql);
    int number = int(statements_.size());
    for (auto fault = faults_.begin(); fault != faults_.end(); ++fault) {
        const bool byText = !fault->startingWith.empty();
        if (byText ? sql.rfind(fault->startingWith, 0) == 0 : fault->statement == number) {
            PlatformError error(fault->errorNumber, fault->errorText);
            if (byText) faults_.erase(fault);  // the first such statement only
            throw error;
        }
    }
}

void FaultInjectingConnection::Execute(const std::string& sql) {
    CountStatement(sql);
    inner_->Execute(sql);
}

bool FaultInjectingConnection::HasRows(const std::string& sql) {
    CountStatement(sql);
    return inner_->HasRows(sql);
}

namespace {

class FaultInjectingStatement final : public PreparedStatement {
  public:
    FaultInjectingStatement(std::unique_ptr<PreparedStatement> inner,
                            std::function<void(const std::string&)> count)
        : inner_(std::move(inner)), count_(std::move(count)) {}

    const std::string& Sql() const override { return inner_->Sql(); }
    void Execute(const std::vector<Parameter>& parameters) override {
        count_(Sql());
        inner_->Execute(parameters);
    }
    bool HasRows(const std::vector<Parameter>& parameters) override {
        count_(Sql());
        return inner_->HasRows(parameters);
    }
    std::unique_ptr<ResultSet> Query(const std::vector<Parameter>& parameters) override {
        count_(Sql());
        return inner_->Query(parameters);
    }

  private:
    std::unique_ptr<PreparedStatement> inner_;
    std::function<void(const std::string&)> count_;
};

}  // namespace

std::unique_ptr<PreparedStatement> FaultInjectingConnection::Prepare(const std::string& sql) {
    return std::make_unique<FaultInjectingStatement>(
        inner_->Prepare(sql), [this](const std::string& text) { CountStatement(text); });
}

namespace {

// Rows that fail as the cursor moves onto the fault's row, unless another query's rows have
// failed there first.
class FailingRows final : public ResultSet {
  public:
    FailingRows(std::unique_ptr<ResultSet> inner, std::shared_ptr<StatementFault> fault)
        : inner_(std::move(inner)), fault_(std::move(fault)) {}

    bool AtEnd() const override { return inner_->AtEnd(); }
    void Next() override {
        if (!inner_->AtEnd() && ++row_ == fault_->row) {
            fault_->row = 0;
            throw PlatformError(fault_->errorNumber, fault_->errorText);
        }
        inner_->Next();
    }
    bool HasRows() const override { return inner_->HasRows(); }
    const std::vector<std::string>& ColumnNames() const override { return inner_->ColumnNames(); }
    std::optional<std::size_t> FindColumn(std::string_view name) const override {
        return inner_->FindColumn(name);
    }
    const std::optional<std::string>& Value(std::size_t column) const override {
        return inner_->Value(column);
    }
    void ReadOnlyColumns(const std::vector<bool>& wanted) override {
        inner_->ReadOnlyColumns(wanted);
    }

  private:
    std::unique_ptr<ResultSet> inner_;
    std::shared_ptr<StatementFault> fault_;
    int row_ = 1;  // the row the cursor is on, from 1
};

}  // namespace

std::unique_ptr<ResultSet> FaultInjectingConnection::OpenResultSet(const std::string& sql,
                                                                   CursorKind cursor) {
    CountStatement(sql);
    auto rows = inner_->OpenResultSet(sql, cursor);
    for (const auto& fault : rowFaults_)
        if (fault->row > 0 && sql.rfind(fault->startingWith, 0) == 0)
            return std::make_unique<FailingRows>(std::move(rows), fault);
    return rows;
}

FaultInjectingEnvironment::FaultInjectingEnvironment(std::unique_ptr<Environment> inner)
    : inner_(std::move(inner)) {}

void FaultInjectingEnvironment::FailStatement(int statement, int errorNumber,
                                              std::string errorText) {
    faults_.push_back({statement, errorNumber, std::move(errorText), {}});
}

void FaultInjectingEnvironment::FailStatementStartingWith(std::string start, int errorNumber,
                                                          std::string errorText) {
    faults_.push_back({0, errorNumber, std::move(errorText), std::move(start)});
}

void FaultInjectingEnvironment::FailRowOfQueryStartingWith(std::string start, int row,
                                                           int errorNumber, std::string errorText) {
    faults_.push_back({0, errorNumber, std::move(errorText), std::move(start), row});
}

void FaultInjectingEnvironment::FailConnect(int errorNumber, std::string errorText) {
    connectFault_ = StatementFault{0, errorNumber, std::move(errorText), {}};
}

void FaultInjectingEnvironment::FailCommit(int errorNumber, std::string errorText) {
    commitFault_ = StatementFault{0, errorNumber, std::move(errorText), {}};
}

std::unique_ptr<Connection> FaultInjectingEnvironment::Connect(
    const std::string& connectionString) {
    if (connectFault_) throw PlatformError(connectFault_->errorNumber, connectFault_->errorText);
    auto connection =
        std::make_unique<FaultInjectingConnection>(inner_->Connect(connectionString), faults_);
    if (commitFault_) connection->FailCommit(commitFault_->errorNumber, commitFault_->errorText);
    if (refuseTransactions_) connection->RefuseTransactions();
    connection->KeepJournal(journal_);
    last_ = connection.get();
    return connection;
}

}  // namespace tarn::platform::odbc::fakes
