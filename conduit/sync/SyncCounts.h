#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/model/clsTable.h"
#include "conduit/log/ErrorStack.h"
#include "conduit/log/HotSyncLog.h"
#include "conduit/sync/DataRecord.h"
#include "platform/suite/ConduitOutcome.h"

namespace tarn::platform::palm {
class RecordDatabase;
}

namespace tarn::conduit {

// What a table's sync does to each side, counted where the writes happen: the desktop writes
// count themselves (Transfer.cpp), and the handheld side compares the records written with the
// records the sync found there. A dry run counts the same, so its figures are what a real sync
// right after it reports.
struct TableCounts {
    platform::TableSummary Summary;
    // The handheld records as the table's sync found them: record order key -> a digest of the
    // record's bytes, which tells a rewritten record from an unchanged one without keeping a
    // second copy of the whole database.
    std::unordered_map<std::string, RecordDigest> HandheldBefore;
    // Where the table's sync loads the handheld records anyway, each queued one carries its
    // own digest instead (clsDataRecord::HandheldBefore), and these count the records noted
    // so and those of them written back.
    bool HandheldNotedOnLoad = false;
    long HandheldNoted = 0;
    long HandheldWrittenBack = 0;
};

// Starts the counts of a table; `handheldRewritten` when its sync method rebuilds the handheld
// database, whose records are then kept to compare against. `handheldLoaded` when the table's
// sync reads the handheld records anyway: each is then noted as it is loaded
// (NoteHandheldRecord) rather than decoded a second time here.
void BeginTableCounts(TableCounts& counts, const clsTable& table,
                      platform::palm::RecordDatabase& database, clsErrorStack& errors,
                      bool handheldRewritten, bool handheldLoaded);

// Notes one handheld record as the table's sync loaded it, on its queued record, where
// BeginTableCounts left that to the loading.
void NoteHandheldRecord(TableCounts& counts, clsDataRecord& record, std::string_view bytes);

// Counts one record written to the rebuilt handheld database.
void CountHandheldWrite(TableCounts& counts, clsDataRecord& record, std::string_view bytes);

// Ends the table's counts (records the rebuild dropped, records left alone) and keeps them
// for the host.
void EndTableCounts(TableCounts& counts, const colDataRecord& queue, bool handheldRewritten,
                    std::vector<platform::TableSummary>& summaries);

// One log line per table that ran to its end, after the synchronisation's own lines.
void WriteSummaryLines(HotSyncLog& log, const std::vector<platform::TableSummary>& summaries,
                       bool dryRun);

}  // namespace tarn::conduit
