#include "platform/odbc/OdbcRowBlock.h"

#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>

#include "platform/odbc/OdbcDiagnostics.h"

namespace tarn::platform::odbc {

namespace {

// Numbers, dates and timestamps in text form fit in this many characters whatever size the
// driver gives their column.
constexpr std::size_t kNarrowestCell = 48;
// Columns of at most this many characters can be bound with room for any value: each character
// may take two UTF-16 units.
constexpr SQLULEN kWidestBoundColumn = 512;
// The buffers of one result set: large enough that a rowset spares many driver calls, small
// enough that opening a result set for a few rows stays cheap.
constexpr std::size_t kRowsetBytes = 128 * 1024;
constexpr std::size_t kMostRowsPerRowset = 128;

bool Bindable(SQLULEN columnSize) {
    return columnSize > 0 && columnSize <= kWidestBoundColumn;
}

std::size_t CellChars(SQLULEN columnSize) {
    return std::max<std::size_t>(2 * columnSize, kNarrowestCell) + 1;
}

bool SetPointer(SQLHSTMT statement, SQLINTEGER attribute, SQLPOINTER value) {
    return Succeeded(SQLSetStmtAttrW(statement, attribute, value, 0));
}

bool SetNumber(SQLHSTMT statement, SQLINTEGER attribute, SQLULEN value) {
    return Succeeded(SQLSetStmtAttrW(statement, attribute, reinterpret_cast<SQLPOINTER>(value),
                                     SQL_IS_UINTEGER));
}

}  // namespace

OdbcRowBlock::Reading OdbcRowBlock::ReadingOf(SQLHDBC connection) {
    SQLUINTEGER extensions = 0;
    Reading reading;
    if (!Succeeded(SQLGetInfoW(connection, SQL_GETDATA_EXTENSIONS, &extensions, sizeof extensions,
                               nullptr)))
        return reading;
    reading.boundColumns = (extensions & SQL_GD_BOUND) != 0;
    reading.withinRowsets = (extensions & SQL_GD_BLOCK) != 0;
    return reading;
}

std::unique_ptr<OdbcRowBlock> OdbcRowBlock::Bind(std::shared_ptr<OdbcHandle> statement,
                                                 Reading reading,
                                                 const std::vector<SQLULEN>& columnSizes) {
    // Binding pays only where it spares driver calls, many rows to a fetch: with one row to a
    // fetch it measured no faster, and MariaDB's driver then held some 70 bytes more a row.
    // Results with a long or unsized column are left to SQLGetData: a buffer that ends inside
    // a character makes MariaDB's driver fail the whole fetch instead of cutting the value.
    if (!reading.boundColumns || !reading.withinRowsets || columnSizes.empty() ||
        !std::all_of(columnSizes.begin(), columnSizes.end(), Bindable))
        return nullptr;
    std::size_t rowBytes = 0;
    for (SQLULEN size : columnSizes)
        rowBytes += CellChars(size) * sizeof(SQLWCHAR) + sizeof(SQLLEN);
    const std::size_t rowsetSize =
        std::clamp<std::size_t>(kRowsetBytes / rowBytes, 2, kMostRowsPerRowset);
    std::unique_ptr<OdbcRowBlock> block(new OdbcRowBlock(std::move(statement), rowsetSize));
    if (!block->BindRowset() || !block->BindColumns(columnSizes)) return nullptr;
    block->statement_->SetRowBinder(block.get());
    return block;
}

OdbcRowBlock::OdbcRowBlock(std::shared_ptr<OdbcHandle> statement, std::size_t rowsetSize)
    : statement_(std::move(statement)),
      rowsetSize_(rowsetSize),
      rowStatus_(new SQLUSMALLINT[rowsetSize]) {}

OdbcRowBlock::~OdbcRowBlock() {
    // The statement may already serve a newer result set that bound buffers of its own.
    if (statement_->RowBinder() == this) {
        Unbind();
        statement_->SetRowBinder(nullptr);
    }
}

bool OdbcRowBlock::BindRowset() {
    SQLHSTMT stmt = statement_->Get();
    // A driver may settle on fewer rows (and say so) or refuse rowsets altogether.
    SQLULEN granted = 1;
    if (SetNumber(stmt, SQL_ATTR_ROW_ARRAY_SIZE, rowsetSize_) &&
        Succeeded(SQLGetStmtAttrW(stmt, SQL_ATTR_ROW_ARRAY_SIZE, &granted, 0, nullptr)) &&
        granted >= 2 && granted <= rowsetSize_) {
        rowsetSize_ = granted;
        if (SetPointer(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched_) &&
            SetPointer(stmt, SQL_ATTR_ROW_STATUS_PTR, rowStatus_.get()))
            return true;
    }
    Unbind();
    return false;
}

bool OdbcRowBlock::BindColumns(const std::vector<SQLULEN>& columnSizes) {
    SQLHSTMT stmt = statement_->Get();
    columns_.resize(columnSizes.size());
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        Column& column = columns_[i];
        column.chars = CellChars(columnSizes[i]);
        // Left uninitialised: the driver writes every cell it reports.
        column.text.reset(new SQLWCHAR[column.chars * rowsetSize_]);
        column.indicators.reset(new SQLLEN[rowsetSize_]);
        if (!Succeeded(SQLBindCol(stmt, SQLUSMALLINT(i + 1), SQL_C_WCHAR, column.text.get(),
                                  SQLLEN(column.chars * sizeof(SQLWCHAR)),
                                  column.indicators.get()))) {
            Unbind();
            return false;
        }
    }
    return true;
}

