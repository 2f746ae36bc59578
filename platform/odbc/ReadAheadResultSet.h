#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/odbc/Database.h"

namespace tarn::platform::odbc {

// Reads the rows of another result set ahead, on a thread of its own, while the caller works on
// the rows already read. A caller that spends about as long on each row as the driver takes to
// fetch it then needs about half the time where two processors are free.
//
// The inner result set is used by one thread at a time: by the caller until its first Next,
// then by the reading thread alone until this object is destroyed. Only its column lookups,
// which do not change from row to row, are still asked from the caller's thread. A failure of
// the inner Next reaches the caller from the Next that moves past the last row read before it,
// as it would have without reading ahead; the result set is then at its end. Where no thread
// can be started, the caller's own Next reads the inner result set.
class ReadAheadResultSet final : public ResultSet {
  public:
    // The rows are read ahead in blocks of `rowsPerBlock` rows, or fewer where their texts are
    // long; at most three blocks are held.
    explicit ReadAheadResultSet(std::unique_ptr<ResultSet> inner, std::size_t rowsPerBlock = 256);
    // Stops the reading thread after the row it is reading, and waits for it.
    ~ReadAheadResultSet() override;

    bool AtEnd() const override;
    void Next() override;
    bool HasRows() const override { return hasRows_; }
    const std::vector<std::string>& ColumnNames() const override { return names_; }
    std::optional<std::size_t> FindColumn(std::string_view name) const override;
    using ResultSet::Value;
    const std::optional<std::string>& Value(std::size_t column) const override;
    // Honoured until the first Next; the columns read ahead are fixed from then on.
    void ReadOnlyColumns(const std::vector<bool>& wanted) override;

  private:
    // The caller works through one block while the reading thread fills the others: enough to
    // keep both busy without holding much of a large table.
    static constexpr std::size_t kBlocks = 3;

    // Rows read ahead, each with its columns side by side, and what ended the reading after them.
    struct Block {
        std::vector<std::optional<std::string>> cells;
        std::size_t rows = 0;
        bool last = false;           // the inner result set reached its end after these rows
        std::exception_ptr failure;  // its Next failed after these rows
    };

    bool StartReading();
    void ReadRows();
    void FillBlock(Block& block);
    std::unique_ptr<Block> WaitForBlock();
    void Recycle(std::unique_ptr<Block> block);

    std::unique_ptr<ResultSet> inner_;
    const std::size_t rowsPerBlock_;
    const std::vector<std::string> names_;
    const bool hasRows_;
    std::vector<std::size_t> readColumns_;  // the columns copied from each row
    std::vector<bool> unread_;

    // The caller's side.
    bool ahead_ = false;  // the reading thread has the inner result set
    bool atEnd_ = false;
    std::unique_ptr<Block> current_;
    std::size_t row_ = 0;

    // Shared with the reading thread.
    std::mutex mutex_;
    std::condition_variable changed_;
    // Both have room for every block from the start, so that handing one over never allocates
    // and so never fails. The ready blocks, in order, for the caller to take, are a ring.
    std::array<std::unique_ptr<Block>, kBlocks> ready_;
    std::size_t readyFirst_ = 0;
    std::size_t readyCount_ = 0;
    std::vector<std::unique_ptr<Block>> spare_;  // for the reading thread to fill
    std::atomic<bool> stop_{false};
    std::thread reader_;
};

}  // namespace tarn::platform::odbc
