#include "conduit/sync/SyncDriver.h"

#include <exception>
#include <optional>
#include <stdexcept>

#include "common/config/ConfigFile.h"
#include "common/config/Scramble.h"
#include "common/model/CollectionErrors.h"
#include "common/model/DataTypes.h"
#include "conduit/log/DebugLevel.h"
#include "conduit/sync/DesktopDatabase.h"
#include "conduit/sync/DesktopDialect.h"
#include "conduit/sync/Filters.h"
#include "conduit/sync/ModuleState.h"
#include "conduit/sync/SyncCounts.h"
#include "conduit/sync/SyncError.h"
#include "conduit/sync/SyncOutcome.h"
#include "conduit/sync/Transfer.h"
#include "platform/Error.h"
#include "platform/suite/ConduitManager.h"
#include "platform/suite/HotSyncNotifier.h"
#include "platform/suite/SyncUtility.h"
#include "tarn/Version.h"
#include "text/Windows1252.h"

namespace tarn::conduit {
namespace {

enum SyncMethodCode : int16_t {
    kSynchronize = 0,
    kHandheldOverwritesDesktop = 2,
    kDesktopOverwritesHandheld = 3,
    kDoNothing = 6,
};

void WriteRecordDump(ModuleState& state, const clsTable& table, const colDataRecord& queue) {
    state.WriteLog("##### DUMP OF ALL RECORDS LOADED", 4);
    state.WriteLog("Table/Palm Database : " + table.DesktopTableName + "/" + table.PalmDatabaseName,
                   4);
    for (const auto& record : queue) {
        const int16_t keyType = record->FieldType(record->FieldIndex(record->PrimaryFieldName));
        std::string line = "Record: Key: " + record->PrimaryFieldName + "=" +
                           DataTypeName(keyType) + "(" + record->PrimaryFieldValue + ")";
        line +=
            std::string(" Status: Exists on Desktop=") + (record->PalmSource ? "False" : "True");
        for (std::size_t i = 0; i < record->FieldCount(); ++i)
            line += "\t" + record->FieldName(i) + "=" + DataTypeName(record->FieldType(i)) + "(" +
                    std::string(record->FieldValue(i)) + ") ";
        state.WriteLog(line, 4);
    }
    state.WriteLog("##### END OF DUMP", 4);
}

// The rows a purge is about to delete: one count for the whole table, as the rows themselves
// are never read. A count the database will not give is left out of the summary.
long RowsToPurge(ModuleState& state, const std::string& from) {
    try {
        auto rows = state.DesktopConnection->openResultSet("SELECT COUNT(*)" + from,
                                                           platform::odbc::CursorKind::ForwardOnly);
        if (rows->atEnd()) return 0;
        return std::stol(rows->value(std::size_t{0}).value_or("0"));
    } catch (const std::exception&) {
        return 0;
    }
}

void PurgeDesktop(ModuleState& state, const clsTable& table) {
    state.WriteLog("Purging all records from desktop", 2);
    const std::string from = " FROM " + state.LeftDelimiter + table.DesktopTableName +
                             state.RightDelimiter + BuildFilterClause(state, table, true);
    state.Counts.desktopDeleted += RowsToPurge(state, from);
    std::string sql = "DELETE" + from;
    state.WriteLog(sql, 4);
    state.DesktopConnection->execute(sql);
}

void RemoveAllPalmRecords(ModuleState& state) {
    if (state.PalmDatabase->RecordCount() > 0) state.PalmDatabase->RemoveAllRecords();
}

// A purge before the desktop overwrites the handheld leaves nothing there worth reading.
bool LoadsHandheld(const clsTable& table) {
    return !(table.SyncMethod == kDesktopOverwritesHandheld && table.PurgeBeforeSync);
}

// Runs one table's reads and writes; the caller commits or rolls back.
void RunTable(ModuleState& state, clsTable& table, colDataRecord& queue) {
    const int16_t method = table.SyncMethod;
    const bool purge = table.PurgeBeforeSync;
    queue.DesktopRowsReplaceDeletions = method == kDesktopOverwritesHandheld;
    if (LoadsHandheld(table)) LoadPalmRecords(state, table, queue);
    if (!(method == kHandheldOverwritesDesktop && purge)) LoadDesktopRecords(state, table, queue);
    if (purge && method == kDesktopOverwritesHandheld) {
        state.WriteLog("Purging all records from PDA", 2);
        RemoveAllPalmRecords(state);
    } else if (purge && method == kHandheldOverwritesDesktop) {
        PurgeDesktop(state, table);
    }
    if (state.DebugLevel() >= 4) WriteRecordDump(state, table, queue);
    if (method != kDesktopOverwritesHandheld) SaveDesktopRecords(state, table, queue);
    if (method != kHandheldOverwritesDesktop) {
        RemoveAllPalmRecords(state);
        SavePalmRecords(state, table, queue);
    }
}

// Undoes the table's desktop writes. The error that led here is the one to report, so a rollback
// that fails too (the connection is gone, say) adds nothing.
void RollBackQuietly(platform::odbc::Connection& connection) {
    try {
        connection.rollback();
    } catch (...) {
    }
}

// Closes what a synchronisation opened, however it ends, so the next one can open them again.
class OpenResources {
  public:
    explicit OpenResources(ModuleState& state) : state_(state) {}
    ~OpenResources() {
        state_.PalmDatabase.reset();
        state_.DesktopConnection.reset();
    }

