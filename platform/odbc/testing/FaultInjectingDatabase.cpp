#include "platform/odbc/testing/FaultInjectingDatabase.h"

#include <functional>

#include "platform/Error.h"

namespace tarn::platform::odbc::fakes {

FaultInjectingConnection::FaultInjectingConnection(std::unique_ptr<Connection> inner,
                                                   std::vector<StatementFault> faults)
    : inner_(std::move(inner)), faults_(std::move(faults)) {}

void FaultInjectingConnection::failStatement(int statement, int errorNumber,
                                             std::string errorText) {
    faults_.push_back({statement, errorNumber, std::move(errorText), {}});
}

void FaultInjectingConnection::failStatementStartingWith(std::string start, int errorNumber,
                                                         std::string errorText) {
    faults_.push_back({0, errorNumber, std::move(errorText), std::move(start)});
}

void FaultInjectingConnection::failCommit(int errorNumber, std::string errorText) {
    commitFault_ = StatementFault{0, errorNumber, std::move(errorText), {}};
}

void FaultInjectingConnection::commit() {
    if (commitFault_) {
        StatementFault fault = *commitFault_;
        commitFault_.reset();
        throw PlatformError(fault.errorNumber, fault.errorText);
    }
    inner_->commit();
}

void FaultInjectingConnection::countStatement(const std::string& sql) {
    statements_.push_back(sql);
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

void FaultInjectingConnection::execute(const std::string& sql) {
    countStatement(sql);
    inner_->execute(sql);
}

bool FaultInjectingConnection::hasRows(const std::string& sql) {
    countStatement(sql);
    return inner_->hasRows(sql);
}

namespace {

class FaultInjectingStatement final : public PreparedStatement {
  public:
    FaultInjectingStatement(std::unique_ptr<PreparedStatement> inner,
                            std::function<void(const std::string&)> count)
        : inner_(std::move(inner)), count_(std::move(count)) {}

    const std::string& sql() const override { return inner_->sql(); }
    void execute(const std::vector<Parameter>& parameters) override {
        count_(sql());
        inner_->execute(parameters);
    }
    bool hasRows(const std::vector<Parameter>& parameters) override {
        count_(sql());
        return inner_->hasRows(parameters);
    }
    std::unique_ptr<ResultSet> query(const std::vector<Parameter>& parameters) override {
        count_(sql());
        return inner_->query(parameters);
    }

  private:
    std::unique_ptr<PreparedStatement> inner_;
    std::function<void(const std::string&)> count_;
};

}  // namespace

std::unique_ptr<PreparedStatement> FaultInjectingConnection::prepare(const std::string& sql) {
    return std::make_unique<FaultInjectingStatement>(
        inner_->prepare(sql), [this](const std::string& text) { countStatement(text); });
}

std::unique_ptr<ResultSet> FaultInjectingConnection::openResultSet(const std::string& sql,
                                                                   CursorKind cursor) {
    countStatement(sql);
    return inner_->openResultSet(sql, cursor);
}

FaultInjectingEnvironment::FaultInjectingEnvironment(std::unique_ptr<Environment> inner)
    : inner_(std::move(inner)) {}

void FaultInjectingEnvironment::failStatement(int statement, int errorNumber,
                                              std::string errorText) {
    faults_.push_back({statement, errorNumber, std::move(errorText), {}});
}

void FaultInjectingEnvironment::failStatementStartingWith(std::string start, int errorNumber,
                                                          std::string errorText) {
    faults_.push_back({0, errorNumber, std::move(errorText), std::move(start)});
}

void FaultInjectingEnvironment::failConnect(int errorNumber, std::string errorText) {
    connectFault_ = StatementFault{0, errorNumber, std::move(errorText), {}};
}

void FaultInjectingEnvironment::failCommit(int errorNumber, std::string errorText) {
    commitFault_ = StatementFault{0, errorNumber, std::move(errorText), {}};
}

std::unique_ptr<Connection> FaultInjectingEnvironment::connect(
    const std::string& connectionString) {
    if (connectFault_) throw PlatformError(connectFault_->errorNumber, connectFault_->errorText);
    auto connection =
        std::make_unique<FaultInjectingConnection>(inner_->connect(connectionString), faults_);
    if (commitFault_) connection->failCommit(commitFault_->errorNumber, commitFault_->errorText);
    if (refuseTransactions_) connection->refuseTransactions();
    last_ = connection.get();
    return connection;
}

}  // namespace tarn::platform::odbc::fakes
