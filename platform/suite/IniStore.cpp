#include "platform/suite/IniStore.h"

#include <cerrno>
#include <cstring>

#include "platform/files/AtomicFile.h"
#include "platform/suite/FileLock.h"

namespace tarn::platform {

IniStore::IniStore(std::filesystem::path file) : file_(std::move(file)) {}

StoreStatus IniStore::Read(IniDocument& document, std::string* error) const {
    std::string bytes;
    std::string readError;
    // A writer may create the file between a failed open and the check for its existence, so
    // a file that appeared meanwhile is read again rather than taken as unreadable.
    bool read = false;
    for (int attempt = 0; attempt < 3 && !read; ++attempt) {
        read = ReadWholeFile(file_, bytes, &readError);
        std::error_code ignored;
        if (!read && !std::filesystem::exists(file_, ignored)) {
            document = {};
            return StoreStatus::kOk;
        }
    }
    if (!read) {
        if (error) *error = readError;
        return StoreStatus::kCorrupt;
    }
    std::string parseError;
    std::optional<IniDocument> parsed = ParseIni(bytes, &parseError);
    if (!parsed) {
        if (error) *error = file_.string() + ", " + parseError;
        return StoreStatus::kCorrupt;
    }
    document = std::move(*parsed);
    return StoreStatus::kOk;
}

StoreStatus IniStore::Update(const std::function<bool(IniDocument&)>& change, std::string* error) {
    std::filesystem::path lockFile = file_;
    lockFile += ".lock";
    ExclusiveFileLock lock(lockFile);
    if (!lock.locked()) {
        if (error) *error = "cannot lock " + lockFile.string() + ": " + std::strerror(errno);
        return StoreStatus::kUnwritable;
    }
    IniDocument document;
    StoreStatus status = Read(document, error);
    if (status != StoreStatus::kOk) return status;
    if (!change(document)) return StoreStatus::kOk;
    if (!WriteFileAtomically(file_, FormatIni(document), error, FileAccess::OwnerOnly))
        return StoreStatus::kUnwritable;
    return StoreStatus::kOk;
}

bool IniStore::Writable() const {
    return CanReplaceFile(file_);
}

}  // namespace tarn::platform
