#include <filesystem>

#include "register/ComInstall.h"

namespace tarn::MComInstall {

void DeleteFileIfExists(const std::string& path) {
    std::error_code error;
    if (path.empty()) return;
    auto status = std::filesystem::symlink_status(path, error);
    if (error || !std::filesystem::exists(status) || std::filesystem::is_directory(status)) return;
    std::filesystem::remove(path, error);
}

}  // namespace tarn::MComInstall
