#pragma once

#include <filesystem>

namespace tarn::platform {

// The folder that holds all machine state of the platform layers (registry, conduit list, users,
// HotSync session and logs): $TARN_HOME, or DefaultTarnHome() when unset. Created on demand.
// Throws PlatformError when it cannot be created.
std::filesystem::path TarnHome();

// The folder without TARN_HOME: ~/.local/share/tarn on POSIX systems, Tarn in the user's local
// application data on Windows.
std::filesystem::path DefaultTarnHome();

}  // namespace tarn::platform
