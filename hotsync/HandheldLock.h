#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/suite/FileLock.h"

namespace tarn::hotsync {

// How long a sync or a restore waits for another one on the same handheld folder by default.
inline constexpr std::chrono::seconds kDefaultHandheldWait{60};

// Takes the handheld folder's lock file so that one sync (or restore) at a time changes its
// files, waiting at most `wait` for another to finish, and then clears away the temporary files
// an interrupted sync left behind. Null, with `error` set, when the lock was not had. A folder
// where no lock file can be made (read-only) is used without one: nothing there can be changed.
std::unique_ptr<platform::ExclusiveFileLock> HoldHandheldFolder(const std::filesystem::path& folder,
                                                                std::chrono::seconds wait,
                                                                std::string& error);

// Reads a --wait value in whole seconds; false when it is not a number from 0 to 86400.
bool ParseWaitSeconds(const std::string& text, std::chrono::seconds& wait);
inline constexpr char kWaitError[] = "--wait must be a number of seconds from 0 to 86400";

}  // namespace tarn::hotsync