void OdbcRowBlock::Unbind() {
    SQLHSTMT stmt = statement_->Get();
    SQLFreeStmt(stmt, SQL_UNBIND);
    SetPointer(stmt, SQL_ATTR_ROWS_FETCHED_PTR, nullptr);
    SetPointer(stmt, SQL_ATTR_ROW_STATUS_PTR, nullptr);
    SetNumber(stmt, SQL_ATTR_ROW_ARRAY_SIZE, 1);
}

bool OdbcRowBlock::FetchNext() {
    SQLHSTMT stmt = statement_->Get();
    fetched_ = 0;
    std::fill_n(rowStatus_.get(), rowsetSize_, SQLUSMALLINT(SQL_ROW_NOROW));
    SQLRETURN rc = SQLFetch(stmt);
    rows_ = 0;
    if (rc == SQL_NO_DATA) return false;
    Check(rc, SQL_HANDLE_STMT, stmt);
    // The count the driver gives, or where the driver leaves it out, the rows it marked.
    std::size_t rows = std::min<std::size_t>(fetched_, rowsetSize_);
    if (rows == 0)
        while (rows < rowsetSize_ && rowStatus_[rows] != SQL_ROW_NOROW) ++rows;
    for (std::size_t row = 0; row < rows; ++row) {
        if (rowStatus_[row] == SQL_ROW_ERROR)
            throw ErrorFromDiagnostics(SQL_HANDLE_STMT, stmt, SQL_ERROR);
    }
    rows_ = rows;
    return rows_ > 0;
}

OdbcRowBlock::Cell OdbcRowBlock::Read(std::size_t row, std::size_t column, const SQLWCHAR*& text,
                                      std::size_t& length) const {
    const Column& cells = columns_[column];
    const SQLLEN indicator = cells.indicators[row];
    if (indicator == SQL_NULL_DATA) return Cell::Null;
    // The length of the whole value, or none at all, when it did not fit after all.
    if (indicator < 0 || std::size_t(indicator) / sizeof(SQLWCHAR) >= cells.chars)
        return Cell::FromDriver;
    text = cells.text.get() + row * cells.chars;
    length = std::size_t(indicator) / sizeof(SQLWCHAR);
    return Cell::Whole;
}

void OdbcRowBlock::PositionOn(std::size_t row) {
    SQLHSTMT stmt = statement_->Get();
    Check(SQLSetPos(stmt, SQLSETPOSIROW(row + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE),
          SQL_HANDLE_STMT, stmt);
}

}  // namespace tarn::platform::odbc
