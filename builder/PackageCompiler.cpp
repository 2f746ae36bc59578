#include "builder/PackageCompiler.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "register/ComInstall.h"

namespace tarn::builder {
namespace {

// One word for the command-line splitter of ShellAndWait: double quotes, with the characters
// it treats specially inside them escaped.
std::string Word(const std::string& text) {
    std::string word = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\' || c == '$' || c == '`') word += '\\';
        word += c;
    }
    return word + "\"";
}

}  // namespace

std::string NsisCompiler(const std::string& builderFolder) {
    std::filesystem::path beside = std::filesystem::path(builderFolder) / "makensis";
    std::error_code error;
    if (!builderFolder.empty() && std::filesystem::is_regular_file(beside, error) &&
        access(beside.c_str(), X_OK) == 0)
        return beside.string();
    return "makensis";
}

std::string CompilerCommandLine(const std::string& compiler, const std::string& scriptPath,
                                const std::string& logFile) {
    std::string line = Word(compiler);
    if (!logFile.empty()) line += " " + Word("-O" + logFile);
    return line + " " + Word(scriptPath);
}

CompileResult CompilePackage(const std::string& commandLine, const std::string& packageFile,
                             long timeoutMs) {
    MComInstall::DeleteFileIfExists(packageFile);
    CompileResult result;
    if (!MComInstall::ShellAndWait(commandLine, timeoutMs, &result.exitCode)) return result;
    std::error_code error;
    bool present = std::filesystem::is_regular_file(packageFile, error);
    if (result.exitCode == 0 && present) {
        result.outcome = CompileOutcome::PackageBuilt;
        return result;
    }
    if (result.exitCode > 0) MComInstall::DeleteFileIfExists(packageFile);
    result.outcome = CompileOutcome::PackageNotFound;
    return result;
}

}  // namespace tarn::builder
