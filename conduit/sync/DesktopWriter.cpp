#include "conduit/sync/DesktopWriter.h"

#include <algorithm>
#include <charconv>

#include "conduit/sync/DesktopDatabase.h"
#include "conduit/sync/DesktopDialect.h"
#include "conduit/sync/Filters.h"
#include "conduit/sync/SqlParameters.h"
#include "conduit/sync/Transfer.h"

namespace tarn::conduit {
namespace {

constexpr const char* kSavepoint = "tarn_batch";

// The statement, prepared from the text `build` gives when it is first needed.
template <typename Build>
platform::odbc::PreparedStatement& Prepared(
    platform::odbc::Connection& connection,
    std::unique_ptr<platform::odbc::PreparedStatement>& statement, Build build) {
    if (!statement) statement = connection.Prepare(build());
    return *statement;
}

// The largest power of two not above `limit` (which is at least 1): inserts are written in
// runs of such sizes, so that a table needs only a few statement shapes.
std::size_t RunOfRows(std::size_t limit) {
    std::size_t rows = 1;
    while (rows * 2 <= limit) rows *= 2;
    return rows;
}

}  // namespace

DesktopWriter::DesktopWriter(platform::odbc::Connection& connection, const SqlDialect& dialect,
                             HotSyncLog& log, const colFilters& filters, const clsTable& table,
                             std::size_t batchRecords)
    : connection_(connection),
      dialect_(dialect),
      log_(log),
      filters_(filters),
      table_(table),
      target_(dialect.Identifier(table.DesktopTableName)),
      updateFilter_(BuildFilterClause(filters, dialect, log, table, false)),
      mostParameters_(MostStatementParameters(dialect.Database())) {
    if (batchRecords == 0) batchRecords = DefaultBatchRecords(dialect.Database());
    canBatch_ = batchRecords > 1;
    batchRecords_ = canBatch_ ? batchRecords : 1;
}

std::string DesktopWriter::KeyColumn() const {
    return dialect_.Identifier(table_.Fields().Item(1)->FieldName);
}

std::string DesktopWriter::KeyWhere() const {
    return " WHERE " + KeyColumn() + "=?";
}

void DesktopWriter::Log(const std::string& text, int32_t level) {
    if (!inBatch_) return log_.WriteLog(text, level);
    if (level <= log_.DebugLevel) pendingLines_.emplace_back(text, level);
}

// One SELECT for the whole batch, answered by the database's own comparison of each key, as
// the single record's test would be: the position of every key that matches a row. Batches
// short of the full size repeat their first key, so that one statement serves every batch.
platform::odbc::PreparedStatement& DesktopWriter::ExistenceOfKeys() {
    return Prepared(connection_, existsOfSet_, [&] {
        const std::string key = KeyColumn();
        std::string sql;
        // A UNION of single-key lookups passes PostgreSQL's thresholds for a parallel plan,
        // which then starts workers at every run; a list of keys joined to the table is planned
        // as one small join. The keys are cast to the type the single-key test compares in.
        if (const auto comparison = FindKeyComparison(connection_, dialect_, table_)) {
            sql = "SELECT v.i FROM (VALUES ";
            for (std::size_t i = 0; i < batchRecords_; ++i)
                sql += (i ? ", (" : "(") + std::to_string(i) + ", CAST(? AS " + comparison->type +
                       "))";
            sql += ") AS v(i, k) ";
            // Asked as a set, the planner weighs hundreds of index probes against one scan of
            // the table and takes the scan, ten times slower on a table of 65,535 rows. A LIMIT
            // keeps the lateral lookup from being joined as a set, so that each key is one
            // probe of the index.
            if (comparison->indexed)
                return sql + "CROSS JOIN LATERAL (SELECT 1 FROM " + target_ + " WHERE " + key +
                       " = v.k LIMIT 1) AS e";
            return sql + "WHERE EXISTS (SELECT 1 FROM " + target_ + " WHERE " + key + " = v.k)";
        }
        const std::string where = KeyWhere();
        for (std::size_t i = 0; i < batchRecords_; ++i)
            sql += (i ? " UNION ALL SELECT " : "SELECT ") + std::to_string(i) + " FROM " + target_ +
                   where;
        return sql;
    });
}

// MariaDB plans every lookup of the UNION again at each run, which cost as much as the inserts
// themselves. Here one list of positions meets the table in one join, each position taking its
// own key out of a CASE: the key is compared as "key = ?" compares it, in the key column's
// collation, for a CASE of values of one type has that type. Only batches whose keys are all
// bound in one type use it (a CASE of integers and doubles would compare every key as a
// double).
platform::odbc::PreparedStatement& DesktopWriter::ExistenceOfKeysByPosition() {
    return Prepared(connection_, existsByPosition_, [&] {
        std::string sql = "WITH v(i) AS (VALUES ";
        for (std::size_t i = 0; i < batchRecords_; ++i)
            sql += (i ? ", (" : "(") + std::to_string(i) + ")";
        sql += ") SELECT v.i FROM v WHERE EXISTS (SELECT 1 FROM " + target_ + " WHERE " +
               KeyColumn() + " = CASE v.i";
        for (std::size_t i = 0; i < batchRecords_; ++i)
            sql += " WHEN " + std::to_string(i) + " THEN ?";
        return sql + " END)";
    });
}

void DesktopWriter::BeginBatch(const std::vector<const clsDataRecord*>& records) {
    connection_.Execute(std::string("SAVEPOINT ") + kSavepoint);
    inBatch_ = true;
    batchRecordsAsked_ = records;
    nextAsked_ = 0;
    batchExists_.assign(records.size(), false);
    if (records.empty() || startsWithoutRows_) return;
    parameters_.resize(batchRecords_);
    for (std::size_t i = 0; i < batchRecords_; ++i) {
        const clsDataRecord& record = *records[i < records.size() ? i : 0];
        KeyParameter(record.FieldType(0), record.PrimaryFieldValue, parameters_[i]);
    }
    auto rows = QueryExistingKeys();
    for (; !rows->AtEnd(); rows->Next()) {
        const std::string& text = rows->Value(std::size_t{0}).value_or("");
        std::size_t position = 0;
        std::from_chars(text.data(), text.data() + text.size(), position);
        if (position < batchExists_.size()) batchExists_[position] = true;
    }
}

std::unique_ptr<platform::odbc::ResultSet> DesktopWriter::QueryExistingKeys() {
    if (dialect_.Database() == DesktopDialect::MySql && !keysByPositionRefused_ &&
        std::all_of(parameters_.begin(), parameters_.end(), [&](const auto& parameter) {
            return parameter.type == parameters_.front().type;
        })) {
        try {
            return ExistenceOfKeysByPosition().Query(parameters_);
        } catch (const std::exception&) {
            // The server lacks the form (MySQL, an older MariaDB) or will not run it on this
            // table: the lookups serve the table from here on. A refused SELECT leaves the
            // transaction as it was.
            keysByPositionRefused_ = true;
        }
    }
    return ExistenceOfKeys().Query(parameters_);
}

void DesktopWriter::EndBatch() {
    WriteInserts();
    connection_.Execute(std::string("RELEASE SAVEPOINT ") + kSavepoint);
    inBatch_ = false;
    for (const auto& [text, level] : pendingLines_) log_.WriteLog(text, level);
    pendingLines_.clear();
}

bool DesktopWriter::AbandonBatch() {
    inBatch_ = false;
    pendingInserts_.clear();
    pendingLines_.clear();
    try {
        connection_.Execute(std::string("ROLLBACK TO SAVEPOINT ") + kSavepoint);
        connection_.Execute(std::string("RELEASE SAVEPOINT ") + kSavepoint);
        return true;
    } catch (const std::exception&) {
        // The database undid more than the batch, or will take nothing more in this
        // transaction: start a new one, so that statements can run again.
    }
    connection_.Rollback();
    connection_.BeginTransaction();
    return false;
}

bool DesktopWriter::Exists(const clsDataRecord& record) {
    if (inBatch_ && nextAsked_ < batchRecordsAsked_.size() &&
        batchRecordsAsked_[nextAsked_] == &record)
        return batchExists_[nextAsked_++];
    // Only whether the row exists matters, so no column is fetched: on a wide table that
    // halves the cost of the one statement every handheld record pays for.
    auto& statement =
        Prepared(connection_, exists_, [&] { return "SELECT 1 FROM " + target_ + KeyWhere(); });
    parameters_.resize(1);
    KeyParameter(record.FieldType(0), record.PrimaryFieldValue, parameters_[0]);
    return statement.HasRows(parameters_);
}

void DesktopWriter::Update(const clsDataRecord& record) {
    if (log_.DebugLevel >= 4)
        Log(record.BuildDesktopWriteQuery(dialect_, table_, true, filters_) + updateFilter_, 4);
    WriteInserts();  // the writes reach the database in queue order
    auto& statement = Prepared(connection_, update_, [&] {
        return BuildDesktopWriteStatement(dialect_, table_, true, filters_) + updateFilter_;
    });
    parameters_.resize(record.DesktopWriteParameters(table_, true, filters_, parameters_, 0));
    statement.Execute(parameters_);
}

platform::odbc::PreparedStatement& DesktopWriter::InsertOfRows(std::size_t rows) {
    return Prepared(connection_, inserts_[rows], [&] {
        const std::string single = BuildDesktopWriteStatement(dialect_, table_, false, filters_);
        // The column list lies before the last " VALUES (", so what follows is one row.
        const std::size_t values = single.rfind(" VALUES (") + 8;
        std::string sql = single;
        for (std::size_t i = 1; i < rows; ++i) sql += ", " + single.substr(values);
        return sql;
    });
}

void DesktopWriter::Insert(const clsDataRecord& record) {
    if (log_.DebugLevel >= 4)
        Log(record.BuildDesktopWriteQuery(dialect_, table_, false, filters_), 4);
    pendingInserts_.push_back(&record);
    if (!inBatch_) WriteInserts();
}

void DesktopWriter::WriteInserts() {
    if (pendingInserts_.empty()) return;
    const std::size_t perRow =
        pendingInserts_.front()->DesktopWriteParameters(table_, false, filters_, parameters_, 0);
    // A wide table gets fewer rows per insert rather than more values than the driver takes.
    const std::size_t mostRows =
        std::max<std::size_t>(1, mostParameters_ / std::max<std::size_t>(perRow, 1));
    std::size_t done = 0;
    while (done < pendingInserts_.size()) {
        const std::size_t rows =
            RunOfRows(std::min({pendingInserts_.size() - done, batchRecords_, mostRows}));
        std::size_t count = 0;
        for (std::size_t i = 0; i < rows; ++i)
            count = pendingInserts_[done + i]->DesktopWriteParameters(table_, false, filters_,
                                                                      parameters_, count);
        parameters_.resize(count);
        InsertOfRows(rows).Execute(parameters_);
        done += rows;
    }
    pendingInserts_.clear();
}

void DesktopWriter::Delete(int16_t keyType, const std::string& key) {
    if (log_.DebugLevel >= 4)
        Log("DELETE FROM " + target_ + " WHERE " + KeyColumn() +
                KeyCondition(dialect_, keyType, key),
            4);
    WriteInserts();
    auto& statement =
        Prepared(connection_, delete_, [&] { return "DELETE FROM " + target_ + KeyWhere(); });
    parameters_.resize(1);
    KeyParameter(keyType, key, parameters_[0]);
    statement.Execute(parameters_);
}

}  // namespace tarn::conduit
