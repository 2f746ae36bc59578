#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>

namespace tarn::platform {

// Holds an exclusive advisory lock (flock, LockFileEx on Windows) on a lock file for the lifetime
// of the object, so that processes rewriting the same state file take turns and no update is lost.
// The lock is released by the kernel when the process dies, so a crash never leaves it stuck.
class ExclusiveFileLock {
  public:
    // Creates the lock file when missing and waits for the lock. Check locked() afterwards:
    // false when the lock file cannot be created (for example a read-only folder).
    explicit ExclusiveFileLock(const std::filesystem::path& lockFile);
    // Waits at most `wait` for the lock; afterwards timedOut() tells a lock held elsewhere from
    // a lock file that cannot be created (errorNumber() has the reason then).
    ExclusiveFileLock(const std::filesystem::path& lockFile, std::chrono::milliseconds wait);
    ~ExclusiveFileLock();
    ExclusiveFileLock(const ExclusiveFileLock&) = delete;
    ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

    bool locked() const { return handle_ != kNoHandle; }
    bool timedOut() const { return timedOut_; }
    int errorNumber() const { return errorNumber_; }

  private:
    // A descriptor, or a Windows handle.
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t handle_ = kNoHandle;
    bool timedOut_ = false;
    int errorNumber_ = 0;
};

}  // namespace tarn::platform
