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
// Columns of at most this many characters are bound, with room for any value: each character
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
    reading.anyColumn = (extensions & SQL_GD_ANY_COLUMN) != 0;
    reading.withinRowsets = (extensions & SQL_GD_BLOCK) != 0;
    return reading;
}

std::unique_ptr<OdbcRowBlock> OdbcRowBlock::Bind(std::shared_ptr<OdbcHandle> statement,
                                                 Reading reading,
                                                 const std::vector<SQLULEN>& columnSizes) {
    // A bound cell that still comes back cut short must be read again with SQLGetData.
    if (!reading.boundColumns) return nullptr;
    auto firstUnbound = std::find_if_not(columnSizes.begin(), columnSizes.end(), Bindable);
    auto lastBound = std::find_if(columnSizes.rbegin(), columnSizes.rend(), Bindable);
    if (lastBound == columnSizes.rend()) return nullptr;
    const bool allBound = firstUnbound == columnSizes.end();
    // Without it, unbound columns can only be read after the last bound one.
    if (!reading.anyColumn && !allBound && firstUnbound < lastBound.base()) return nullptr;
    std::size_t rowBytes = 0;
    for (SQLULEN size : columnSizes)
        if (Bindable(size)) rowBytes += CellChars(size) * sizeof(SQLWCHAR) + sizeof(SQLLEN);
    // The cells of unbound columns can be read only on the current row: one row at a time.
    std::size_t rowsetSize = 1;
    if (allBound && reading.withinRowsets)
        rowsetSize = std::clamp<std::size_t>(kRowsetBytes / rowBytes, 1, kMostRowsPerRowset);
    std::unique_ptr<OdbcRowBlock> block(new OdbcRowBlock(std::move(statement), rowsetSize));
    if (!block->BindRowset() || !block->BindColumns(columnSizes)) return nullptr;
    block->statement_->setRowBinder(block.get());
    return block;
}

OdbcRowBlock::OdbcRowBlock(std::shared_ptr<OdbcHandle> statement, std::size_t rowsetSize)
    : statement_(std::move(statement)),
      rowsetSize_(rowsetSize),
      rowStatus_(new SQLUSMALLINT[rowsetSize]) {}

OdbcRowBlock::~OdbcRowBlock() {
    // The statement may already serve a newer result set that bound buffers of its own.
    if (statement_->rowBinder() == this) {
        Unbind();
        statement_->setRowBinder(nullptr);
    }
}

bool OdbcRowBlock::BindRowset() {
    SQLHSTMT stmt = statement_->get();
    if (rowsetSize_ > 1) {
        // A driver may settle on fewer rows (and say so) or refuse rowsets altogether.
        SQLULEN granted = 1;
        if (!SetNumber(stmt, SQL_ATTR_ROW_ARRAY_SIZE, rowsetSize_) ||
            !Succeeded(SQLGetStmtAttrW(stmt, SQL_ATTR_ROW_ARRAY_SIZE, &granted, 0, nullptr)) ||
            granted < 1 || granted > rowsetSize_) {
            SetNumber(stmt, SQL_ATTR_ROW_ARRAY_SIZE, 1);
            granted = 1;
        }
        rowsetSize_ = granted;
    }
    if (SetPointer(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched_) &&
        SetPointer(stmt, SQL_ATTR_ROW_STATUS_PTR, rowStatus_.get()))
        return true;
    Unbind();
    return false;
}

bool OdbcRowBlock::BindColumns(const std::vector<SQLULEN>& columnSizes) {
    SQLHSTMT stmt = statement_->get();
    columns_.resize(columnSizes.size());
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (!Bindable(columnSizes[i])) continue;
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
    SQLHSTMT stmt = statement_->get();
    SQLFreeStmt(stmt, SQL_UNBIND);
    SetPointer(stmt, SQL_ATTR_ROWS_FETCHED_PTR, nullptr);
    SetPointer(stmt, SQL_ATTR_ROW_STATUS_PTR, nullptr);
    if (rowsetSize_ > 1) SetNumber(stmt, SQL_ATTR_ROW_ARRAY_SIZE, 1);
}

bool OdbcRowBlock::FetchNext() {
    SQLHSTMT stmt = statement_->get();
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
    if (rows == 0 && rowsetSize_ == 1) rows = 1;  // a plain success is a row
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
    if (cells.chars == 0) return Cell::FromDriver;
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
    if (rowsetSize_ == 1) return;  // the one row is the current one
    SQLHSTMT stmt = statement_->get();
    Check(SQLSetPos(stmt, SQLSETPOSIROW(row + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE),
          SQL_HANDLE_STMT, stmt);
}

}  // namespace tarn::platform::odbc
