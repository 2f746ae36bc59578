#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/model/clsTable.h"
#include "conduit/log/HotSyncLog.h"
#include "conduit/sync/DataRecord.h"
#include "conduit/sync/Filters.h"
#include "conduit/sync/SqlDialect.h"
#include "platform/odbc/Database.h"

namespace tarn::conduit {

// Writes one table's handheld records to the desktop. Each kind of statement is prepared once
// per table and statement shape, on first use, and runs with the records' values bound: the
// database parses it once, and no value passes through SQL text. At debug level 4 each
// record's statement is still logged as its SQL text with the values written in.
//
// Inside a batch (BeginBatch to EndBatch) the writer asks the database once which of the
// batch's records it holds, and gathers the batch's inserts into multi-row statements; the
// batch's log lines wait until it has been written. A batch runs inside a savepoint, so that a
// failure can undo it whole (AbandonBatch) and the caller can redo it record by record, to fail
// at the same record with the same error as without batches.
class DesktopWriter {
  public:
    // `batchRecords` is the most handheld records one batch covers: 1 where the table's writes
    // do not run in a transaction that can be undone to a savepoint, 0 for the size that pays
    // on the database.
    DesktopWriter(platform::odbc::Connection& connection, const SqlDialect& dialect,
                  HotSyncLog& log, const colFilters& filters, const clsTable& table,
                  std::size_t batchRecords);

    // Whether batches may be used: batches of more than one record are asked for.
    bool CanBatch() const { return canBatch_; }
    // The handheld records a batch asks the database about at most.
    std::size_t BatchRecords() const { return batchRecords_; }

    // The table held no row when this transaction read it, no other connection's row can show
    // in it since (on SQLite a transaction keeps what it first read: a writer cannot commit
    // meanwhile or, in WAL mode, this transaction's first write fails), and the table's keys
    // are as distinct there as in the queue: a batch's keys then match no row, and the batch
    // does not ask.
    void StartsWithoutRows() { startsWithoutRows_ = true; }
    // Starts a batch for these records, in the order Exists will be asked about them.
    void BeginBatch(const std::vector<const clsDataRecord*>& records);
    // Writes the gathered inserts, ends the savepoint and writes the batch's log lines.
    void EndBatch();
    // Undoes everything since BeginBatch and forgets the batch's log lines. False when the
    // database would not undo the batch alone: the whole transaction has then been rolled back
    // and a new one begun, so the table's earlier writes are lost. Throws when not even that
    // can be done.
    bool AbandonBatch();

    // A log line, written at once or, inside a batch, when the batch has been written.
    void Log(const std::string& text, int32_t level);

    // Whether the desktop holds a row of the record's key (no filter: a row outside the
    // filters is still the record's row).
    bool Exists(const clsDataRecord& record);
    // The record's row, within the table's filters.
    void Update(const clsDataRecord& record);
    // Inside a batch, the insert waits for EndBatch (or for the next update or delete).
    void Insert(const clsDataRecord& record);
    // The rows of a key, as the key condition of its key field's type finds them.
    void Delete(int16_t keyType, const std::string& key);

  private:
    std::string KeyColumn() const;  // the key field's column, delimited
    std::string KeyWhere() const;
    void WriteInserts();
    platform::odbc::PreparedStatement& InsertOfRows(std::size_t rows);
    platform::odbc::PreparedStatement& ExistenceOfKeys();
    platform::odbc::PreparedStatement& ExistenceOfKeysByPosition();
    // The positions of the batch's keys that match a row, from the cheapest form the database
    // takes.
    std::unique_ptr<platform::odbc::ResultSet> QueryExistingKeys();

    platform::odbc::Connection& connection_;
    const SqlDialect& dialect_;
    HotSyncLog& log_;
    const colFilters& filters_;
    const clsTable& table_;
    std::string target_;        // the table's identifier
    std::string updateFilter_;  // the filter condition every UPDATE carries
    std::unique_ptr<platform::odbc::PreparedStatement> exists_, update_, delete_, existsOfSet_,
        existsByPosition_;
    bool keysByPositionRefused_ = false;
    std::map<std::size_t, std::unique_ptr<platform::odbc::PreparedStatement>> inserts_;
    std::vector<platform::odbc::Parameter> parameters_;
    std::size_t mostParameters_;  // the most values one statement binds

    bool canBatch_ = false;
    std::size_t batchRecords_ = 1;
    bool inBatch_ = false;
    bool startsWithoutRows_ = false;
    std::vector<bool> batchExists_;  // the database's answer for the batch's records, in order
    std::vector<const clsDataRecord*> batchRecordsAsked_;
    std::size_t nextAsked_ = 0;
    std::vector<const clsDataRecord*> pendingInserts_;
    std::vector<std::pair<std::string, int32_t>> pendingLines_;
};

}  // namespace tarn::conduit
