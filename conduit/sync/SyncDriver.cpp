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
#include "conduit/sync/SyncSession.h"
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

void WriteRecordDump(HotSyncLog& log, const clsTable& table, const colDataRecord& queue) {
    log.WriteLog("##### DUMP OF ALL RECORDS LOADED", 4);
    log.WriteLog("Table/Palm Database : " + table.DesktopTableName + "/" + table.PalmDatabaseName,
                 4);
    for (const auto& record : queue) {
        const int16_t keyType = record->FieldType(record->FieldIndex(record->PrimaryFieldName()));
        std::string line = "Record: Key: " + record->PrimaryFieldName() + "=" +
                           DataTypeName(keyType) + "(" + record->PrimaryFieldValue + ")";
        line +=
            std::string(" Status: Exists on Desktop=") + (record->PalmSource ? "False" : "True");
        for (std::size_t i = 0; i < record->FieldCount(); ++i)
            line += "\t" + record->FieldName(i) + "=" + DataTypeName(record->FieldType(i)) + "(" +
                    std::string(record->FieldValue(i)) + ") ";
        log.WriteLog(line, 4);
    }
    log.WriteLog("##### END OF DUMP", 4);
}

// The rows a purge is about to delete: one count for the whole table, as the rows themselves
// are never read. A count the database will not give is left out of the summary.
long RowsToPurge(platform::odbc::Connection& connection, const std::string& from) {
    try {
        auto rows = connection.OpenResultSet("SELECT COUNT(*)" + from,
                                             platform::odbc::CursorKind::ForwardOnly);
        if (rows->AtEnd()) return 0;
        return std::stol(rows->Value(std::size_t{0}).value_or("0"));
    } catch (const std::exception&) {
        return 0;
    }
}

void PurgeDesktop(SyncSession& session, const clsTable& table) {
    session.WriteLog("Purging all records from desktop", 2);
    const std::string from =
        " FROM " + session.Dialect.Identifier(table.DesktopTableName) +
        BuildFilterClause(session.WorkFilters, session.Dialect, session.Log, table, true);
    session.Counts.Summary.desktopDeleted += RowsToPurge(*session.DesktopConnection, from);
    std::string sql = "DELETE" + from;
    session.WriteLog(sql, 4);
    session.DesktopConnection->Execute(sql);
}

void RemoveAllPalmRecords(platform::palm::RecordDatabase& database) {
    if (database.RecordCount() > 0) database.RemoveAllRecords();
}

// A purge before the desktop overwrites the handheld leaves nothing there worth reading.
bool LoadsHandheld(const clsTable& table) {
    return !(table.SyncMethod == kDesktopOverwritesHandheld && table.PurgeBeforeSync);
}

// Runs one table's reads and writes; the caller commits or rolls back.
void RunTable(SyncSession& session, clsTable& table, colDataRecord& queue) {
    const int16_t method = table.SyncMethod;
    const bool purge = table.PurgeBeforeSync;
    queue.DesktopRowsReplaceDeletions = method == kDesktopOverwritesHandheld;
    session.DesktopReadNoRows = false;
    if (LoadsHandheld(table)) LoadPalmRecords(session, table, queue);
    if (!(method == kHandheldOverwritesDesktop && purge)) LoadDesktopRecords(session, table, queue);
    if (purge && method == kDesktopOverwritesHandheld) {
        session.WriteLog("Purging all records from PDA", 2);
        RemoveAllPalmRecords(*session.PalmDatabase);
    } else if (purge && method == kHandheldOverwritesDesktop) {
        PurgeDesktop(session, table);
    }
    if (session.DebugLevel() >= 4) WriteRecordDump(session.Log, table, queue);
    if (method != kDesktopOverwritesHandheld) SaveDesktopRecords(session, table, queue);
    if (method != kHandheldOverwritesDesktop) {
        RemoveAllPalmRecords(*session.PalmDatabase);
        SavePalmRecords(session, table, queue);
    }
}

