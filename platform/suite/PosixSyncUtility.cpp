#include "platform/suite/PosixSyncUtility.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Error.h"
#include "platform/files/AtomicFile.h"
#include "platform/suite/HotSyncSession.h"
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

class SessionSyncInformation : public SyncInformation {
  public:
    std::uint32_t RunningCreatorId() override {
        std::optional<SessionRecord> session = CurrentProcessSession();
        if (!session) throw PlatformError(suite_error::kNotFound, "No HotSync is running");
        return session->creatorId;
    }
    bool DryRun() override {
        std::optional<SessionRecord> session = CurrentProcessSession();
        if (!session) throw PlatformError(suite_error::kNotFound, "No HotSync is running");
        return session->dryRun;
    }
};

}  // namespace

std::filesystem::path UserLogFile(const std::string& userName) {
    return TarnHome() / "users" / SafeFolderName(userName) / "HotSync.log";
}

void PosixSyncUtility::AddLogEntry(const std::string& text, std::int32_t, std::int32_t,
                                   std::int32_t) {
    std::optional<SessionRecord> session = CurrentProcessSession();
    AppendLine(session ? UserLogFile(session->userName) : TarnHome() / "HotSync.log", text);
}

std::unique_ptr<SyncInformation> PosixSyncUtility::GetSyncInformation() {
    return std::make_unique<SessionSyncInformation>();
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
