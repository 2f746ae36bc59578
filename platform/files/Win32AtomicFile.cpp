// The files layer on Windows: a prepared file is flushed and then moved over its target with
// MoveFileEx, which replaces it in one step and returns only once the move is on disk.
#include <windows.h>

#include <algorithm>
#include <random>

#include "platform/files/AtomicFile.h"
#include "platform/win32/Win32Text.h"

namespace tarn::platform {
namespace {

constexpr char kNameCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

bool Fail(std::string* error, const std::string& what) {
    if (error) *error = what + ": " + win32::LastErrorText();
    return false;
}

std::filesystem::path FolderOf(const std::filesystem::path& path) {
    std::filesystem::path folder = path.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

// Closes a handle on scope exit.
class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (valid()) CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    bool Close() {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != 0;
    }

  private:
    HANDLE handle_;
};

HANDLE OpenForReading(const std::filesystem::path& path) {
    // Others may read, replace or delete the file meanwhile, as they may on POSIX systems.
    return CreateFileW(path.c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 30));
        DWORD done = 0;
        if (!WriteFile(file, bytes.data() + written, chunk, &done, nullptr) || done == 0)
            return false;
        written += done;
    }
    return true;
}

}  // namespace

unsigned CreationMode(unsigned requested) {
    // Windows has no umask: a new file takes the access rules of its folder.
    return requested & 07777;
}

bool PrepareFile(const std::filesystem::path& target, std::string_view bytes, FileAccess,
                 std::filesystem::path& prepared, std::string* error) {
    // Access is the folder's to give on Windows: new files inherit its rules, and an
    // owner-only file is one kept in the user's own profile (TARN_HOME's default).
    const std::filesystem::path folder = FolderOf(target);
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix;
        for (int i = 0; i < 6; ++i)
            suffix += kNameCharacters[random() % (sizeof kNameCharacters - 1)];
        const std::filesystem::path temporary =
            folder / ("." + target.filename().string() + "." + suffix);
        Handle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            return Fail(error, "cannot create a file in " + folder.string());
        }
        if (!WriteAll(file.get(), bytes) || !FlushFileBuffers(file.get())) {
            std::string reason = win32::LastErrorText();
            file.Close();
            DeleteFileW(temporary.c_str());
            if (error) *error = "cannot write " + temporary.string() + ": " + reason;
            return false;
        }
        if (!file.Close()) {
            DeleteFileW(temporary.c_str());
            return Fail(error, "cannot write " + temporary.string());
        }
        prepared = temporary;
        return true;
    }
    return Fail(error, "cannot create a file in " + folder.string());
}

bool SyncFolder(const std::filesystem::path&, std::string*) {
    // A folder cannot be flushed on its own here; MoveFileEx's write-through flushes the move.
    return true;
}

bool PublishFile(const std::filesystem::path& prepared, const std::filesystem::path& target,
                 std::string* error) {
    if (!MoveFileExW(prepared.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Fail(error, "cannot replace " + target.string());
    return true;
}

void DiscardFile(const std::filesystem::path& prepared) {
    if (!prepared.empty()) DeleteFileW(prepared.c_str());
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes, std::string* error) {
    Handle file(OpenForReading(path));
    if (!file.valid()) return Fail(error, "cannot open " + path.string());
    bytes.clear();
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
            return Fail(error, "cannot read " + path.string());
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    return true;
}

bool ReadFileOrNothing(const std::filesystem::path& path, std::string& bytes, std::string* error) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            bytes.clear();
            return true;
        }
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (error) *error = path.string() + " is a folder, not a file";
        return false;
    }
    return ReadWholeFile(path, bytes, error);
}

std::string ReadFileStart(const std::filesystem::path& path, size_t size) {
    Handle file(OpenForReading(path));
    if (!file.valid()) return {};
    std::string bytes(size, '\0');
    size_t got = 0;
    while (got < size) {
        DWORD n = 0;
        if (!ReadFile(file.get(), bytes.data() + got, static_cast<DWORD>(size - got), &n,
                      nullptr) ||
            n == 0)
            break;
        got += n;
    }
    bytes.resize(got);
    return bytes;
}

bool AppendToFile(const std::filesystem::path& path, std::string_view bytes, std::string* error) {
    // Append-only access makes every write land at the end, whoever else appends.
    Handle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return Fail(error, "cannot open " + path.string());
    if (!WriteAll(file.get(), bytes)) return Fail(error, "cannot write " + path.string());
    return true;
}

bool CanReplaceFile(const std::filesystem::path& path) {
    DWORD folder = GetFileAttributesW(FolderOf(path).c_str());
    if (folder == INVALID_FILE_ATTRIBUTES || !(folder & FILE_ATTRIBUTE_DIRECTORY)) return false;
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY);
}

}  // namespace tarn::platform
