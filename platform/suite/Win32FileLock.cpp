#include <windows.h>

#include <cerrno>
#include <thread>

#include "platform/suite/FileLock.h"

namespace tarn::platform {
namespace {

HANDLE OpenLockFile(const std::filesystem::path& lockFile) {
    return CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The callers tell a read-only or forbidden folder from other failures by errno.
int ErrnoOf(DWORD code) {
    switch (code) {
        case ERROR_ACCESS_DENIED:
            return EACCES;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return ENOENT;
        default:
            return EIO;
    }
}

bool Lock(HANDLE file, DWORD flags) {
    OVERLAPPED whole{};
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | flags, 0, MAXDWORD, MAXDWORD, &whole) != 0;
}

}  // namespace

ExclusiveFileLock::ExclusiveFileLock(const std::filesystem::path& lockFile) {
    HANDLE file = OpenLockFile(lockFile);
    if (file == INVALID_HANDLE_VALUE) {
        errorNumber_ = ErrnoOf(GetLastError());
        errno = errorNumber_;
        return;
    }
    if (!Lock(file, 0)) {
        errorNumber_ = ErrnoOf(GetLastError());
        errno = errorNumber_;
        CloseHandle(file);
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
}

ExclusiveFileLock::ExclusiveFileLock(const std::filesystem::path& lockFile,
                                     std::chrono::milliseconds wait) {
    HANDLE file = OpenLockFile(lockFile);
    if (file == INVALID_HANDLE_VALUE) {
        errorNumber_ = ErrnoOf(GetLastError());
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (Lock(file, LOCKFILE_FAIL_IMMEDIATELY)) {
            handle_ = reinterpret_cast<std::intptr_t>(file);
            return;
        }
        DWORD code = GetLastError();
        if (code != ERROR_LOCK_VIOLATION && code != ERROR_IO_PENDING) {
            errorNumber_ = ErrnoOf(code);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            timedOut_ = true;
            errorNumber_ = EWOULDBLOCK;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    CloseHandle(file);
}

ExclusiveFileLock::~ExclusiveFileLock() {
    // Closing the handle drops the lock, as the system does when the process dies.
    if (locked()) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace tarn::platform
