#pragma once

#include <sql.h>

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/odbc/OdbcHandle.h"

namespace tarn::platform::odbc {

// Rows fetched from the driver many at a time into buffers bound to every column, so that a
// row costs no driver call of its own. Used only where every column has a stated, small size
// and the driver can read a cell of any row of a rowset with SQLGetData, which reads a cell
// that still comes back cut short (longer than the driver said) again whole.
class OdbcRowBlock {
  public:
    // What the driver lets a caller do with SQLGetData beside bound columns.
    struct Reading {
        bool boundColumns = false;   // read a bound column (a cell that came back cut short)
        bool withinRowsets = false;  // read any row of a rowset once positioned on it
    };
    static Reading ReadingOf(SQLHDBC connection);

    // Binds every column of an executed statement, given their sizes in characters (0 for
    // unknown), and asks for rowsets. Null, leaving the statement as it was, where a column is
    // long or unsized, the driver cannot read within rowsets or refuses them: every cell is
    // then read by itself.
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

    // Null, whole (text and length set), or to be read with SQLGetData: a cell longer than the
    // driver said its column could hold.
    enum class Cell { Null, Whole, FromDriver };
    Cell Read(std::size_t row, std::size_t column, const SQLWCHAR*& text,
              std::size_t& length) const;
    // Makes a row of the rowset the one SQLGetData reads.
    void PositionOn(std::size_t row);

  private:
    struct Column {
        std::size_t chars = 0;  // room for each cell, its terminator included
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
