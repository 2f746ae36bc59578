#pragma once

#include <filesystem>

namespace tarn::platform {

// The folder that holds all machine state of the platform layers (registry, conduit list, users,
// HotSync session and logs): $TARN_HOME, or ~/.local/share/tarn when unset. Created on demand.
// Throws PlatformError when it cannot be created.
std::filesystem::path TarnHome();

}  // namespace tarn::platform
