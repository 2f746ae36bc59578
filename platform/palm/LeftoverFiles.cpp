#include "platform/palm/LeftoverFiles.h"

#include "platform/files/AtomicFile.h"
#include "platform/palm/DatabaseFiles.h"
#include "platform/palm/HandheldBackups.h"

namespace tarn::platform::palm {
namespace {

void RemoveFrom(const std::filesystem::path& folder, std::vector<std::string>& removed) {
    std::error_code error;
    std::vector<std::filesystem::path> doomed;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        if (!IsDatabaseFileName(TemporaryFileTarget(name))) continue;
        std::error_code typeError;
        if (entry.is_regular_file(typeError)) doomed.push_back(entry.path());
    }
    for (const auto& file : doomed) {
        std::error_code removeError;
        if (std::filesystem::remove(file, removeError)) removed.push_back(file.filename().string());
    }
}

}  // namespace

std::vector<std::string> RemoveLeftoverFiles(const std::filesystem::path& handheld) {
    std::vector<std::string> removed;
    RemoveFrom(handheld, removed);
    RemoveFrom(BackupFolder(handheld), removed);
    return removed;
}

}  // namespace tarn::platform::palm
