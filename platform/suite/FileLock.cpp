#include "platform/suite/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

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
    fd_ = fd;
}

ExclusiveFileLock::~ExclusiveFileLock() {
    // Closing the descriptor drops the flock.
    if (fd_ >= 0) close(fd_);
}

}  // namespace tarn::platform
