#include "platform/palm/PdbFileStore.h"

#include "platform/files/AtomicFile.h"
#include "platform/palm/HandheldBackups.h"
#include "platform/palm/PalmErrors.h"

namespace tarn::platform::palm {

PdbFileStore::PdbFileStore(std::filesystem::path handheld, std::filesystem::path file)
    : handheld_(std::move(handheld)), file_(std::move(file)) {}

PdbFileStore::~PdbFileStore() {
    Discard();
}

void PdbFileStore::Prepare(const std::string& bytes) {
    Discard();
    std::string error;
    if (!PrepareFile(file_, bytes, FileAccess::Shared, prepared_, &error))
        ThrowPalmError(kErrWriteFailed, "cannot write " + file_.string() + ": " + error);
    if (!PrepareBackup(handheld_, file_, preparedBackup_, &error)) {
        Discard();
        ThrowPalmError(kErrWriteFailed, "cannot keep a backup of " + file_.string() + ": " + error);
    }
}

void PdbFileStore::Publish() {
    if (prepared_.empty()) return;
    std::string error;
    if (!PublishBackup(handheld_, file_.filename().string(), preparedBackup_, &error)) {
        Discard();
        ThrowPalmError(kErrWriteFailed, "cannot keep a backup of " + file_.string() + ": " + error);
    }
    const bool backedUp = !preparedBackup_.empty();
    preparedBackup_.clear();
    if (!PublishFile(prepared_, file_, &error)) {
        Discard();
        ThrowPalmError(kErrWriteFailed, "cannot replace " + file_.string() + ": " + error);
    }
    prepared_.clear();
    // Flushed after the database's own rename, which is what the other side waits for.
    if (backedUp && !SyncFolder(BackupFolder(handheld_), &error))
        ThrowPalmError(kErrWriteFailed, "cannot keep a backup of " + file_.string() + ": " + error);
}

bool PdbFileStore::ReadStored(std::string& bytes) {
    std::string error;
    if (!ReadWholeFile(file_, bytes, &error))
        ThrowPalmError(kErrDatabaseDamaged, "cannot read " + file_.string() + ": " + error);
    return true;
}

void PdbFileStore::Discard() noexcept {
    DiscardFile(prepared_);
    DiscardFile(preparedBackup_);
    prepared_.clear();
    preparedBackup_.clear();
}

}  // namespace tarn::platform::palm
