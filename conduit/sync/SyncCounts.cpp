#include "conduit/sync/SyncCounts.h"

#include <functional>
#include <utility>

#include "conduit/sync/ModuleState.h"
#include "conduit/sync/RecordOrder.h"

namespace tarn::conduit {
namespace {

std::pair<std::size_t, std::size_t> Digest(std::string_view bytes) {
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

void NoteHandheldRecord(ModuleState& state, const std::string& key, std::string_view bytes) {
    if (!state.HandheldNotedOnLoad) return;
    Keep(state, RecordOrderKey(key), bytes);
}

void CountHandheldWrite(ModuleState& state, clsDataRecord& record, const std::string& bytes) {
    auto before = state.HandheldBefore.find(RecordOrderKey(record.PrimaryFieldValue));
    if (before == state.HandheldBefore.end()) {
        ++state.Counts.handheldAdded;
        record.Written = true;
        return;
    }
    if (before->second != Digest(bytes)) {
        ++state.Counts.handheldChanged;
        record.Written = true;
    }
    state.HandheldBefore.erase(before);
}

void EndTableCounts(ModuleState& state, const colDataRecord& queue, bool handheldRewritten) {
    if (handheldRewritten)
        state.Counts.handheldDeleted += static_cast<long>(state.HandheldBefore.size());
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
