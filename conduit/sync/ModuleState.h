#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/config/ConduitSettings.h"
#include "common/model/clsTable.h"
#include "conduit/log/ErrorStack.h"
#include "conduit/log/HotSyncLog.h"
#include "conduit/sync/DesktopDialect.h"
#include "conduit/sync/Filters.h"
#include "conduit/sync/SyncPlatform.h"
#include "platform/odbc/Database.h"
#include "platform/palm/RecordDatabase.h"
#include "platform/suite/ConduitOutcome.h"

namespace tarn::conduit {

// What the conduit library keeps between calls while it is loaded: created on first use and
// never reset between synchronisations.
struct ModuleState {
    explicit ModuleState(SyncPlatform& platform);

    SyncPlatform& Platform;

    std::string ConfigPath;
    ConduitSettings Settings;  // text settings stay scrambled
    colTables Tables;
    HotSyncLog Log;  // carries DebugLevel
    clsErrorStack ErrorStack;
    std::string ConfigCreatorID;

    std::unique_ptr<platform::odbc::Connection> DesktopConnection;
    std::unique_ptr<platform::palm::RecordDatabase> PalmDatabase;

    // Identifier delimiters and value quoting found for the open desktop database.
    std::string LeftDelimiter;
    std::string RightDelimiter;
    std::string QuoteCharacter;
    std::string EscapeCharacter;
    // Which database the connection reaches, where the engine must know (see DesktopDialect.h).
    DesktopDialect Dialect = DesktopDialect::Other;

    colFilters WorkFilters;

    // Whether the table in progress writes the desktop inside a transaction that a savepoint can
    // partly undo, which batched writes need (set per table by SyncTable).
    bool DesktopUndoesToSavepoint = false;
    // The handheld records one batch of desktop writes covers; 1 writes record by record.
    std::size_t DesktopBatchRecords = 128;

    // Why the synchronisation in progress will not complete (SyncOutcome.h).
    std::vector<std::string> Failures;

    // A dry run: every table runs in full, then its desktop transaction is rolled back and its
    // handheld database discarded.
    bool DryRun = false;
    // What each table did, and the table in progress (SyncCounts.h).
    std::vector<platform::TableSummary> Summaries;
    platform::TableSummary Counts;
    // The handheld records as the table's sync found them: record order key -> a digest of the
    // record's bytes (their length and hash), which tells a rewritten record from an unchanged
    // one without keeping a second copy of the whole database.
    std::unordered_map<std::string, std::pair<std::size_t, std::size_t>> HandheldBefore;
    // Where the table's sync loads the handheld records anyway, each queued one carries its
    // own digest instead (clsDataRecord::HandheldBefore), and these count the records noted
    // so and those of them written back.
    bool HandheldNotedOnLoad = false;
    long HandheldNoted = 0;
    long HandheldWrittenBack = 0;
    // When the host last heard how far the sync has come (SyncProgress.h).
    std::chrono::steady_clock::time_point LastProgress;

    int32_t DebugLevel() const { return Log.DebugLevel; }
    void WriteLog(const std::string& text, int32_t level) { Log.WriteLog(text, level); }
};

// Pushes an error context for the life of a step and pops it only when the step completes, so
// that after a failure the context stays on the stack for the bail-out to report.
class ErrorContext {
  public:
    ErrorContext(clsErrorStack& stack, const std::string& context) : stack_(stack) {
        stack_.Push(context);
    }
    void Done() {
        if (!done_) stack_.Pop();
        done_ = true;
    }

  private:
    clsErrorStack& stack_;
    bool done_ = false;
};

}  // namespace tarn::conduit
