#include "platform/odbc/OdbcResultSet.h"

#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>

#include "platform/odbc/OdbcDiagnostics.h"
#include "platform/odbc/Utf16.h"
#include "text/Windows1252.h"

namespace tarn::platform::odbc {

namespace {
constexpr std::size_t kChunkChars = 1024;
}

OdbcResultSet::OdbcResultSet(std::shared_ptr<OdbcHandle> statement, RowFetching fetching)
    : statement_(std::move(statement)), chunk_(kChunkChars) {
    std::vector<SQLULEN> sizes = DescribeColumns();
    if (names_.empty()) return;  // the statement made no result set: an empty one
    if (fetching == RowFetching::Rowsets && statement_->Parent())
        block_ = OdbcRowBlock::Bind(statement_,
                                    OdbcRowBlock::ReadingOf(statement_->Parent()->Get()), sizes);
    Fetch();
    hasRows_ = !atEnd_;
}

std::vector<SQLULEN> OdbcResultSet::DescribeColumns() {
    SQLHSTMT stmt = statement_->Get();
    SQLSMALLINT count = 0;
    Check(SQLNumResultCols(stmt, &count), SQL_HANDLE_STMT, stmt);
    names_.reserve(count);
    values_.resize(count);
    unread_.assign(count, false);
    readColumns_.reserve(count);
    std::vector<SQLULEN> sizes;
    sizes.reserve(count);
    std::vector<SQLWCHAR> name(256);
    for (SQLSMALLINT column = 1; column <= count; ++column) {
        SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        auto describe = [&] {
            Check(SQLDescribeColW(stmt, column, name.data(), SQLSMALLINT(name.size()), &length,
                                  &type, &size, &digits, &nullable),
                  SQL_HANDLE_STMT, stmt);
        };
        describe();
        if (std::size_t(length) >= name.size()) {
            name.resize(std::size_t(length) + 1);
            describe();
        }
        sizes.push_back(size);
        readColumns_.push_back(std::size_t(column - 1));
        names_.push_back(ToUtf8FromBuffer(name.data(), name.size()));
        byName_.try_emplace(names_.back(), names_.size() - 1);
        byFoldedName_.try_emplace(text::FoldCase(names_.back()), names_.size() - 1);
    }
    return sizes;
}

void OdbcResultSet::Next() {
    if (!atEnd_) Fetch();
}

void OdbcResultSet::Fetch() {
    if (block_) return FetchFromRowsets();
    SQLHSTMT stmt = statement_->Get();
    SQLRETURN rc = SQLFetch(stmt);
    if (rc == SQL_NO_DATA) {
        atEnd_ = true;
        // Let go of the cursor at once: on file databases it holds a read lock.
        SQLFreeStmt(stmt, SQL_CLOSE);
        return;
    }
    Check(rc, SQL_HANDLE_STMT, stmt);
    atEnd_ = false;
    for (std::size_t column : readColumns_) ReadColumn(column);
}

void OdbcResultSet::FetchFromRowsets() {
    // The first call finds no rowset yet (no rows): it fetches one.
    if (++blockRow_ >= block_->Rows()) {
        if (!block_->FetchNext()) {
            atEnd_ = true;
            SQLFreeStmt(statement_->Get(), SQL_CLOSE);  // the read lock, as above
            return;
        }
        blockRow_ = 0;
    }
    atEnd_ = false;
    for (std::size_t column : readColumns_) {
        const SQLWCHAR* text = nullptr;
        std::size_t length = 0;
        std::optional<std::string>& slot = values_[column];
        switch (block_->Read(blockRow_, column, text, length)) {
            case OdbcRowBlock::Cell::Null:
                slot.reset();
                break;
            case OdbcRowBlock::Cell::Whole:
                if (!slot) slot.emplace();
                slot->clear();  // keeps its capacity for the next row
                AppendUtf8(text, length, *slot);
                break;
            case OdbcRowBlock::Cell::FromDriver:
                block_->PositionOn(blockRow_);
                ReadColumn(column);
                break;
        }
    }
}

void OdbcResultSet::ReadColumn(std::size_t column) {
    SQLHSTMT stmt = statement_->Get();
    const SQLLEN chunkBytes = SQLLEN(chunk_.size() * sizeof(SQLWCHAR));
    std::optional<std::string>& slot = values_[column];
    bool gathering = false;
    for (;;) {
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(stmt, SQLUSMALLINT(column + 1), SQL_C_WCHAR, chunk_.data(),
                                  chunkBytes, &indicator);
        if (rc == SQL_NO_DATA) {  // nothing (more) to read: the value ends here
            if (!gathering) longValue_.clear();
            break;
        }
        Check(rc, SQL_HANDLE_STMT, stmt);
        if (indicator == SQL_NULL_DATA) {
            slot.reset();
            return;
        }
        // Anything but a plain success with a length that fits means the chunk came back full
        // and the rest of the value waits for the next call.
        bool whole = rc == SQL_SUCCESS || (indicator != SQL_NO_TOTAL && indicator < chunkBytes);
        // A length beyond the chunk from a driver that claims success is not believed.
        std::size_t chars = chunk_.size() - 1;
        if (whole)
            chars = std::min(std::size_t(std::max<SQLLEN>(indicator, 0)) / sizeof(SQLWCHAR), chars);
        if (whole && !gathering) {
            if (!slot) slot.emplace();
            slot->clear();  // keeps its capacity for the next row
            AppendUtf8(chunk_.data(), chars, *slot);
            return;
        }
        // Gather the pieces as UTF-16 first: a surrogate pair may straddle two chunks.
        if (!gathering) longValue_.clear();
        gathering = true;
        longValue_.insert(longValue_.end(), chunk_.begin(), chunk_.begin() + chars);
        if (whole) break;
    }
    if (!slot) slot.emplace();
    slot->clear();
    AppendUtf8(longValue_.data(), longValue_.size(), *slot);
}

std::optional<std::size_t> OdbcResultSet::FindColumn(std::string_view name) const {
    if (auto exact = byName_.find(name); exact != byName_.end()) return exact->second;
    if (auto folded = byFoldedName_.find(text::FoldCase(name)); folded != byFoldedName_.end())
        return folded->second;
    return std::nullopt;
}

const std::optional<std::string>& OdbcResultSet::Value(std::size_t column) const {
    if (atEnd_) throw OdbcError(kNoCurrentRow, "No current row", "");
    if (column >= values_.size())
        throw OdbcError(kColumnNotFound, "Column " + std::to_string(column + 1) + " not found", "");
    if (unread_[column])
        throw OdbcError(kColumnNotFound, "Column " + std::to_string(column + 1) + " not read", "");
    return values_[column];
}

void OdbcResultSet::ReadOnlyColumns(const std::vector<bool>& wanted) {
    readColumns_.clear();
    for (std::size_t column = 0; column < values_.size(); ++column) {
        unread_[column] = column >= wanted.size() || !wanted[column];
        if (unread_[column])
            values_[column].reset();  // no value of an earlier row is passed off as this one's
        else
            readColumns_.push_back(column);
    }
}

}  // namespace tarn::platform::odbc
