#include "platform/suite/PosixSyncUtility.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>

#include "platform/Error.h"
#include "platform/files/AtomicFile.h"
#include "platform/suite/HotSyncSession.h"
#include "platform/suite/SessionFileWatch.h"
#include "platform/suite/SuiteErrors.h"
#include "platform/suite/TarnHome.h"

namespace tarn::platform {
namespace {

std::string SafeFolderName(const std::string& name) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        auto byte = static_cast<unsigned char>(name[i]);
        bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                     (byte >= '0' && byte <= '9') || byte == ' ' || byte == '-' || byte == '_' ||
                     (byte == '.' && i > 0) || byte >= 0x80;
        if (plain) {
            out += name[i];
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out.empty() ? "%" : out;
}

void AppendLine(const std::filesystem::path& file, const std::string& text) {
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    // The log may show keys and values of the user's records: owner-only, and one write per
    // entry.
    std::string error;
    if (!AppendToFile(file, text + '\n', &error))
        throw PlatformError(suite_error::kAccessDenied, "Cannot write the HotSync log: " + error);
}

}  // namespace

// This process's session as last read, kept while its file stays the same.
class PosixSyncUtility::SessionCache {
  public:
    std::optional<SessionRecord> Current() {
        std::lock_guard<std::mutex> lock(mutex_);
        const std::filesystem::path file = TarnHome() / "session.ini";
        if (watch_.Unchanged(file)) return session_;
        watch_.Watch(file);
        session_ = CurrentProcessSession();
        return session_;
    }

  private:
    std::mutex mutex_;
    SessionFileWatch watch_;
    std::optional<SessionRecord> session_;
};

namespace {

class SessionSyncInformation : public SyncInformation {
  public:
    explicit SessionSyncInformation(std::shared_ptr<PosixSyncUtility::SessionCache> session)
        : session_(std::move(session)) {}

    std::uint32_t RunningCreatorId() override { return Running().creatorId; }
    bool DryRun() override { return Running().dryRun; }

  private:
    SessionRecord Running() {
        std::optional<SessionRecord> session = session_->Current();
        if (!session) throw PlatformError(suite_error::kNotFound, "No HotSync is running");
        return *session;
    }

    std::shared_ptr<PosixSyncUtility::SessionCache> session_;
};

}  // namespace

std::filesystem::path UserLogFile(const std::string& userName) {
    return TarnHome() / "users" / SafeFolderName(userName) / "HotSync.log";
}

PosixSyncUtility::PosixSyncUtility() : session_(std::make_shared<SessionCache>()) {}
PosixSyncUtility::~PosixSyncUtility() = default;

void PosixSyncUtility::AddLogEntry(const std::string& text, std::int32_t, std::int32_t,
                                   std::int32_t) {
    std::optional<SessionRecord> session = session_->Current();
    AppendLine(session ? UserLogFile(session->userName) : TarnHome() / "HotSync.log", text);
}

std::unique_ptr<SyncInformation> PosixSyncUtility::GetSyncInformation() {
    return std::make_unique<SessionSyncInformation>(session_);
}

void PosixSyncUtility::ReportOutcome(const ConduitOutcome& outcome) {
    RecordConduitOutcome(outcome);
}

namespace {

// Carriage return, then the text, then "erase to the end of the line".
void WriteProgressLine(const std::string& text) {
    if (!isatty(STDERR_FILENO)) return;
    const std::string line = "\r" + text + "\x1b[K";
    // A terminal that will not take the line costs the sync nothing.
    [[maybe_unused]] ssize_t ignored = write(STDERR_FILENO, line.data(), line.size());
}

}  // namespace

void PosixSyncUtility::ReportProgress(const SyncProgress& progress) {
    std::string text = progress.conduit + ": table " + progress.table + ": " + progress.step + " " +
                       std::to_string(progress.done);
    if (progress.total > 0) text += " of " + std::to_string(progress.total);
    WriteProgressLine(text);
}

void ClearProgressLine() {
    WriteProgressLine("");
}

}  // namespace tarn::platform
