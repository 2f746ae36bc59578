#include "conduit/sync/SyncCounts.h"

#include <functional>
#include <optional>
#include <utility>

#include "conduit/sync/HandheldDecoder.h"
#include "conduit/sync/RecordOrder.h"
#include "platform/palm/RecordDatabase.h"

namespace tarn::conduit {
namespace {

RecordDigest Digest(std::string_view bytes) {
    return {bytes.size(), std::hash<std::string_view>{}(bytes)};
}

// A record whose key cannot be read, and every record after the first of a key, is never
// written back; each is kept under a name no key's order text can take, so that it counts as
// deleted.
void Keep(TableCounts& counts, std::string order, std::string_view bytes) {
    if (!counts.HandheldBefore.emplace(std::move(order), Digest(bytes)).second)
        counts.HandheldBefore.emplace("\x01" + std::to_string(counts.HandheldBefore.size()),
                                      Digest(bytes));
}

}  // namespace

void BeginTableCounts(TableCounts& counts, const clsTable& table,
                      platform::palm::RecordDatabase& database, clsErrorStack& errors,
                      bool handheldRewritten, bool handheldLoaded) {
    counts = {};
    counts.Summary.table = table.DesktopTableName;
    counts.HandheldNotedOnLoad = handheldRewritten && handheldLoaded;
    if (!handheldRewritten || handheldLoaded) return;
    if (database.RecordCount() == 0) return;
    counts.HandheldBefore.reserve(database.RecordCount());
    HandheldDecoder decoder(table.Fields(), errors);
    database.SetIterationIndex(0);
    auto record = database.ReadNext();
    while (!database.EndOfData()) {
        const int32_t depth = errors.Count();
        try {
            auto decoded = decoder.Decode(record.data);
            Keep(counts, RecordOrderKey(decoded->PrimaryFieldValue), record.data);
        } catch (...) {
            // Loading the table reports such a record where the sync method reads it at all.
            while (errors.Count() > depth) errors.Pop();
            Keep(counts, "\x01", record.data);
        }
        record = database.ReadNext();
    }
    database.SetIterationIndex(0);
}

void NoteHandheldRecord(TableCounts& counts, clsDataRecord& record, std::string_view bytes) {
    if (!counts.HandheldNotedOnLoad) return;
    record.SetHandheldBefore(Digest(bytes));
    ++counts.HandheldNoted;
}

void CountHandheldWrite(TableCounts& counts, clsDataRecord& record, std::string_view bytes) {
    std::optional<RecordDigest> before;
    if (counts.HandheldNotedOnLoad) {
        before = record.HandheldBefore();
        if (before) ++counts.HandheldWrittenBack;
    } else if (auto found = counts.HandheldBefore.find(RecordOrderKey(record.PrimaryFieldValue));
               found != counts.HandheldBefore.end()) {
        before = found->second;
        counts.HandheldBefore.erase(found);
    }
    if (!before) {
        ++counts.Summary.handheldAdded;
        record.Written = true;
    } else if (*before != Digest(bytes)) {
        ++counts.Summary.handheldChanged;
        record.Written = true;
    }
}

void EndTableCounts(TableCounts& counts, const colDataRecord& queue, bool handheldRewritten,
                    std::vector<platform::TableSummary>& summaries) {
    // A handheld record noted on loading but not written back (marked deleted, or not the
    // first of its key) is gone from the rebuilt database as surely as one left in the map.
    if (handheldRewritten)
        counts.Summary.handheldDeleted += static_cast<long>(counts.HandheldBefore.size()) +
                                          counts.HandheldNoted - counts.HandheldWrittenBack;
    counts.HandheldBefore.clear();
    for (const auto& record : queue)
        if (!(record->RecordStatus & RecordDeleted) && !record->Written) ++counts.Summary.leftAlone;
    summaries.push_back(counts.Summary);
}

void WriteSummaryLines(HotSyncLog& log, const std::vector<platform::TableSummary>& summaries,
                       bool dryRun) {
    const std::string prefix = dryRun ? "Dry run, nothing written: " : "Summary: ";
    for (const auto& summary : summaries)
        log.WriteLog(prefix + "table " + summary.table + ": " + platform::SummaryText(summary), 1);
}

}  // namespace tarn::conduit
