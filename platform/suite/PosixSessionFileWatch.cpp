#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/suite/SessionFileWatch.h"

namespace tarn::platform {

SessionFileWatch::~SessionFileWatch() {
    Forget();
}

void SessionFileWatch::Watch(const std::filesystem::path& file) {
    Forget();
    const int held = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (held < 0) return;
    struct stat opened {};
    if (fstat(held, &opened) != 0) {
        close(held);
        return;
    }
    held_ = held;
    file_ = file;
    watcher_ = getpid();
    device_ = opened.st_dev;
    inode_ = opened.st_ino;
}

bool SessionFileWatch::Unchanged(const std::filesystem::path& file) const {
    if (held_ < 0 || file != file_ || getpid() != watcher_) return false;
    struct stat now {};
    return stat(file.c_str(), &now) == 0 && std::uint64_t(now.st_dev) == device_ &&
           std::uint64_t(now.st_ino) == inode_;
}

void SessionFileWatch::Forget() {
    if (held_ >= 0) close(held_);
    held_ = -1;
}

}  // namespace tarn::platform
