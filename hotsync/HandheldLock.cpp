#include "hotsync/HandheldLock.h"

#include <cerrno>
#include <cstring>
#include <iostream>

#include "platform/palm/LeftoverFiles.h"

namespace tarn::hotsync {
namespace {

constexpr const char* kLockFileName = ".tarn-sync.lock";

}  // namespace

std::unique_ptr<platform::ExclusiveFileLock> HoldHandheldFolder(const std::filesystem::path& folder,
                                                                std::chrono::seconds wait,
                                                                std::string& error) {
    auto lock = std::make_unique<platform::ExclusiveFileLock>(folder / kLockFileName, wait);
    if (lock->timedOut()) {
        error = "another sync of the handheld folder " + folder.string() +
                " is still running; gave up waiting after " + std::to_string(wait.count()) +
                " seconds";
        return nullptr;
    }
    if (!lock->locked()) {
        if (lock->errorNumber() == EROFS || lock->errorNumber() == EACCES) return lock;
        error = "cannot lock the handheld folder " + folder.string() + ": " +
                std::strerror(lock->errorNumber());
        return nullptr;
    }
    for (const auto& name : platform::palm::RemoveLeftoverFiles(folder))
        std::cerr << "hotsync: removed " << name << ", left behind by an interrupted sync\n";
    return lock;
}

bool ParseWaitSeconds(const std::string& text, std::chrono::seconds& wait) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    long seconds = std::stol(text);
    if (seconds > 86400) return false;
    wait = std::chrono::seconds(seconds);
    return true;
}

}  // namespace tarn::hotsync
