#include "platform/palm/DefaultHandheldFolder.h"
#include "platform/palm/PosixHandheldFolder.h"

namespace tarn::platform::palm {

std::unique_ptr<HandheldFolder> DefaultHandheldFolder(const std::filesystem::path& folder) {
    return std::make_unique<PosixHandheldFolder>(folder);
}

}  // namespace tarn::platform::palm
