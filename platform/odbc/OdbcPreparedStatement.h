#pragma once

#include <sqltypes.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/odbc/Database.h"
#include "platform/odbc/OdbcHandle.h"

namespace tarn::platform::odbc {

// A statement prepared on its own handle. Parameters are read at each run from buffers the
// statement keeps, so that running it row after row reuses their memory; a parameter is bound
// again only when its type, size or buffer changed, since the driver reads the buffers only
// when the statement runs.
class OdbcPreparedStatement final : public PreparedStatement {
  public:
    OdbcPreparedStatement(std::shared_ptr<OdbcHandle> connection, std::string sql);

    const std::string& Sql() const override { return sql_; }
    void Execute(const std::vector<Parameter>& parameters) override;
    bool HasRows(const std::vector<Parameter>& parameters) override;
    std::unique_ptr<ResultSet> Query(const std::vector<Parameter>& parameters) override;

  private:
    // What a parameter was last bound with.
    struct Binding {
        SQLSMALLINT cType = 0;
        SQLSMALLINT sqlType = 0;
        SQLULEN columnSize = 0;
        SQLPOINTER value = nullptr;
        SQLLEN capacity = 0;
        SQLLEN* indicator = nullptr;
        bool operator==(const Binding&) const = default;
    };
    // The memory one bound parameter points at while the statement runs.
    struct Slot {
        std::vector<SQLWCHAR> text;
        SQLBIGINT integer = 0;
        double real = 0;
        SQL_DATE_STRUCT date{};
        SQLLEN indicator = 0;
        Binding bound;  // cType 0: not bound yet
    };

    // Binds the values and runs the statement; the driver's answer, failures thrown.
    SQLRETURN Run(const std::vector<Parameter>& parameters);
    void Bind(std::size_t index, const Parameter& parameter);

    std::shared_ptr<OdbcHandle> statement_;
    std::string sql_;
    std::vector<Slot> slots_;
};

}  // namespace tarn::platform::odbc
