#pragma once

#include <sql.h>

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/odbc/OdbcHandle.h"

namespace tarn::platform::odbc {

// Rows fetched from the driver into buffers bound to the columns of a stated, small size, so
// that their cells cost no driver call of their own; many rows to a call where every column
// is bound. Long columns, and those of no stated size, stay unbound and are read cell by cell
// with SQLGetData: a bound buffer that ends inside a character makes some drivers fail the
// whole fetch (MariaDB's) instead of cutting the value short.
class OdbcRowBlock {
  public:
    // What the driver lets a caller do with SQLGetData beside bound columns.
    struct Reading {
        bool boundColumns = false;   // read a bound column (a cell that came back cut short)
        bool anyColumn = false;      // read an unbound column before the last bound one
        bool withinRowsets = false;  // read any row of a rowset once positioned on it
    };
    static Reading ReadingOf(SQLHDBC connection);

    // Binds the columns of an executed statement that can be bound, given their sizes in
    // characters (0 for unknown). Null, leaving the statement as it was, when none can or the
    // driver refuses: every cell is then read by itself.
    static std::unique_ptr<OdbcRowBlock> Bind(std::shared_ptr<OdbcHandle> statement,
                                              Reading reading,
                                              const std::vector<SQLULEN>& columnSizes);
    ~OdbcRowBlock();
    OdbcRowBlock(const OdbcRowBlock&) = delete;
    OdbcRowBlock& operator=(const OdbcRowBlock&) = delete;

    // Fetches the next rowset; false once past the last row. Throws the driver's error, also
    // for a row the driver could not deliver.
    bool FetchNext();
    std::size_t Rows() const { return rows_; }
    std::size_t RowsetSize() const { return rowsetSize_; }

    // Null, whole (text and length set), or to be read with SQLGetData: an unbound column, or
    // a cell longer than the driver said its column could hold.
    enum class Cell { Null, Whole, FromDriver };
    Cell Read(std::size_t row, std::size_t column, const SQLWCHAR*& text,
              std::size_t& length) const;
    // Makes a row of the rowset the one SQLGetData reads.
    void PositionOn(std::size_t row);

  private:
    struct Column {
        std::size_t chars = 0;  // room for each cell, its terminator included; 0 when unbound
        std::unique_ptr<SQLWCHAR[]> text;
        std::unique_ptr<SQLLEN[]> indicators;
    };

    OdbcRowBlock(std::shared_ptr<OdbcHandle> statement, std::size_t rowsetSize);
    bool BindRowset();
    bool BindColumns(const std::vector<SQLULEN>& columnSizes);
    void Unbind();

    std::shared_ptr<OdbcHandle> statement_;
    std::size_t rowsetSize_;
    std::vector<Column> columns_;
    std::unique_ptr<SQLUSMALLINT[]> rowStatus_;
    SQLULEN fetched_ = 0;
    std::size_t rows_ = 0;
};

}  // namespace tarn::platform::odbc
