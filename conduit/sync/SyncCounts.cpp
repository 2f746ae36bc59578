#include "conduit/sync/SyncCounts.h"

#include <functional>
#include <optional>
#include <utility>

#include "conduit/sync/ModuleState.h"
#include "conduit/sync/RecordOrder.h"

namespace tarn::conduit {
namespace {

RecordDigest Digest(std::string_view bytes) {
    return {bytes.size(), std::hash<std::string_view>{}(bytes)};
}

// A record whose key cannot be read, and every record after the first of a key, is never
// written back; each is kept under a name no key's order text can take, so that it counts as
// deleted.
void Keep(ModuleState& state, std::string order, std::string_view bytes) {
    if (!state.HandheldBefore.emplace(std::move(order), Digest(bytes)).second)
        state.HandheldBefore.emplace("\x01" + std::to_string(state.HandheldBefore.size()),
                                     Digest(bytes));
}

}  // namespace

void BeginTableCounts(ModuleState& state, const clsTable& table, bool handheldRewritten,
                      bool handheldLoaded) {
    state.Counts = {};
    state.Counts.table = table.DesktopTableName;
    state.HandheldBefore.clear();
    state.HandheldNotedOnLoad = handheldRewritten && handheldLoaded;
    state.HandheldNoted = 0;
    state.HandheldWrittenBack = 0;
    if (!handheldRewritten || handheldLoaded) return;
    auto& database = *state.PalmDatabase;
    if (database.RecordCount() == 0) return;
    state.HandheldBefore.reserve(database.RecordCount());
    database.SetIterationIndex(0);
    auto record = database.ReadNext();
    while (!database.EndOfData()) {
        const int32_t depth = state.ErrorStack.Count();
        try {
            auto decoded = colDataRecord::DecodePalmRecord(state, table.Fields(), record.data);
            Keep(state, RecordOrderKey(decoded->PrimaryFieldValue), record.data);
        } catch (...) {
            // Loading the table reports such a record where the sync method reads it at all.
            while (state.ErrorStack.Count() > depth) state.ErrorStack.Pop();
            Keep(state, "\x01", record.data);
        }
        record = database.ReadNext();
    }
    database.SetIterationIndex(0);
}

void NoteHandheldRecord(ModuleState& state, clsDataRecord& record, std::string_view bytes) {
    if (!state.HandheldNotedOnLoad) return;
    record.HandheldBefore = Digest(bytes);
    ++state.HandheldNoted;
}

void CountHandheldWrite(ModuleState& state, clsDataRecord& record, const std::string& bytes) {
    std::optional<RecordDigest> before;
    if (state.HandheldNotedOnLoad) {
        before = record.HandheldBefore;
        if (before) ++state.HandheldWrittenBack;
    } else if (auto found = state.HandheldBefore.find(RecordOrderKey(record.PrimaryFieldValue));
               found != state.HandheldBefore.end()) {
        before = found->second;
        state.HandheldBefore.erase(found);
    }
    if (!before) {
        ++state.Counts.handheldAdded;
        record.Written = true;
    } else if (*before != Digest(bytes)) {
        ++state.Counts.handheldChanged;
        record.Written = true;
    }
}

void EndTableCounts(ModuleState& state, const colDataRecord& queue, bool handheldRewritten) {
    // A handheld record noted on loading but not written back (marked deleted, or not the
    // first of its key) is gone from the rebuilt database as surely as one left in the map.
    if (handheldRewritten)
        state.Counts.handheldDeleted += static_cast<long>(state.HandheldBefore.size()) +
                                        state.HandheldNoted - state.HandheldWrittenBack;
    state.HandheldBefore.clear();
    for (const auto& record : queue)
        if (!(record->RecordStatus & RecordDeleted) && !record->Written) ++state.Counts.leftAlone;
    state.Summaries.push_back(state.Counts);
}

void WriteSummaryLines(ModuleState& state) {
    const std::string prefix = state.DryRun ? "Dry run, nothing written: " : "Summary: ";
    for (const auto& summary : state.Summaries)
        state.WriteLog(prefix + "table " + summary.table + ": " + platform::SummaryText(summary),
                       1);
}

}  // namespace tarn::conduit
