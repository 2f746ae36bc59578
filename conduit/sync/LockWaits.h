#pragma once

#include <string>

namespace tarn::conduit {

// How long a statement waits for a desktop database that another program holds locked before
// it fails. The SQLite driver's own default is 100 seconds, long enough to look like a hang.
inline constexpr int kLockWaitMilliseconds = 5000;

// What to add to a connection string for the driver named so that its waits for a locked
// database are bounded: the SQLite driver's "Timeout" option; nothing for drivers that do not
// lock the whole database.
std::string LockWaitOption(const std::string& driver);

}  // namespace tarn::conduit
