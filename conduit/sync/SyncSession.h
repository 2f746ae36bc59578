#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "common/config/ConduitSettings.h"
#include "common/model/clsTable.h"
#include "conduit/log/ErrorStack.h"
#include "conduit/log/HotSyncLog.h"
#include "conduit/sync/Filters.h"
#include "conduit/sync/SqlDialect.h"
#include "conduit/sync/SyncCounts.h"
#include "conduit/sync/SyncOutcome.h"
#include "conduit/sync/SyncPlatform.h"
#include "conduit/sync/SyncProgress.h"
#include "platform/odbc/Database.h"
#include "platform/palm/RecordDatabase.h"

namespace tarn::platform::palm {
class HandheldFolder;
}

namespace tarn::conduit {

struct ModuleState;

// What one synchronisation uses, from the moment the driver knows a HotSync is running until
// it has told the host how it ended. Made by Synchronize and gone with it, so that nothing of
// one sync (its connection, quoting, error contexts, counts) leaks into the next; its end
// closes the handheld database and then the desktop connection, however the sync ends. The steps
// that need many of these pieces take the session; the leaf functions take only the pieces
// they use.
struct SyncSession {
    // Takes from the module what outlives a sync: the platform, the filters loaded so far,
    // the batch size.
    explicit SyncSession(ModuleState& module);
    SyncSession(const SyncSession&) = delete;
    SyncSession& operator=(const SyncSession&) = delete;

    SyncPlatform& Platform;
    HotSyncLog Log;  // carries DebugLevel, read from the registry as the sync starts
    clsErrorStack ErrorStack;

    // Read for this sync: the description file and what the host says of the HotSync.
    std::string ConfigPath;
    ConduitSettings Settings;  // text settings stay scrambled
    colTables Tables;
    std::string ConfigCreatorID;
    std::uint32_t RunningCreatorId = 0;
    // A dry run: every table runs in full, then its desktop transaction is rolled back and its
    // handheld database discarded.
    bool DryRun = false;

    std::unique_ptr<platform::odbc::Connection> DesktopConnection;
    // Set once when the desktop database is opened.
    SqlDialect Dialect;
    // The table in progress's; declared after the connection, so that it is closed first.
    std::unique_ptr<platform::palm::RecordDatabase> PalmDatabase;

    // The module's filters: a filter loaded by an earlier sync of this process keeps its value.
    colFilters& WorkFilters;

    // The handheld records one batch of desktop writes covers; 1 writes record by record, 0
    // takes the size that pays on the database.
    std::size_t DesktopBatchRecords;
    // Whether the table in progress writes the desktop inside a transaction that a savepoint can
    // partly undo, which batched writes need (set per table by SyncTable).
    bool DesktopUndoesToSavepoint = false;
    // Whether the table in progress was read whole, without a filter, and held no row at all
    // (set by LoadDesktopRecords, cleared for every table by RunTable).
    bool DesktopReadNoRows = false;

    SyncOutcome Outcome;
    TableCounts Counts;  // the table in progress
    ProgressReporter Progress;

    // The databases of the handheld being synchronised. The host's session is asked for them
    // once per sync, on first use; throws PlatformError outside a HotSync.
    platform::palm::HandheldFolder& Handheld();

    std::int32_t DebugLevel() const { return Log.DebugLevel; }
    void WriteLog(const std::string& text, std::int32_t level) { Log.WriteLog(text, level); }

  private:
    platform::palm::HandheldFolder* handheld_ = nullptr;
};

}  // namespace tarn::conduit
