#include "platform/odbc/ReadAheadResultSet.h"

#include <system_error>
#include <utility>

#include "platform/odbc/OdbcError.h"

namespace tarn::platform::odbc {
namespace {

// A block also ends once its texts reach this size, so that rows of long texts are not held
// by the thousand.
constexpr std::size_t kBlockTextBytes = 256 * 1024;

}  // namespace

ReadAheadResultSet::ReadAheadResultSet(std::unique_ptr<ResultSet> inner, std::size_t rowsPerBlock)
    : inner_(std::move(inner)),
      rowsPerBlock_(rowsPerBlock > 0 ? rowsPerBlock : 1),
      names_(inner_->ColumnNames()),
      hasRows_(inner_->HasRows()),
      unread_(names_.size(), false) {
    for (std::size_t column = 0; column < names_.size(); ++column) readColumns_.push_back(column);
    // Made here, so that the reading thread never fails for want of a block to report in. Their
    // cells are made by the reading thread, from its own allocator arena, which measured faster.
    for (std::size_t i = 0; i < kBlocks; ++i) spare_.push_back(std::make_unique<Block>());
}

ReadAheadResultSet::~ReadAheadResultSet() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (reader_.joinable()) reader_.join();
}

bool ReadAheadResultSet::AtEnd() const {
    return ahead_ ? atEnd_ : inner_->AtEnd();
}

std::optional<std::size_t> ReadAheadResultSet::FindColumn(std::string_view name) const {
    return inner_->FindColumn(name);
}

const std::optional<std::string>& ReadAheadResultSet::Value(std::size_t column) const {
    if (!ahead_) return inner_->Value(column);
    if (atEnd_) throw OdbcError(kNoCurrentRow, "No current row", "");
    if (column >= names_.size())
        throw OdbcError(kColumnNotFound, "Column " + std::to_string(column + 1) + " not found", "");
    if (unread_[column])
        throw OdbcError(kColumnNotFound, "Column " + std::to_string(column + 1) + " not read", "");
    return current_->cells[row_ * names_.size() + column];
}

void ReadAheadResultSet::ReadOnlyColumns(const std::vector<bool>& wanted) {
    if (ahead_) return;
    inner_->ReadOnlyColumns(wanted);
    readColumns_.clear();
    for (std::size_t column = 0; column < names_.size(); ++column) {
        unread_[column] = column >= wanted.size() || !wanted[column];
        if (!unread_[column]) readColumns_.push_back(column);
    }
}

void ReadAheadResultSet::Next() {
    if (!ahead_) {
        if (inner_->AtEnd()) return;
        // The caller is done with the row the inner result set holds: from here on the
        // reading thread moves it.
        if (!StartReading()) return inner_->Next();
    } else if (atEnd_) {
        return;
    } else {
        ++row_;
    }
    while (!current_ || row_ >= current_->rows) {
        if (current_) {
            if (current_->failure) {
                atEnd_ = true;
                std::rethrow_exception(std::exchange(current_->failure, nullptr));
            }
            if (current_->last) {
                atEnd_ = true;
                return;
            }
            Recycle(std::move(current_));
        }
        current_ = WaitForBlock();
        row_ = 0;
    }
}

bool ReadAheadResultSet::StartReading() {
    try {
        reader_ = std::thread([this] { ReadRows(); });
    } catch (const std::system_error&) {
        return false;  // the rows are read as the caller moves, as without this object
    }
    ahead_ = true;
    return true;
}

void ReadAheadResultSet::ReadRows() {
    for (;;) {
        std::unique_ptr<Block> block;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stop_ || !spare_.empty(); });
            if (stop_) return;
            block = std::move(spare_.back());
            spare_.pop_back();
        }
        try {
            FillBlock(*block);
        } catch (...) {
            // Also a failure to hold the rows: the caller learns of it where it would have.
            block->failure = std::current_exception();
        }
        const bool finished = block->last || block->failure;
        {
            std::lock_guard lock(mutex_);
            if (stop_) return;
            ready_[(readyFirst_ + readyCount_++) % kBlocks] = std::move(block);
        }
        changed_.notify_all();
        if (finished) return;
    }
}

void ReadAheadResultSet::FillBlock(Block& block) {
    const std::size_t columns = names_.size();
    block.rows = 0;
    block.last = false;
    block.failure = nullptr;
    block.cells.resize(rowsPerBlock_ * columns);
    std::size_t textBytes = 0;
    while (block.rows < rowsPerBlock_ && !stop_) {
        inner_->Next();
        if (inner_->AtEnd()) {
            block.last = true;
            return;
        }
        std::optional<std::string>* row = block.cells.data() + block.rows * columns;
        for (std::size_t column : readColumns_) {
            row[column] = inner_->Value(column);
            if (row[column]) textBytes += row[column]->size();
        }
        ++block.rows;
        if (textBytes >= kBlockTextBytes) return;
    }
}

std::unique_ptr<ReadAheadResultSet::Block> ReadAheadResultSet::WaitForBlock() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return readyCount_ > 0; });
    std::unique_ptr<Block> block = std::move(ready_[readyFirst_]);
    readyFirst_ = (readyFirst_ + 1) % kBlocks;
    --readyCount_;
    return block;
}

void ReadAheadResultSet::Recycle(std::unique_ptr<Block> block) {
    {
        std::lock_guard lock(mutex_);
        spare_.push_back(std::move(block));
    }
    changed_.notify_all();
}

}  // namespace tarn::platform::odbc
