#pragma once

#include <filesystem>
#include <memory>

#include "platform/palm/HandheldFolder.h"

namespace tarn::platform::palm {

// The one place a program gets the handheld: a folder of .pdb files in both editions.
std::unique_ptr<HandheldFolder> DefaultHandheldFolder(const std::filesystem::path& folder);

}  // namespace tarn::platform::palm
