#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The desktop database as the sync engine, the dialogs and the builder see it. Text crosses
// these interfaces as UTF-8; numbers and dates come back in the driver's own text form
// ("3.5", "2005-12-31"). Every failure throws tarn::platform::PlatformError (see OdbcError.h).
namespace tarn::platform::odbc {

// What a caller wants of a result set's cursor. Rows are only ever walked forward; Dynamic is
// asked of the driver when the caller wants to see concurrent changes, and silently becomes
// ForwardOnly where the driver offers nothing more.
enum class CursorKind { ForwardOnly, Dynamic };

// One column of a table as the catalog reports it. DATE, TIME and TIMESTAMP carry the ODBC 2
// codes 9, 10 and 11 whatever the driver's ODBC version, so one type table serves every driver.
struct ColumnInfo {
    std::string name;
    int sqlType = 0;
    bool operator==(const ColumnInfo&) const = default;
};

// Rows of one SELECT, positioned on the first row when opened. Reading a column never goes
// back to the driver: the current row is fetched whole when the cursor moves onto it.
class ResultSet {
  public:
    virtual ~ResultSet() = default;

    // True once the cursor has moved past the last row (at once for an empty result).
    virtual bool AtEnd() const = 0;
    // Moves to the next row; does nothing once at the end.
    virtual void Next() = 0;
    // Whether the result held at least one row; unaffected by moving.
    virtual bool HasRows() const = 0;

    virtual const std::vector<std::string>& ColumnNames() const = 0;
    // Position of the column of this name, compared without regard to letter case; the first
    // of equally named columns wins.
    virtual std::optional<std::size_t> FindColumn(std::string_view name) const = 0;
    // Value of a column of the current row; nullopt is SQL NULL, distinct from empty text.
    // Throws when the cursor is at the end or the column does not exist.
    virtual const std::optional<std::string>& Value(std::size_t column) const = 0;
    const std::optional<std::string>& Value(std::string_view columnName) const;
    // From the next row on, the columns whose positions are not marked in `wanted` may go
    // unread (and Value of one of them throws): a reader that needs a few columns of a wide
    // row spares the driver every other cell. Those past the end of `wanted` count as unmarked.
    virtual void ReadOnlyColumns(const std::vector<bool>& wanted) { (void)wanted; }
};

// How a statement parameter reaches the database. Each value travels in its own type, never as
// SQL text, so a server that types its parameters reads a number as a number and a date as a
// date whatever the column, and a double keeps every bit.
enum class ParameterType { Text, Integer, Double, Date };

// One value for one parameter marker ("?"). Only the member of its type is read. Kept by value
// and reused from row to row, so that filling it does not allocate once texts reach their size.
struct Parameter {
    ParameterType type = ParameterType::Text;
    bool null = false;  // SQL NULL, of the parameter's type
    std::string text;
    std::int64_t integer = 0;
    double real = 0;
    int year = 0, month = 0, day = 0;

    void SetNull(ParameterType nullType) {
        type = nullType;
        null = true;
    }
    void SetText(std::string_view value) {
        type = ParameterType::Text;
        null = false;
        text.assign(value);
    }
    void SetInteger(std::int64_t value) {
        type = ParameterType::Integer;
        null = false;
        integer = value;
    }
    void SetDouble(double value) {
        type = ParameterType::Double;
        null = false;
        real = value;
    }
    void SetDate(int y, int m, int d) {
        type = ParameterType::Date;
        null = false;
        year = y;
        month = m;
        day = d;
    }
};

// A statement prepared once and run many times with different parameter values, one value per
// marker in the order the markers stand.
class PreparedStatement {
  public:
    virtual ~PreparedStatement() = default;
    virtual const std::string& Sql() const = 0;
    // Runs a statement that returns no rows anyone reads; an UPDATE or DELETE that matched no
    // row is no failure.
    virtual void Execute(const std::vector<Parameter>& parameters) = 0;
    // Runs a SELECT and says whether it yielded at least one row.
    virtual bool HasRows(const std::vector<Parameter>& parameters) = 0;
    // Runs a SELECT and returns its rows; they must be read before the statement runs again.
    virtual std::unique_ptr<ResultSet> Query(const std::vector<Parameter>& parameters) = 0;
};

// An open desktop database.
class Connection {
  public:
    virtual ~Connection() = default;

    // Runs a statement that returns no rows that anyone reads (UPDATE, INSERT, DELETE, DDL).
    virtual void Execute(const std::string& sql) = 0;
    virtual std::unique_ptr<ResultSet> OpenResultSet(const std::string& sql, CursorKind cursor) = 0;
    // Whether a SELECT yields at least one row. Cheaper than a result set: nothing is
    // described or read, and no statement handle is allocated.
    virtual bool HasRows(const std::string& sql) = 0;
    // Prepares a statement with parameter markers for running many times. It must not outlive
    // the connection. Connections that cannot prepare statements throw (the default).
    virtual std::unique_ptr<PreparedStatement> Prepare(const std::string& sql);

    // Names of the user's tables and views, in catalog order.
    virtual std::vector<std::string> ListTables() = 0;
    // Columns of one table in the table's own order.
    virtual std::vector<ColumnInfo> ListColumns(const std::string& table) = 0;

    // The text answer of SQLGetInfo for a text-valued information type, such as 29
    // (identifier quote character) or 14 (search pattern escape).
    virtual std::string DriverInfo(unsigned short infoType) = 0;

    // Whether the driver can group statements into a transaction at all.
    virtual bool SupportsTransactions() = 0;
    // Starts a transaction (automatic commit off). Returns false, changing nothing, when the
    // driver has no transactions: the statements that follow then take effect one by one.
    virtual bool BeginTransaction() = 0;
    // End the transaction and return to automatic commit.
    virtual void Commit() = 0;
    virtual void Rollback() = 0;
};

// The ODBC driver manager.
class Environment {
  public:
    virtual ~Environment() = default;

    // Descriptions of the installed drivers exactly as the driver manager returns them, in its
    // order; blank entries and unwanted kinds are for the caller to filter.
    virtual std::vector<std::string> ListDrivers() = 0;
    // Opens a connection from a connection string; the driver is never allowed to prompt.
    virtual std::unique_ptr<Connection> Connect(const std::string& connectionString) = 0;
};

// The outcome of a connection attempt for callers that report rather than throw, such as the
// connection test of the dialogs.
struct ConnectAttempt {
    std::unique_ptr<Connection> connection;  // null when the attempt failed
    int errorNumber = 0;
    std::string errorText;
    explicit operator bool() const { return connection != nullptr; }
};
ConnectAttempt TryConnect(Environment& environment, const std::string& connectionString);

}  // namespace tarn::platform::odbc
