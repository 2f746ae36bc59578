#include "builder/PackageDeploymentCopy.h"

#include <filesystem>

#include "platform/files/AtomicFile.h"
#include "register/ComInstall.h"

namespace tarn::builder {

PackageDeploymentCopy::PackageDeploymentCopy(std::string path) : path_(std::move(path)) {
    std::error_code error;
    std::string bytes;
    if (std::filesystem::is_regular_file(path_, error) && platform::ReadWholeFile(path_, bytes))
        before_ = std::move(bytes);
}

PackageDeploymentCopy::~PackageDeploymentCopy() {
    if (before_)
        platform::WriteFileAtomically(path_, *before_, nullptr, platform::FileAccess::OwnerOnly);
    else
        MComInstall::DeleteFileIfExists(path_);
}

}  // namespace tarn::builder
