#pragma once

#include <string>
#include <string_view>

#include "common/model/clsTable.h"
#include "conduit/sync/DataRecord.h"
#include "platform/suite/ConduitOutcome.h"

namespace tarn::conduit {

struct ModuleState;

// What a table's sync does to each side, counted where the writes happen: the desktop writes
// count themselves (Transfer.cpp), and the handheld side compares the records written with the
// records the sync found there. A dry run counts the same, so its figures are what a real sync
// right after it reports.

// Starts the counts of a table; `handheldRewritten` when its sync method rebuilds the handheld
// database, whose records are then kept to compare against. `handheldLoaded` when the table's
// sync reads the handheld records anyway: each is then noted as it is loaded
// (NoteHandheldRecord) rather than decoded a second time here.
void BeginTableCounts(ModuleState& state, const clsTable& table, bool handheldRewritten,
                      bool handheldLoaded);

// Notes one handheld record as the table's sync loaded it, on its queued record, where
// BeginTableCounts left that to the loading.
void NoteHandheldRecord(ModuleState& state, clsDataRecord& record, std::string_view bytes);

// Counts one record written to the rebuilt handheld database.
void CountHandheldWrite(ModuleState& state, clsDataRecord& record, const std::string& bytes);

// Ends the table's counts (records the rebuild dropped, records left alone) and keeps them
// for the host.
void EndTableCounts(ModuleState& state, const colDataRecord& queue, bool handheldRewritten);

// One log line per table that ran to its end, after the synchronisation's own lines.
void WriteSummaryLines(ModuleState& state);

}  // namespace tarn::conduit
