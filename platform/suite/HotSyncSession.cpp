#include "platform/suite/HotSyncSession.h"

#include "platform/Error.h"
#include "platform/files/AtomicFile.h"
#include "platform/process/ProcessIdentity.h"
#include "platform/suite/IniStore.h"
#include "platform/suite/NumberText.h"
#include "platform/suite/StoreErrors.h"
#include "platform/suite/SuiteErrors.h"
#include "platform/suite/TarnHome.h"

namespace tarn::platform {
namespace {

constexpr char kSection[] = "HotSync";

IniStore SessionStore() {
    return IniStore(TarnHome() / "session.ini");
}

bool SameStart(std::uint64_t recorded, std::uint64_t actual) {
    return recorded == 0 || actual == 0 || recorded == actual;
}

bool IsAlive(const SessionRecord& record) {
    if (record.processId <= 0) return false;
    if (!process::ProcessExists(record.processId)) return false;
    return SameStart(record.processStart, process::ProcessStartTime(record.processId));
}

bool OwnedByThisProcess(const SessionRecord& record) {
    const std::int64_t self = process::CurrentProcessId();
    return record.processId == self &&
           SameStart(record.processStart, process::ProcessStartTime(self));
}

constexpr char kCompleted[] = "Completed";
constexpr char kFailed[] = "Failed";

// An outcome that cannot be read is kept as a failure: a conduit that reported something
// unreadable did not report a completed sync.
constexpr char kUnreadableOutcome[] = "the conduit's outcome in the session file cannot be read";

std::string SummaryKey(size_t index, const char* part) {
    return "Table" + std::to_string(index + 1) + part;
}

std::string CountsText(const TableSummary& summary) {
    std::string text;
    for (long count : {summary.desktopAdded, summary.desktopChanged, summary.desktopDeleted,
                       summary.handheldAdded, summary.handheldChanged, summary.handheldDeleted,
                       summary.leftAlone})
        text += (text.empty() ? "" : " ") + std::to_string(count);
    return text;
}

bool ReadCounts(const std::string& text, TableSummary& summary) {
    long* counts[] = {&summary.desktopAdded,  &summary.desktopChanged,  &summary.desktopDeleted,
                      &summary.handheldAdded, &summary.handheldChanged, &summary.handheldDeleted,
                      &summary.leftAlone};
    size_t start = 0;
    for (long* count : counts) {
        if (start > text.size()) return false;
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        std::optional<std::uint64_t> value =
            ParseWhole<std::uint64_t>(std::string_view(text).substr(start, end - start));
        if (!value || *value > 0x7FFFFFFF) return false;
        *count = static_cast<long>(*value);
        start = end + 1;
    }
    return start == text.size() + 1;
}

// False when the recorded summaries cannot be read back whole.
bool SummariesFrom(const IniSection& section, std::vector<TableSummary>& tables) {
    const std::string* rawCount = section.Find("Tables");
    if (!rawCount) return true;
    std::optional<std::uint64_t> count = ParseWhole<std::uint64_t>(*rawCount);
    if (!count || *count > 100000) return false;
    for (size_t i = 0; i < *count; ++i) {
        const std::string* rawName = section.Find(SummaryKey(i, "Name"));
        const std::string* rawCounts = section.Find(SummaryKey(i, "Counts"));
        if (!rawName || !rawCounts) return false;
        std::optional<std::string> name = UnquoteText(*rawName);
        TableSummary summary;
        if (!name || !ReadCounts(*rawCounts, summary)) return false;
        summary.table = *name;
        tables.push_back(std::move(summary));
    }
    return true;
}

std::optional<ConduitOutcome> OutcomeFrom(const IniSection& section) {
    const std::string* rawOutcome = section.Find("Outcome");
    if (!rawOutcome) return std::nullopt;
    const std::string* rawReason = section.Find("Reason");
    std::optional<std::string> reason = rawReason ? UnquoteText(*rawReason) : std::string();
    std::vector<TableSummary> tables;
    if (!SummariesFrom(section, tables)) return ConduitOutcome{false, kUnreadableOutcome, {}};
    if (*rawOutcome == kCompleted && reason) return ConduitOutcome{true, *reason, tables};
    if (*rawOutcome == kFailed && reason) return ConduitOutcome{false, *reason, tables};
    return ConduitOutcome{false, kUnreadableOutcome, {}};
}

std::optional<SessionRecord> FromDocument(const IniDocument& document) {
    const IniSection* section = document.Find(kSection);
    if (!section) return std::nullopt;
    auto number = [&](const char* name) -> std::optional<std::uint64_t> {
        const std::string* raw = section->Find(name);
        return raw ? ParseWhole<std::uint64_t>(*raw) : std::nullopt;
    };
    const std::string* rawUser = section->Find("User");
    std::optional<std::string> user = rawUser ? UnquoteText(*rawUser) : std::nullopt;
    const std::string* rawFolder = section->Find("Handheld");
    std::optional<std::string> folder = rawFolder ? UnquoteText(*rawFolder) : std::string();
    const std::string* rawDryRun = section->Find("DryRun");
    std::optional<std::uint64_t> pid = number("ProcessId"), start = number("ProcessStart"),
                                 userId = number("UserId"), creatorId = number("CreatorId");
    // A damaged record cannot be trusted to belong to anybody: treat it as no session.
    if (!pid || !start || !userId || !creatorId || !user || !folder || *pid > 0x7FFFFFFF ||
        *userId > 0xFFFFFFFF || *creatorId > 0xFFFFFFFF)
        return std::nullopt;
    return SessionRecord{static_cast<pid_t>(*pid),
                         *start,
                         static_cast<std::uint32_t>(*userId),
                         *user,
                         static_cast<std::uint32_t>(*creatorId),
                         *folder,
                         OutcomeFrom(*section),
                         rawDryRun && *rawDryRun == "1"};
}

void ToDocument(const SessionRecord& record, IniDocument& document) {
    IniSection& section = document.FindOrAdd(kSection);
    section.entries.clear();
    section.Set("ProcessId", std::to_string(record.processId));
    section.Set("ProcessStart", std::to_string(record.processStart));
    section.Set("UserId", std::to_string(record.userId));
    section.Set("User", QuoteText(record.userName));
    section.Set("CreatorId", std::to_string(record.creatorId));
    section.Set("Handheld", QuoteText(record.handheldFolder));
    if (record.dryRun) section.Set("DryRun", "1");
    if (record.outcome) {
        section.Set("Outcome", record.outcome->completed ? kCompleted : kFailed);
        section.Set("Reason", QuoteText(record.outcome->reason));
        const auto& tables = record.outcome->tables;
        if (!tables.empty()) section.Set("Tables", std::to_string(tables.size()));
        for (size_t i = 0; i < tables.size(); ++i) {
            section.Set(SummaryKey(i, "Name"), QuoteText(tables[i].table));
            section.Set(SummaryKey(i, "Counts"), CountsText(tables[i]));
        }
    }
}

// Changes this process's own session record; false when it has none.
template <typename Change>
bool UpdateOwnSession(Change change) {
    std::string error;
    bool owned = false;
    ThrowIfFailed(SessionStore().Update(
                      [&](IniDocument& document) {
                          std::optional<SessionRecord> existing = FromDocument(document);
                          owned = existing && OwnedByThisProcess(*existing);
                          if (!owned) return false;
                          change(*existing);
                          ToDocument(*existing, document);
                          return true;
                      },
                      &error),
                  error);
    return owned;
}

}  // namespace

std::optional<SessionRecord> RecordedSession() {
    IniDocument document;
    if (SessionStore().Read(document) != StoreStatus::kOk) return std::nullopt;
    return FromDocument(document);
}

std::optional<SessionRecord> CurrentProcessSession() {
    std::optional<SessionRecord> record = RecordedSession();
    if (record && OwnedByThisProcess(*record)) return record;
    return std::nullopt;
}

HotSyncSession::HotSyncSession(std::uint32_t userId, const std::string& userName,
                               const std::string& handheldFolder, bool dryRun) {
    SessionRecord mine{static_cast<pid_t>(process::CurrentProcessId()),
                       process::ProcessStartTime(process::CurrentProcessId()),
                       userId,
                       userName,
                       0,
                       handheldFolder,
                       std::nullopt,
                       dryRun};
    std::optional<SessionRecord> other;
    std::string error;
    StoreStatus status = SessionStore().Update(
        [&](IniDocument& document) {
            std::optional<SessionRecord> existing = FromDocument(document);
            if (existing && !OwnedByThisProcess(*existing) && IsAlive(*existing)) {
                other = existing;
                return false;
            }
            document = {};
            ToDocument(mine, document);
            return true;
        },
        &error);
    if (status == StoreStatus::kCorrupt) {
        // Nothing can be learnt from a damaged session file; start afresh.
        std::filesystem::remove(SessionStore().file());
        status = SessionStore().Update(
            [&](IniDocument& document) {
                ToDocument(mine, document);
                return true;
            },
            &error);
    }
    ThrowIfFailed(status, error);
    if (other)
        throw PlatformError(suite_error::kAccessDenied, "A HotSync is already running (process " +
                                                            std::to_string(other->processId) +
                                                            ", user " + other->userName + ")");
}

HotSyncSession::~HotSyncSession() {
    try {
        SessionStore().Update([](IniDocument& document) {
            std::optional<SessionRecord> existing = FromDocument(document);
            if (!existing || !OwnedByThisProcess(*existing)) return false;
            document.Remove(kSection);
            return true;
        });
    } catch (...) {
        // A session that cannot be removed reads as stale once this process has exited.
    }
}

void HotSyncSession::SetRunningCreatorId(std::uint32_t creatorId) {
    bool owned = UpdateOwnSession([creatorId](SessionRecord& record) {
        record.creatorId = creatorId;
        record.outcome.reset();
    });
    if (!owned) throw PlatformError(suite_error::kNotFound, "The HotSync session has ended");
}

std::optional<ConduitOutcome> HotSyncSession::RunningConduitOutcome() const {
    std::optional<SessionRecord> record = CurrentProcessSession();
    return record ? record->outcome : std::nullopt;
}

void RecordConduitOutcome(const ConduitOutcome& outcome) {
    UpdateOwnSession([&outcome](SessionRecord& record) { record.outcome = outcome; });
}

}  // namespace tarn::platform
