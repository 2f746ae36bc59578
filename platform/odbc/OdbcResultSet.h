#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/odbc/Database.h"
#include "platform/odbc/OdbcHandle.h"
#include "platform/odbc/OdbcRowBlock.h"

namespace tarn::platform::odbc {

// How the rows of a result come from the driver: many rows to a call into bound buffers
// wherever the driver allows it, or each cell by its own SQLGetData call.
enum class RowFetching { Rowsets, CellByCell };

// Rows of an executed statement handle. Column names are described and indexed once; each
// row is read into slots that keep their capacity from row to row, so walking many rows
// allocates only when a value outgrows its slot.
class OdbcResultSet final : public ResultSet {
  public:
    // Takes a statement handle that has just produced a result (a query or a catalog call)
    // and moves onto the first row.
    explicit OdbcResultSet(std::shared_ptr<OdbcHandle> statement,
                           RowFetching fetching = RowFetching::Rowsets);

    bool AtEnd() const override { return atEnd_; }
    void Next() override;
    bool HasRows() const override { return hasRows_; }
    const std::vector<std::string>& ColumnNames() const override { return names_; }
    std::optional<std::size_t> FindColumn(std::string_view name) const override;
    using ResultSet::Value;
    const std::optional<std::string>& Value(std::size_t column) const override;
    void ReadOnlyColumns(const std::vector<bool>& wanted) override;

  private:
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };
    using NameIndex = std::unordered_map<std::string, std::size_t, NameHash, std::equal_to<>>;

    std::vector<SQLULEN> DescribeColumns();
    void Fetch();
    void FetchFromRowsets();
    void ReadColumn(std::size_t column);

    std::shared_ptr<OdbcHandle> statement_;
    std::vector<std::string> names_;
    NameIndex byName_;        // exact spelling: the usual case, looked up without allocating
    NameIndex byFoldedName_;  // case-folded spelling, for the rest
    std::vector<std::optional<std::string>> values_;
    std::vector<std::size_t> readColumns_;  // in increasing order, as every driver reads them
    std::vector<bool> unread_;              // columns left out of readColumns_
    std::vector<SQLWCHAR> chunk_;           // receives every cell
    std::vector<SQLWCHAR> longValue_;       // gathers a cell that needs more than one chunk
    std::unique_ptr<OdbcRowBlock> block_;   // null when every cell is read by itself
    std::size_t blockRow_ = 0;
    bool atEnd_ = true;
    bool hasRows_ = false;
};

}  // namespace tarn::platform::odbc
