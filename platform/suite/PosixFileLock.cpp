#include "platform/suite/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace tarn::platform {

ExclusiveFileLock::ExclusiveFileLock(const std::filesystem::path& lockFile) {
    int fd = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    int result;
    do {
        result = flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        close(fd);
        return;
    }
    handle_ = fd;
}

ExclusiveFileLock::ExclusiveFileLock(const std::filesystem::path& lockFile,
                                     std::chrono::milliseconds wait) {
    int fd = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        errorNumber_ = errno;
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            handle_ = fd;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) break;
        if (std::chrono::steady_clock::now() >= deadline) {
            timedOut_ = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    errorNumber_ = errno;
    close(fd);
}

ExclusiveFileLock::~ExclusiveFileLock() {
    // Closing the descriptor drops the flock.
    if (locked()) close(static_cast<int>(handle_));
}

}  // namespace tarn::platform