// Undoes the table's desktop writes. The error that led here is the one to report, so a rollback
// that fails too (the connection is gone, say) adds nothing.
void RollBackQuietly(platform::odbc::Connection& connection) {
    try {
        connection.Rollback();
    } catch (...) {
    }
}

// A dry run must leave the desktop as it was, which only a transaction can promise. A table
// whose desktop cannot take part in one is left out rather than written.
void RefuseDryRun(SyncSession& session, const clsTable& table) {
    session.PalmDatabase.reset();
    const std::string reason = "Dry run: table " + table.DesktopTableName +
                               " was not synchronized: its desktop database cannot undo "
                               "changes (no transactions), so a dry run would write it";
    session.WriteLog(reason, 1);
    NoteFailure(session.Outcome, reason);
}

void BailOut(SyncSession& session, const ErrorReport& error) {
    session.WriteLog("##### " + text::ToUpper(DescrambleString(session.Settings.ConduitTitle)) +
                         " - CONDUIT ERRROR #####",
                     1);
    if (session.ErrorStack.Count() > 0) session.WriteLog("!! " + session.ErrorStack.Peek(), 1);
    session.WriteLog("!! Bailing out now...", 1);
    session.WriteLog("!! Error Code:" + std::to_string(error.number) + " ####", 1);
    session.WriteLog("!! Error Description:" + error.description + " ####", 1);
    session.WriteLog("!! Synchronization did not complete successfully", 1);
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

void SyncTable(SyncSession& session, clsTable& table) {
    if (!OpenPalmDatabase(session, table.PalmDatabaseName)) return;
    if (table.SyncMethod == kDoNothing) {
        session.PalmDatabase.reset();
        session.WriteLog("Table is set not to sync: " + table.PalmDatabaseName, 2);
        return;
    }
    colDataRecord queue;
    const bool writesDesktop = table.SyncMethod != kDesktopOverwritesHandheld;
    const bool writesHandheld = table.SyncMethod != kHandheldOverwritesDesktop;
    const std::optional<bool> tableTakesTransactions =
        writesDesktop ? TableTakesTransactions(*session.DesktopConnection, session.Dialect,
                                               session.Log, table)
                      : std::optional<bool>(true);
    if (session.DryRun && tableTakesTransactions != true) {
        RefuseDryRun(session, table);
        return;
    }
    const bool inTransaction = writesDesktop && session.DesktopConnection->BeginTransaction();
    if (session.DryRun && writesDesktop && !inTransaction) {
        RefuseDryRun(session, table);
        return;
    }
    // Batched writes undo a failed batch to a savepoint, which only a transaction the table
    // takes part in can do, on a database known to have savepoints.
    session.DesktopUndoesToSavepoint = inTransaction && tableTakesTransactions == true &&
                                       session.Dialect.Database() != DesktopDialect::Other;
    try {
        BeginTableCounts(session.Counts, table, *session.PalmDatabase, session.ErrorStack,
                         writesHandheld, LoadsHandheld(table));
        RunTable(session, table, queue);
        // The new handheld file is on disk before the desktop commits, so that nothing but a
        // rename can fail once the desktop is changed.
        ErrorContext preparing(session.ErrorStack,
                               "Error preparing Palm database " + table.PalmDatabaseName);
        session.PalmDatabase->Prepare();
        preparing.Done();
        if (session.DryRun) {
            // Everything a real sync would do has been done and can fail as it would; now
            // neither side keeps any of it.
            if (inTransaction) session.DesktopConnection->Rollback();
            EndTableCounts(session.Counts, queue, writesHandheld, session.Outcome.Summaries);
            session.PalmDatabase->Discard();
            session.PalmDatabase.reset();
            return;
        }
        if (inTransaction) {
            ErrorContext committing(session.ErrorStack,
                                    "Error committing desktop table " + table.DesktopTableName);
            session.DesktopConnection->Commit();
            committing.Done();
        }
    } catch (...) {
        // Neither side keeps a half-written table: the desktop writes are undone (also when the
        // commit itself failed) and the prepared handheld file is thrown away.
        session.PalmDatabase->Discard();
        session.PalmDatabase.reset();
        if (inTransaction) RollBackQuietly(*session.DesktopConnection);
        throw;
    }
    // A failure here leaves the desktop committed and the handheld as it was; the next sync
    // brings the handheld up to date.
    ErrorContext publishing(session.ErrorStack,
                            "Error publishing Palm database " + table.PalmDatabaseName);
    session.PalmDatabase->Publish();
    publishing.Done();
    EndTableCounts(session.Counts, queue, writesHandheld, session.Outcome.Summaries);
}

void Synchronize(ModuleState& state) {
    auto& platform = state.Platform;
    if (!platform.Notifier().IsHotSyncRunning()) {
        platform.ShowMessage("Sync not in progress");
        return;
    }
    SyncSession session(state);
    auto reportOutcome = [&] { ReportOutcome(session.Outcome, platform.SyncUtility()); };
    session.Log.DebugLevel = GetDebugLevel(platform.Registry());
    session.WriteLog(std::string("Tarn Conduit ") + kVersionText, 1);
    session.WriteLog("Super User Mode", 4);
    session.WriteLog("Debugging Error Level: " + std::to_string(session.DebugLevel()), 2);
    session.WriteLog("Starting Synchronization", 1);

    // What the host says of this HotSync is read once; it does not change while the sync runs.
    auto syncInformation = platform.SyncUtility().GetSyncInformation();
    session.DryRun = syncInformation->DryRun();
    session.WriteLog("Getting Conduit Data", 2);
    session.RunningCreatorId = syncInformation->RunningCreatorId();
    auto registration = platform.ConduitManager().Lookup(session.RunningCreatorId);
    session.ConfigPath = registration.directory + registration.file;
    state.ConfigPath = session.ConfigPath;

    // A description deleted or made unreadable since registration is reported as what it is,
    // not read as an empty description that then fails further on for another reason.
    std::string readError;
    if (!ReadExistingConfigFile(session.ConfigPath, session.Settings, session.Tables, &readError)) {
        session.WriteLog("Error loading configuration file " + session.ConfigPath, 1);
        session.WriteLog(readError, 1);
        NoteFailure(session.Outcome,
                    "Error loading configuration file " + session.ConfigPath + ": " + readError);
        reportOutcome();
        return;
    }
    session.Progress.SetConduit(DescrambleString(session.Settings.ConduitTitle));
    if (!OpenDesktopDatabase(session, session.Settings)) {
        session.WriteLog("Connection to desktop database failed", 2);
        reportOutcome();
        return;
    }
    session.ConfigCreatorID = DescrambleString(session.Settings.CreatorID);

    std::string running = platform.ConduitManager().CreatorIdToText(session.RunningCreatorId);
    if (running != session.ConfigCreatorID) {
        session.WriteLog("The Tarn Configuration file contains the wrong Creator ID", 1);
        const std::string detail = session.ConfigPath + " describes Creator ID \"" +
                                   session.ConfigCreatorID + "\", not the running \"" + running +
                                   "\"";
        session.WriteLog(detail, 1);
        NoteFailure(session.Outcome,
                    "The Tarn Configuration file contains the wrong Creator ID: " + detail);
        reportOutcome();
        return;
    }
    session.WriteLog("Using Creator ID " + session.ConfigCreatorID, 2);
    LoadFilters(session);

    std::string tableName;
    try {
        for (const auto& table : session.Tables) {
            tableName = table->DesktopTableName;
            SyncTable(session, *table);
        }
    } catch (...) {
        ErrorReport error = DescribeCurrentException();
        BailOut(session, error);
        NoteFailure(session.Outcome, "table " + tableName + " bailed out: " + error.description +
                                         " (error " + std::to_string(error.number) + ")");
        WriteSummaryLines(session.Log, session.Outcome.Summaries, session.DryRun);
        reportOutcome();
        return;
    }
    session.WriteLog("Completed Synchronization", 1);
    WriteSummaryLines(session.Log, session.Outcome.Summaries, session.DryRun);
    reportOutcome();
}

}  // namespace tarn::conduit
