// What every edition's files layer shares: the temporary file names and the replace-whole
// sequence built on PrepareFile and PublishFile.
#include <cctype>
#include <cerrno>

#include "platform/files/AtomicFile.h"

namespace tarn::platform {
namespace {

constexpr size_t kRandomPartLength = 6;  // what mkstemp puts in place of "XXXXXX"

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error, FileAccess access) {
    std::filesystem::path prepared;
    if (!PrepareFile(path, bytes, access, prepared, error)) return false;
    if (!PublishFile(prepared, path, error)) {
        int saved = errno;
        DiscardFile(prepared);
        errno = saved;
        return false;
    }
    return true;
}

std::string TemporaryFileTarget(const std::string& fileName) {
    if (fileName.size() < 1 + 1 + 1 + kRandomPartLength || fileName[0] != '.') return {};
    const size_t dot = fileName.size() - kRandomPartLength - 1;
    if (fileName[dot] != '.') return {};
    for (size_t i = dot + 1; i < fileName.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(fileName[i]))) return {};
    return fileName.substr(1, dot - 1);
}

bool IsTemporaryFileName(const std::string& fileName, const std::string& targetName) {
    std::string target = TemporaryFileTarget(fileName);
    return !target.empty() && (targetName.empty() || target == targetName);
}

}  // namespace tarn::platform
