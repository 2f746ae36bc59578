#include "builder/ProgramFolders.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "platform/suite/TarnHome.h"

namespace tarn::builder {
namespace fs = std::filesystem;
namespace {

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

bool CanCreateFilesIn(const std::string& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec) && access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace

std::string ExecutableFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return WithSlash(fs::current_path(ec).string());
    return WithSlash(exe.parent_path().string());
}

std::string DeploymentFolder(const std::string& programFolder) {
    if (!programFolder.empty() && CanCreateFilesIn(programFolder)) return WithSlash(programFolder);
    try {
        fs::path conduits = platform::TarnHome() / "conduits";
        std::error_code ec;
        fs::create_directories(conduits, ec);
        if (CanCreateFilesIn(conduits.string())) return WithSlash(conduits.string());
    } catch (const std::exception&) {
    }
    return "";
}

std::optional<std::string> DocumentFromCommandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const auto& argument : arguments) {
        if (!line.empty()) line += ' ';
        line += argument;
    }
    if (line.find(".tcf") == std::string::npos) return std::nullopt;
    if (!line.empty() && line.front() == '"') line.erase(0, 1);
    if (!line.empty() && line.back() == '"') line.pop_back();
    return line;
}

std::string HelpPagePath(const std::string& programFolder) {
    const char* name = "TarnConduit.html";
    std::error_code ec;
    for (fs::path candidate :
         {fs::path(programFolder) / name, fs::path(programFolder) / "../share/tarn" / name}) {
        if (fs::is_regular_file(candidate, ec)) return fs::weakly_canonical(candidate, ec).string();
    }
    return "";
}

}  // namespace tarn::builder
