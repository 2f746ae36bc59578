// The system helpers of the registration module on POSIX systems, used by the installation
// packager.
#include <filesystem>

#include "platform/process/ProgramRunner.h"
#include "platform/suite/TarnHome.h"
#include "register/ComInstall.h"

namespace tarn::MComInstall {

std::string GetSystemDir() {
    try {
        std::filesystem::path folder = platform::TarnHome() / "system";
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error || !std::filesystem::is_directory(folder)) return {};
        std::string text = folder.string();
        if (text.empty() || text.back() != '/') text += '/';
        return text;
    } catch (...) {
        return {};
    }
}

bool ShellAndWait(const std::string& commandLine, long timeoutMs, int* exitCode) {
    return platform::process::RunHiddenAndWait(commandLine, timeoutMs, exitCode);
}

}  // namespace tarn::MComInstall
