#include "conduit/sync/Transfer.h"

#include <exception>
#include <memory>
#include <vector>

#include "common/config/Scramble.h"
#include "common/model/DataTypes.h"
#include "conduit/sync/DesktopDatabase.h"
#include "conduit/sync/DesktopDialect.h"
#include "conduit/sync/DesktopRowReader.h"
#include "conduit/sync/DesktopWriter.h"
#include "conduit/sync/Filters.h"
#include "conduit/sync/HandheldDecoder.h"
#include "conduit/sync/LooseKeys.h"
#include "conduit/sync/SqlParameters.h"
#include "conduit/sync/SyncCounts.h"
#include "conduit/sync/SyncError.h"
#include "conduit/sync/SyncOutcome.h"
#include "conduit/sync/SyncProgress.h"
#include "conduit/sync/SyncSession.h"
#include "conduit/sync/TarnFunc.h"
#include "platform/Error.h"
#include "platform/odbc/ReadAheadResultSet.h"
#include "platform/palm/HandheldFolder.h"
#include "platform/palm/PalmErrors.h"

namespace tarn::conduit {
namespace {

// The most records a handheld database can hold: its record count is 16 bits.
constexpr int32_t kMaxHandheldRecords = 65535;

}  // namespace

std::string KeyCondition(const SqlDialect& dialect, int16_t keyType, const std::string& key) {
    // A numeric key compares as a number. Any other key is a quoted literal: a bare date, time
    // or signature text would be read as an expression, or worse, as SQL of the handheld's
    // choosing.
    if (IsNumericType(keyType) && ParseNumber(key)) return "=" + key;
    return "='" + dialect.EscapeValue(key) + "'";
}

std::string KeyCondition(const SqlDialect& dialect, const clsDataRecord& record) {
    return KeyCondition(dialect, record.FieldType(0), record.PrimaryFieldValue);
}

bool OpenPalmDatabase(SyncSession& session, const std::string& name) {
    session.PalmDatabase.reset();
    auto& handheld = session.Handheld();
    try {
        session.PalmDatabase =
            handheld.OpenRecordDatabase(name, platform::palm::kOpenReadWriteSecret);
        return true;
    } catch (const platform::PlatformError& error) {
        // Only a database that is not there is created, as a new conduit's first sync does.
        // One that is there but cannot be read (damaged, unreadable, a resource database, its
        // name taken twice) ends the table: the bail-out says which file and why, and the file
        // is left exactly as it was.
        if (error.number() != platform::palm::kErrDatabaseNotFound) throw;
    }
    std::string createError;
    try {
        platform::palm::NewDatabase database;
        database.name = name;
        database.creator = session.ConfigCreatorID;
        database.type = "DATA";
        session.PalmDatabase =
            session.DryRun
                ? handheld.PreviewNewRecordDatabase(database, platform::palm::kOpenReadWriteSecret)
                : handheld.CreateRecordDatabase(database, platform::palm::kOpenReadWriteSecret);
    } catch (const std::exception& error) {
        createError = error.what();
    }
    session.WriteLog("Creating database " + name, 2);
    if (!session.PalmDatabase) {
        session.WriteLog("Can not find palm database " + name, 1);
        session.WriteLog(createError, 1);
        NoteFailure(session.Outcome, "Can not find palm database " + name + ": " + createError);
        return false;
    }
    return true;
}

void LoadPalmRecords(SyncSession& session, const clsTable& table, colDataRecord& queue) {
    session.WriteLog("Loading Palm Database: " + table.PalmDatabaseName, 2);
    auto& database = *session.PalmDatabase;
    database.SetIterationIndex(0);
    long count = 0;
    const long total = static_cast<long>(database.RecordCount());
    queue.Reserve(database.RecordCount());
    if (total > 0) {
        HandheldDecoder decoder(table.Fields(), session.ErrorStack);
        auto record = database.ReadNext();
        while (!database.EndOfData()) {
            auto decoded = decoder.Decode(record.data);
            NoteHandheldRecord(session.Counts, *decoded, record.data);
            queue.AdmitPalmRecord(session.Log, std::move(decoded));
            ++count;
            session.Progress.Report(table.DesktopTableName, "reading the handheld", count, total);
            record = database.ReadNext();
        }
        // The queue holds every record now; the database need not hold them too while the
        // desktop is read.
        database.ReleaseRecords();
    }
    session.WriteLog("Records from Palm: " + std::to_string(count), 2);
}

void LoadDesktopRecords(SyncSession& session, const clsTable& table, colDataRecord& queue) {
    session.WriteLog("Loading Desktop Table: " + table.DesktopTableName, 2);
    ErrorContext context(session.ErrorStack,
                         "Error getting data from desktop table" + table.DesktopTableName);
    const std::string filter =
        BuildFilterClause(session.WorkFilters, session.Dialect, session.Log, table, true);
    std::string sql = "SELECT " +
                      DesktopSelectList(*session.DesktopConnection, session.Dialect, table) +
                      " FROM " + session.Dialect.Identifier(table.DesktopTableName) + filter;
    // Read once from start to end before anything is written: a forward-only cursor is all it
    // takes, and lets a driver hand over the rows as they come rather than all at once. The
    // driver fetches the next rows while the rows already read are queued.
    auto rows = std::make_unique<platform::odbc::ReadAheadResultSet>(
        session.DesktopConnection->OpenResultSet(sql, platform::odbc::CursorKind::ForwardOnly));
    long count = 0;
    long withoutKey = 0;
    long keyNotHeld = 0;
    long keyTaken = 0;
    long textsAltered = 0;
    DesktopRowReader reader(table.Fields(), *rows, session.ErrorStack);
    while (!rows->AtEnd()) {
        switch (queue.AddDesktopRecord(session.Log, reader)) {
            case DesktopRowSkip::None:
                if (reader.RowTextsAltered()) ++textsAltered;
                break;
            case DesktopRowSkip::EmptyKey:
                ++withoutKey;
                break;
            case DesktopRowSkip::KeyTheHandheldCannotHold:
                ++keyNotHeld;
                break;
            case DesktopRowSkip::KeyOfAnEarlierRow:
                ++keyTaken;
                break;
        }
        ++count;
        session.Progress.Report(table.DesktopTableName, "reading the desktop", count, 0);
        rows->Next();
    }
    session.DesktopReadNoRows = count == 0 && filter.empty();
    session.WriteLog("Records from Desktop Database: " + std::to_string(count), 2);
    auto sayLeftOut = [&](long rows, const char* why) {
        if (rows > 0)
            session.WriteLog("Skipped " + std::to_string(rows) + " desktop rows of " +
                                 table.DesktopTableName + why,
                             1);
    };
    if (textsAltered > 0)
        session.WriteLog(std::to_string(textsAltered) + " desktop rows of " +
                             table.DesktopTableName +
                             " have texts with characters the handheld cannot hold: they reach "
                             "it with '?' in their place",
                         1);
    sayLeftOut(withoutKey, " whose key is empty: the handheld cannot tell them apart");
    sayLeftOut(keyNotHeld,
               " whose key has characters the handheld cannot hold: they stay on the desktop "
               "only");
    sayLeftOut(keyTaken,
               " whose key an earlier row has, letter case aside: the handheld holds one record "
               "per key, and they stay on the desktop only");
    context.Done();
}

namespace {

// Runs one record's step with `context` on the error stack should it fail, beneath whatever
// the step itself pushed, as an ErrorContext around it would leave it; the text is composed
// only on failure, not once per record.
template <typename Context, typename Step>
auto NamedOnFailure(clsErrorStack& errors, Context context, Step step) {
    const int32_t depth = errors.Count();
    try {
        return step();
    } catch (...) {
        std::vector<std::string> inner;
        while (errors.Count() > depth) inner.push_back(errors.Pop());
        errors.Push(context());
        for (auto entry = inner.rbegin(); entry != inner.rend(); ++entry) errors.Push(*entry);
        throw;
    }
}

// One queued record's desktop write.
void SaveDesktopRecord(platform::TableSummary& counts, DesktopWriter& writer,
                       clsDataRecord& record) {
    if (record.RecordStatus & RecordDeleted) {
        writer.Log("Deleting Desktop Record", 2);
        const int16_t keyType = record.FieldType(0);
        // The rows the key matched when the table was read, each by its own key text; a key no
        // row matched is deleted as the handheld spells it.
        if (record.DesktopKeyValues().empty()) writer.Delete(keyType, record.PrimaryFieldValue);
        for (const auto& key : record.DesktopKeyValues()) writer.Delete(keyType, key);
        // Only the rows the key matched when the table was read are known to be there.
        counts.desktopDeleted += static_cast<long>(record.DesktopKeyValues().size());
        return;
    }
    if (!record.PalmSource) return;
    if (writer.Exists(record)) {
        writer.Log("Updating Desktop Record. Key: " + record.PrimaryFieldValue, 2);
        writer.Update(record);
        ++counts.desktopChanged;
    } else {
        writer.Log("Adding New Desktop Record. Key: " + record.PrimaryFieldValue, 2);
        writer.Insert(record);
        ++counts.desktopAdded;
    }
    record.Written = true;
}

bool AsksTheDesktop(const clsDataRecord& record) {
    return !(record.RecordStatus & RecordDeleted) && record.PalmSource;
}

// A run of queued records, written as one batch where the writer can and no two of its keys
// might be one row (see LooseKeys.h). A batch that fails is undone and written again record by
// record, so that the sync fails at the same record, with the same error and the same log
// lines, as it would without batches.
void SaveDesktopRun(platform::TableSummary& counts, DesktopWriter& writer,
                    const std::vector<clsDataRecord*>& run,
                    const std::vector<const clsDataRecord*>& asking, bool keysApart) {
    if (!writer.CanBatch() || asking.size() < 2 || !keysApart) {
        for (clsDataRecord* record : run) SaveDesktopRecord(counts, writer, *record);
        return;
    }
    const platform::TableSummary before = counts;
    std::exception_ptr failure;
    try {
        writer.BeginBatch(asking);
        for (clsDataRecord* record : run) SaveDesktopRecord(counts, writer, *record);
        writer.EndBatch();
        return;
    } catch (...) {
        failure = std::current_exception();
    }
    bool undone = false;
    try {
        undone = writer.AbandonBatch();
    } catch (...) {
        std::rethrow_exception(failure);  // the error that started it is the one to report
    }
    counts = before;
    for (clsDataRecord* record : run) SaveDesktopRecord(counts, writer, *record);
    // Where the database would not undo the batch alone (a transaction that takes no statement
    // after an error, as with psqlODBC's "Protocol=7.4-1", or one a server rolled back after a
    // deadlock), the table's earlier writes are lost and it must not complete. The redo above
    // only names the record that fails; should none fail, the batch's own error ends the table.
    if (!undone) std::rethrow_exception(failure);
}

// Whether two distinct queue keys of the table's key field are two rows in any column the
// desktop may keep them in: the handheld's texts of numbers, dates and times differ in their
// digits, which no collation or number affinity makes alike, where two texts may be one row
// ("y" and "y " under RTRIM, "7" and "07" in an INTEGER column). SQLite keeps every number as
// it is given; MariaDB rounds a double into a DECIMAL or INTEGER column, so 7.4 written could
// be the row that 7 then finds, and there only whole numbers, dates and times qualify.
bool KeyDiffersAsItsText(const clsTable& table, DesktopDialect database) {
    if (table.Fields().Count() == 0) return false;
    switch (table.Fields().Item(1)->DataType) {
        case kTypeInteger:
        case kTypeShort:
        case kTypeDate:
        case kTypeTime:
            return true;
        case kTypeDouble:
        case kTypeSingle:
            return database == DesktopDialect::Sqlite;
        default:
            return false;
    }
}

// Whether the writer may take the table for one without rows, and spare asking which keys
// exist: the desktop read found it empty in the writing transaction, that read still stands,
// and the keys it writes are rows apart.
bool WritesIntoAnEmptyTable(SyncSession& session, const clsTable& table) {
    return session.DesktopReadNoRows && session.DesktopUndoesToSavepoint &&
           KeyDiffersAsItsText(table, session.Dialect.Database()) &&
           EmptyReadStandsUntilCommit(*session.DesktopConnection, session.Dialect, table);
}

}  // namespace

void SaveDesktopRecords(SyncSession& session, const clsTable& table, const colDataRecord& queue) {
    session.WriteLog("Saving Desktop Records: " + table.DesktopTableName, 2);
    // Batches need a transaction the table takes part in that a savepoint can partly undo.
    DesktopWriter writer(*session.DesktopConnection, session.Dialect, session.Log,
                         session.WorkFilters, table,
                         session.DesktopUndoesToSavepoint ? session.DesktopBatchRecords : 1);
    if (WritesIntoAnEmptyTable(session, table)) writer.StartsWithoutRows();
    const long total = queue.Count();
    long done = 0;
    std::vector<clsDataRecord*> run;
    std::vector<const clsDataRecord*> asking;  // the run's records whose row is looked for
    LooseKeys keys;                            // the keys the run writes
    bool keysApart = true;
    for (const auto& record : queue) {
        session.Progress.Report(table.DesktopTableName, "writing the desktop", ++done, total);
        run.push_back(record.get());
        if (AsksTheDesktop(*record)) asking.push_back(record.get());
        if (writer.CanBatch()) {
            const bool deleted = record->RecordStatus & RecordDeleted;
            if (AsksTheDesktop(*record) || (deleted && record->DesktopKeyValues().empty()))
                keysApart = keys.Add(record->PrimaryFieldValue) && keysApart;
            if (deleted)
                for (const auto& key : record->DesktopKeyValues())
                    keysApart = keys.Add(key) && keysApart;
        }
        if (asking.size() < writer.BatchRecords()) continue;
        SaveDesktopRun(session.Counts.Summary, writer, run, asking, keysApart);
        run.clear();
        asking.clear();
        keys.Clear();
        keysApart = true;
    }
    SaveDesktopRun(session.Counts.Summary, writer, run, asking, keysApart);
}

void SavePalmRecords(SyncSession& session, const clsTable& table, const colDataRecord& queue) {
    session.WriteLog("Saving PDA Records: " + table.DesktopTableName, 2);
    int32_t toWrite = 0;
    for (const auto& record : queue)
        if (!(record->RecordStatus & RecordDeleted)) ++toWrite;
    if (toWrite > kMaxHandheldRecords)
        throw SyncError(kErrOverflow,
                        "The handheld database " + table.PalmDatabaseName +
                            " can hold at most 65535 records; this sync would write " +
                            std::to_string(toWrite));
    auto& database = *session.PalmDatabase;
    long written = 0;
    for (const auto& record : queue) {
        if (record->RecordStatus & RecordDeleted) continue;
        session.Progress.Report(table.DesktopTableName, "writing the handheld", ++written, toWrite);
        if (session.DebugLevel() >= 4)
            session.WriteLog("Saving Record: Key=" + record->PrimaryFieldValue, 4);
        auto suffix = [&] { return table.PalmDatabaseName + " Key=" + record->PrimaryFieldValue; };
        std::string data = NamedOnFailure(
            session.ErrorStack, [&] { return "Error constucting Palm Record for " + suffix(); },
            [&] { return record->BuildPalmRecord(session.Log, session.ErrorStack); });
        // Counted before the database takes the bytes; a failed write discards the table's
        // counts with it.
        CountHandheldWrite(session.Counts, *record, data);
        NamedOnFailure(
            session.ErrorStack, [&] { return "Error writing record to Palm for " + suffix(); },
            [&] { return database.WriteRecord(0, 0, 0, std::move(data)); });
    }
}

}  // namespace tarn::conduit
