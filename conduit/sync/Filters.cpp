#include "conduit/sync/Filters.h"

#include <exception>
#include <optional>

#include "common/config/Scramble.h"
#include "common/model/DataTypes.h"
#include "conduit/log/HotSyncLog.h"
#include "conduit/sync/SqlDialect.h"
#include "conduit/sync/SyncSession.h"
#include "conduit/sync/TarnFunc.h"
#include "platform/palm/HandheldFolder.h"
#include "text/Windows1252.h"

namespace tarn::conduit {
namespace {

constexpr unsigned kFilterOpenMode = 0xD0;
constexpr size_t kMaxTextLength = 32767;

// One zero-terminated Windows-1252 text of a filter record, starting at `pos`; `pos` ends past
// the zero byte. A text that runs off the end of the record has lost its tail, so it counts as
// missing rather than being used cut short.
std::optional<std::string> ReadFilterText(std::string_view data, size_t& pos) {
    if (pos >= data.size()) return std::nullopt;
    size_t end = data.find('\0', pos);
    if (end == std::string_view::npos) return std::nullopt;
    if (end - pos > kMaxTextLength) end = pos + kMaxTextLength;
    std::string text = text::FromAnsi(data.substr(pos, end - pos));
    pos = end < data.size() && data[end] == '\0' ? end + 1 : end;
    return text;
}

std::string CreatorOf(const SyncSession& session) {
    if (!session.ConfigCreatorID.empty()) return session.ConfigCreatorID;
    return DescrambleString(session.Settings.CreatorID);
}

std::unique_ptr<platform::palm::RecordDatabase> OpenOrCreateFilterDatabase(
    SyncSession& session, const std::string& name) {
    try {
        return session.Handheld().OpenRecordDatabase(name, kFilterOpenMode);
    } catch (const std::exception&) {
    }
    try {
        platform::palm::NewDatabase wanted;
        wanted.name = name;
        wanted.creator = CreatorOf(session);
        wanted.type = "DATA";
        auto created = session.Handheld().CreateRecordDatabase(wanted, kFilterOpenMode);
        session.WriteLog("Creating filter database " + name, 2);
        return created;
    } catch (const std::exception&) {
        return nullptr;
    }
}

void AddFilterRecord(colFilters& filters, std::string_view data) {
    size_t pos = 0;
    std::optional<std::string> name = ReadFilterText(data, pos);
    if (!name) return;
    std::optional<std::string> value = ReadFilterText(data, pos);
    if (!value || value->empty()) return;
    // The first record of a name wins; later ones, and filters loaded by an earlier sync of
    // this process, keep the value already held.
    if (filters.FilterIsValid(*name)) return;
    filters.Add(*name, *value);
}

void ReadFilterRecords(colFilters& filters, platform::palm::RecordDatabase& database) {
    database.SetIterationIndex(0);
    if (database.RecordCount() == 0) return;
    while (true) {
        platform::palm::PalmRecord record = database.ReadNext();
        if (database.EndOfData()) break;
        try {
            AddFilterRecord(filters, record.data);
        } catch (const std::exception&) {
            // A record that cannot be used is skipped; the others still count.
        }
    }
}

}  // namespace

std::shared_ptr<clsFilter> colFilters::Add(const std::string& FilterName,
                                           const std::string& FilterValue) {
    auto filter = std::make_shared<clsFilter>();
    filter->FilterName = FilterName;
    filter->FilterValue = FilterValue;
    Append(FilterName, filter);
    return filter;
}

void LoadFilters(SyncSession& session) {
    const std::string name = DescrambleString(session.Settings.FilterDatabase);
    if (name.empty()) return;
    session.WriteLog("Loading Filters", 2);
    if (auto database = OpenOrCreateFilterDatabase(session, name)) {
        try {
            ReadFilterRecords(session.WorkFilters, *database);
        } catch (const std::exception&) {
            // A database that fails part-way keeps the filters read before the failure.
        }
    }
    session.WriteLog("Filters Loaded: " + std::to_string(session.WorkFilters.Count()), 2);
}

std::string BuildFilterClause(const colFilters& WorkFilters, const SqlDialect& dialect,
                              HotSyncLog& log, const clsTable& WorkTable, bool useWhere) {
    std::string clause;
    for (const auto& field : WorkTable.Fields()) {
        if (field->Filter.empty() || !WorkFilters.FilterIsValid(field->Filter)) continue;
        const std::string& value = WorkFilters.Item(field->Filter)->FilterValue;
        std::string condition;
        if (field->DataType == kTypeString || field->DataType == kTypeIgnoreField) {
            // The handheld user types filter values; doubled quotes keep them a literal.
            condition = field->FieldName + "='" + dialect.EscapeValue(value) + "'";
        } else if (ParseNumber(value)) {
            condition = field->FieldName + "=" + value;
        } else {
            log.WriteLog(
                "Numeric filter does not have numeric value: " + field->Filter + "=" + value, 1);
            continue;
        }
        clause += clause.empty() ? (useWhere ? " WHERE " : " AND ") : " AND ";
        clause += condition;
    }
    return clause;
}

}  // namespace tarn::conduit