  private:
    ModuleState& state_;
};

// A dry run must leave the desktop as it was, which only a transaction can promise. A table
// whose desktop cannot take part in one is left out rather than written.
void RefuseDryRun(ModuleState& state, const clsTable& table) {
    state.PalmDatabase.reset();
    const std::string reason = "Dry run: table " + table.DesktopTableName +
                               " was not synchronized: its desktop database cannot undo "
                               "changes (no transactions), so a dry run would write it";
    state.WriteLog(reason, 1);
    NoteFailure(state, reason);
}

void BailOut(ModuleState& state, const ErrorReport& error) {
    state.WriteLog("##### " + text::ToUpper(DescrambleString(state.Settings.ConduitTitle)) +
                       " - CONDUIT ERRROR #####",
                   1);
    if (state.ErrorStack.Count() > 0) state.WriteLog("!! " + state.ErrorStack.Peek(), 1);
    state.WriteLog("!! Bailing out now...", 1);
    state.WriteLog("!! Error Code:" + std::to_string(error.number) + " ####", 1);
    state.WriteLog("!! Error Description:" + error.description + " ####", 1);
    state.WriteLog("!! Synchronization did not complete successfully", 1);
}

}  // namespace

ErrorReport DescribeCurrentException() {
    try {
        throw;
    } catch (const NumberedError& e) {
        return {e.number(), e.description()};
    } catch (const DuplicateKeyError& e) {
        return {kErrDuplicateKey, e.what()};
    } catch (const KeyNotFoundError& e) {
        return {kErrInvalidArgument, e.what()};
    } catch (const IndexOutOfRangeError& e) {
        return {kErrOutOfRange, e.what()};
    } catch (const std::out_of_range& e) {
        return {kErrOutOfRange, e.what()};
    } catch (const std::bad_alloc&) {
        return {kErrOutOfMemory, "Out of memory"};
    } catch (const std::exception& e) {
        return {kErrInternal, e.what()};
    } catch (...) {
        return {kErrInternal, "Unknown error"};
    }
}

void SyncTable(ModuleState& state, clsTable& table) {
    if (!OpenPalmDatabase(state, table.PalmDatabaseName)) return;
    if (table.SyncMethod == kDoNothing) {
        state.PalmDatabase.reset();
        state.WriteLog("Table is set not to sync: " + table.PalmDatabaseName, 2);
        return;
    }
    colDataRecord queue;
    const bool writesDesktop = table.SyncMethod != kDesktopOverwritesHandheld;
    const bool writesHandheld = table.SyncMethod != kHandheldOverwritesDesktop;
    const std::optional<bool> tableTakesTransactions =
        writesDesktop ? TableTakesTransactions(state, table) : std::optional<bool>(true);
    if (state.DryRun && tableTakesTransactions != true) {
        RefuseDryRun(state, table);
        return;
    }
    const bool inTransaction = writesDesktop && state.DesktopConnection->beginTransaction();
    if (state.DryRun && writesDesktop && !inTransaction) {
        RefuseDryRun(state, table);
        return;
    }
    // Batched writes undo a failed batch to a savepoint, which only a transaction the table
    // takes part in can do, on a database known to have savepoints.
    state.DesktopUndoesToSavepoint =
        inTransaction && tableTakesTransactions == true && state.Dialect != DesktopDialect::Other;
    try {
        BeginTableCounts(state, table, writesHandheld, LoadsHandheld(table));
        RunTable(state, table, queue);
        // The new handheld file is on disk before the desktop commits, so that nothing but a
        // rename can fail once the desktop is changed.
        ErrorContext preparing(state.ErrorStack,
                               "Error preparing Palm database " + table.PalmDatabaseName);
        state.PalmDatabase->Prepare();
        preparing.Done();
        if (state.DryRun) {
            // Everything a real sync would do has been done and can fail as it would; now
            // neither side keeps any of it.
            if (inTransaction) state.DesktopConnection->rollback();
            EndTableCounts(state, queue, writesHandheld);
            state.PalmDatabase->Discard();
            state.PalmDatabase.reset();
            return;
        }
        if (inTransaction) {
            ErrorContext committing(state.ErrorStack,
                                    "Error committing desktop table " + table.DesktopTableName);
            state.DesktopConnection->commit();
            committing.Done();
        }
    } catch (...) {
        // Neither side keeps a half-written table: the desktop writes are undone (also when the
        // commit itself failed) and the prepared handheld file is thrown away.
        state.PalmDatabase->Discard();
        state.PalmDatabase.reset();
        if (inTransaction) RollBackQuietly(*state.DesktopConnection);
        throw;
    }
    // A failure here leaves the desktop committed and the handheld as it was; the next sync
    // brings the handheld up to date.
    ErrorContext publishing(state.ErrorStack,
                            "Error publishing Palm database " + table.PalmDatabaseName);
    state.PalmDatabase->Publish();
    publishing.Done();
    EndTableCounts(state, queue, writesHandheld);
}

void Synchronize(ModuleState& state) {
    auto& platform = state.Platform;
    if (!platform.Notifier().IsHotSyncRunning()) {
        platform.ShowMessage("Sync not in progress");
        return;
    }
    BeginOutcome(state);
    state.Log.DebugLevel = GetDebugLevel(platform.Registry());
    state.WriteLog(std::string("Tarn Conduit ") + kVersionText, 1);
    state.WriteLog("Super User Mode", 4);
    state.WriteLog("Debugging Error Level: " + std::to_string(state.DebugLevel()), 2);
    state.WriteLog("Starting Synchronization", 1);

    auto syncInformation = platform.SyncUtility().GetSyncInformation();
    state.DryRun = syncInformation->DryRun();
    state.WriteLog("Getting Conduit Data", 2);
    auto registration = platform.ConduitManager().Lookup(syncInformation->RunningCreatorId());
    state.ConfigPath = registration.directory + registration.file;

    // A description deleted or made unreadable since registration is reported as what it is,
    // not read as an empty description that then fails further on for another reason.
    std::string readError;
    if (!ReadExistingConfigFile(state.ConfigPath, state.Settings, state.Tables, &readError)) {
        state.WriteLog("Error loading configuration file " + state.ConfigPath, 1);
        state.WriteLog(readError, 1);
        NoteFailure(state,
                    "Error loading configuration file " + state.ConfigPath + ": " + readError);
        ReportOutcome(state);
        return;
    }
    OpenResources resources(state);
    if (!OpenDesktopDatabase(state, state.Settings)) {
        state.WriteLog("Connection to desktop database failed", 2);
        ReportOutcome(state);
        return;
    }
    state.ConfigCreatorID = DescrambleString(state.Settings.CreatorID);

    std::string running = platform.ConduitManager().CreatorIdToText(
        platform.SyncUtility().GetSyncInformation()->RunningCreatorId());
    if (running != state.ConfigCreatorID) {
        state.WriteLog("The Tarn Configuration file contains the wrong Creator ID", 1);
        const std::string detail = state.ConfigPath + " describes Creator ID \"" +
                                   state.ConfigCreatorID + "\", not the running \"" + running +
                                   "\"";
        state.WriteLog(detail, 1);
        NoteFailure(state, "The Tarn Configuration file contains the wrong Creator ID: " + detail);
        ReportOutcome(state);
        return;
    }
    state.WriteLog("Using Creator ID " + state.ConfigCreatorID, 2);
    LoadFilters(state);

    std::string tableName;
    try {
        for (const auto& table : state.Tables) {
            tableName = table->DesktopTableName;
            SyncTable(state, *table);
        }
    } catch (...) {
        ErrorReport error = DescribeCurrentException();
        BailOut(state, error);
        NoteFailure(state, "table " + tableName + " bailed out: " + error.description + " (error " +
                               std::to_string(error.number) + ")");
        WriteSummaryLines(state);
        ReportOutcome(state);
        return;
    }
    state.WriteLog("Completed Synchronization", 1);
    WriteSummaryLines(state);
    ReportOutcome(state);
}

}  // namespace tarn::conduit
