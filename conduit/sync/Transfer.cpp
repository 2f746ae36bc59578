#include "conduit/sync/Transfer.h"

#include <exception>
#include <vector>

#include "common/config/Scramble.h"
#include "common/model/DataTypes.h"
#include "conduit/sync/DesktopDatabase.h"
#include "conduit/sync/DesktopDialect.h"
#include "conduit/sync/DesktopWriter.h"
#include "conduit/sync/Filters.h"
#include "conduit/sync/LooseKeys.h"
#include "conduit/sync/ModuleState.h"
#include "conduit/sync/SqlParameters.h"
#include "conduit/sync/SyncCounts.h"
#include "conduit/sync/SyncError.h"
#include "conduit/sync/SyncOutcome.h"
#include "conduit/sync/SyncProgress.h"
#include "conduit/sync/TarnFunc.h"
#include "platform/Error.h"
#include "platform/palm/HandheldFolder.h"
#include "platform/palm/PalmErrors.h"

namespace tarn::conduit {
namespace {

// The most records a handheld database can hold: its record count is 16 bits.
constexpr int32_t kMaxHandheldRecords = 65535;

}  // namespace

std::string KeyCondition(const ModuleState& state, int16_t keyType, const std::string& key) {
    // A numeric key compares as a number. Any other key is a quoted literal: a bare date, time
    // or signature text would be read as an expression, or worse, as SQL of the handheld's
    // choosing.
    if (IsNumericType(keyType) && ParseNumber(key)) return "=" + key;
    return "='" + EscapeValue(state, key) + "'";
}

std::string KeyCondition(const ModuleState& state, const clsDataRecord& record) {
    return KeyCondition(state, record.FieldType(0), record.PrimaryFieldValue);
}

bool OpenPalmDatabase(ModuleState& state, const std::string& name) {
    state.PalmDatabase.reset();
    auto& handheld = state.Platform.Handheld();
    try {
        state.PalmDatabase =
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
        database.creator = state.ConfigCreatorID;
        database.type = "DATA";
        state.PalmDatabase =
            state.DryRun
                ? handheld.PreviewNewRecordDatabase(database, platform::palm::kOpenReadWriteSecret)
                : handheld.CreateRecordDatabase(database, platform::palm::kOpenReadWriteSecret);
    } catch (const std::exception& error) {
        createError = error.what();
    }
    state.WriteLog("Creating database " + name, 2);
    if (!state.PalmDatabase) {
        state.WriteLog("Can not find palm database " + name, 1);
        state.WriteLog(createError, 1);
        NoteFailure(state, "Can not find palm database " + name + ": " + createError);
        return false;
    }
    return true;
}

void LoadPalmRecords(ModuleState& state, const clsTable& table, colDataRecord& queue) {
    state.WriteLog("Loading Palm Database: " + table.PalmDatabaseName, 2);
    auto& database = *state.PalmDatabase;
    database.SetIterationIndex(0);
    long count = 0;
    const long total = static_cast<long>(database.RecordCount());
    if (total > 0) {
        auto record = database.ReadNext();
        while (!database.EndOfData()) {
            auto decoded = colDataRecord::DecodePalmRecord(state, table.Fields(), record.data);
            NoteHandheldRecord(state, *decoded, record.data);
            queue.AdmitPalmRecord(state, std::move(decoded));
            ++count;
            ReportProgress(state, table.DesktopTableName, "reading the handheld", count, total);
            record = database.ReadNext();
        }
    }
    state.WriteLog("Records from Palm: " + std::to_string(count), 2);
}

void LoadDesktopRecords(ModuleState& state, const clsTable& table, colDataRecord& queue) {
    state.WriteLog("Loading Desktop Table: " + table.DesktopTableName, 2);
    ErrorContext context(state.ErrorStack,
                         "Error getting data from desktop table" + table.DesktopTableName);
    std::string sql = "SELECT *" + ExactNumberColumns(state, table) + " FROM " +
                      Identifier(state, table.DesktopTableName) +
                      BuildFilterClause(state, table, true);
    // Read once from start to end before anything is written: a forward-only cursor is all it
    // takes, and lets a driver hand over the rows as they come rather than all at once.
    auto rows =
        state.DesktopConnection->openResultSet(sql, platform::odbc::CursorKind::ForwardOnly);
    long count = 0;
    long withoutKey = 0;
    while (!rows->atEnd()) {
        if (!queue.AddDesktopRecord(state, table.Fields(), *rows)) ++withoutKey;
        ++count;
        ReportProgress(state, table.DesktopTableName, "reading the desktop", count, 0);
        rows->next();
    }
    state.WriteLog("Records from Desktop Database: " + std::to_string(count), 2);
    if (withoutKey > 0)
        state.WriteLog("Skipped " + std::to_string(withoutKey) + " desktop rows of " +
                           table.DesktopTableName +
                           " whose key is empty: the handheld cannot tell them apart",
                       1);
    context.Done();
}

namespace {

// Runs one record's step with `context` on the error stack should it fail, beneath whatever
// the step itself pushed, as an ErrorContext around it would leave it; the text is composed
// only on failure, not once per record.
template <typename Context, typename Step>
auto NamedOnFailure(ModuleState& state, Context context, Step step) {
    const int32_t depth = state.ErrorStack.Count();
    try {
        return step();
    } catch (...) {
        std::vector<std::string> inner;
        while (state.ErrorStack.Count() > depth) inner.push_back(state.ErrorStack.Pop());
        state.ErrorStack.Push(context());
        for (auto entry = inner.rbegin(); entry != inner.rend(); ++entry)
            state.ErrorStack.Push(*entry);
        throw;
    }
}

// One queued record's desktop write.
void SaveDesktopRecord(ModuleState& state, DesktopWriter& writer, clsDataRecord& record) {
    if (record.RecordStatus & RecordDeleted) {
        writer.Log("Deleting Desktop Record", 2);
        const int16_t keyType = record.FieldType(0);
        // The rows the key matched when the table was read, each by its own key text; a key no
        // row matched is deleted as the handheld spells it.
        if (record.DesktopKeyValues.empty()) writer.Delete(keyType, record.PrimaryFieldValue);
        for (const auto& key : record.DesktopKeyValues) writer.Delete(keyType, key);
        // Only the rows the key matched when the table was read are known to be there.
        state.Counts.desktopDeleted += static_cast<long>(record.DesktopKeyValues.size());
        return;
    }
    if (!record.PalmSource) return;
    if (writer.Exists(record)) {
        writer.Log("Updating Desktop Record. Key: " + record.PrimaryFieldValue, 2);
        writer.Update(record);
        ++state.Counts.desktopChanged;
    } else {
        writer.Log("Adding New Desktop Record. Key: " + record.PrimaryFieldValue, 2);
        writer.Insert(record);
        ++state.Counts.desktopAdded;
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
void SaveDesktopRun(ModuleState& state, DesktopWriter& writer,
                    const std::vector<clsDataRecord*>& run,
                    const std::vector<const clsDataRecord*>& asking, bool keysApart) {
    if (!writer.CanBatch() || asking.size() < 2 || !keysApart) {
        for (clsDataRecord* record : run) SaveDesktopRecord(state, writer, *record);
        return;
    }
    const platform::TableSummary counts = state.Counts;
    std::exception_ptr failure;
    try {
        writer.BeginBatch(asking);
        for (clsDataRecord* record : run) SaveDesktopRecord(state, writer, *record);
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
    state.Counts = counts;
    for (clsDataRecord* record : run) SaveDesktopRecord(state, writer, *record);
    // Where the database would not undo the batch alone (a transaction that takes no statement
    // after an error, as with psqlODBC's "Protocol=7.4-1", or one a server rolled back after a
    // deadlock), the table's earlier writes are lost and it must not complete. The redo above
    // only names the record that fails; should none fail, the batch's own error ends the table.
    if (!undone) std::rethrow_exception(failure);
}

}  // namespace

void SaveDesktopRecords(ModuleState& state, const clsTable& table, const colDataRecord& queue) {
    state.WriteLog("Saving Desktop Records: " + table.DesktopTableName, 2);
    DesktopWriter writer(state, table);
    const long total = queue.Count();
    long done = 0;
    std::vector<clsDataRecord*> run;
    std::vector<const clsDataRecord*> asking;  // the run's records whose row is looked for
    LooseKeys keys;                            // the keys the run writes
    bool keysApart = true;
    for (const auto& record : queue) {
        ReportProgress(state, table.DesktopTableName, "writing the desktop", ++done, total);
        run.push_back(record.get());
        if (AsksTheDesktop(*record)) asking.push_back(record.get());
        if (writer.CanBatch()) {
            const bool deleted = record->RecordStatus & RecordDeleted;
            if (AsksTheDesktop(*record) || (deleted && record->DesktopKeyValues.empty()))
                keysApart = keys.Add(record->PrimaryFieldValue) && keysApart;
            if (deleted)
                for (const auto& key : record->DesktopKeyValues)
                    keysApart = keys.Add(key) && keysApart;
        }
        if (asking.size() < writer.BatchRecords()) continue;
        SaveDesktopRun(state, writer, run, asking, keysApart);
        run.clear();
        asking.clear();
        keys.Clear();
        keysApart = true;
    }
    SaveDesktopRun(state, writer, run, asking, keysApart);
}

void SavePalmRecords(ModuleState& state, const clsTable& table, const colDataRecord& queue) {
    state.WriteLog("Saving PDA Records: " + table.DesktopTableName, 2);
    int32_t toWrite = 0;
    for (const auto& record : queue)
        if (!(record->RecordStatus & RecordDeleted)) ++toWrite;
    if (toWrite > kMaxHandheldRecords)
        throw SyncError(kErrOverflow,
                        "The handheld database " + table.PalmDatabaseName +
                            " can hold at most 65535 records; this sync would write " +
                            std::to_string(toWrite));
    auto& database = *state.PalmDatabase;
    long written = 0;
    for (const auto& record : queue) {
        if (record->RecordStatus & RecordDeleted) continue;
        ReportProgress(state, table.DesktopTableName, "writing the handheld", ++written, toWrite);
        if (state.DebugLevel() >= 4)
            state.WriteLog("Saving Record: Key=" + record->PrimaryFieldValue, 4);
        auto suffix = [&] { return table.PalmDatabaseName + " Key=" + record->PrimaryFieldValue; };
        std::string data = NamedOnFailure(
            state, [&] { return "Error constucting Palm Record for " + suffix(); },
            [&] { return record->BuildPalmRecord(state); });
        NamedOnFailure(
            state, [&] { return "Error writing record to Palm for " + suffix(); },
            [&] { return database.WriteRecord(0, 0, 0, data); });
        CountHandheldWrite(state, *record, data);
    }
}

}  // namespace tarn::conduit
