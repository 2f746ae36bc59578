#include "builder/InstallationPackage.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "builder/ConduitForm.h"
#include "builder/DocumentFile.h"
#include "builder/InstallerScript.h"
#include "builder/PackageCompiler.h"
#include "builder/PackageDeploymentCopy.h"
#include "builder/ProgramFolders.h"
#include "builder/Verification.h"
#include "common/config/ConfigFile.h"
#include "register/ComInstall.h"

namespace tarn::builder {
namespace {

namespace fs = std::filesystem;

// The last lines the compiler wrote: where it says why it stopped.
std::string CompilerMessages(const std::string& logFile) {
    std::ifstream file(logFile, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    constexpr std::size_t kMostShown = 4000;
    if (text.size() > kMostShown) text = "..." + text.substr(text.size() - kMostShown);
    return text;
}

std::string Absolute(const std::string& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute.string();
}

PackageBuild Failed(std::string reason) {
    return {false, std::move(reason)};
}

constexpr char kCompilerLogFileName[] = "_temp.log";

PackageBuild Package(const ConduitForm& form, const colTables& tables, const std::string& copy,
                     const std::string& packageFile, const std::string& builderFolder,
                     const std::string& workFolder) {
    const std::string script = workFolder + kScriptFileName;
    const std::string log = workFolder + kCompilerLogFileName;
    if (!WriteConfigFile(copy, SettingsFromForm(form, false, tables.Count()), tables))
        return Failed("There was an error saving the config file " + copy);
    if (!WriteScriptHeader(script, HeaderFor(form, builderFolder, packageFile)) ||
        !AppendScriptTemplate(script))
        return Failed("The installation script " + script + " could not be written");
    const std::string compiler = NsisCompiler(builderFolder);
    CompileResult compiled =
        CompilePackage(CompilerCommandLine(compiler, script, log), packageFile);
    switch (compiled.outcome) {
        case CompileOutcome::PackageBuilt:
            return {true, ""};
        case CompileOutcome::CompilerNotStarted:
            return Failed("Error compiling installation package - Step 3: the NSIS compiler " +
                          compiler + " could not be started");
        case CompileOutcome::PackageNotFound:
            break;
    }
    std::string reason = "Installation Package not Found: ";
    reason += compiled.exitCode < 0
                  ? "the NSIS compiler did not finish"
                  : "the NSIS compiler ended with exit code " + std::to_string(compiled.exitCode);
    std::string messages = CompilerMessages(log);
    if (!messages.empty()) reason += "\n" + messages;
    return Failed(reason);
}

}  // namespace

PackageBuild CreateInstallation(const std::string& descriptionPath, const std::string& packageFile,
                                const std::string& builderFolder) {
    ConduitSettings settings;
    colTables tables;
    DocumentRead read = DocumentRead::Unreadable;
    try {
        read = ReadDocument(descriptionPath, settings, tables);
    } catch (const std::exception&) {
    }
    if (read == DocumentRead::DeploymentCopy)
        return Failed("This is an invalid Tarn Conduit configuration file: " + descriptionPath);
    if (read == DocumentRead::Unreadable)
        return Failed("There was an error loading the configuration file " + descriptionPath);
    const ConduitForm form = FormFromSettings(settings);
    Verification check = VerifyConduit(form, tables);
    if (!check.valid()) return Failed(check.message);

    for (const std::string& name : PackedWindowsFiles()) {
        std::error_code error;
        if (!fs::is_regular_file(fs::path(builderFolder) / name, error))
            return Failed(name + " is missing beside the builder in " + builderFolder +
                          " (the Windows edition: scripts/build-windows.sh)");
    }
    const std::string workFolder = DeploymentFolder(builderFolder);
    if (workFolder.empty()) return Failed("There was an error saving the config file");
    PackageDeploymentCopy copy(workFolder + PackageConfigFileName(form));
    PackageBuild result =
        Package(form, tables, copy.Path(), Absolute(packageFile), builderFolder, workFolder);
    MComInstall::DeleteFileIfExists(workFolder + kScriptFileName);
    MComInstall::DeleteFileIfExists(workFolder + kCompilerLogFileName);
    return result;
}

int RunCreateInstallation(const std::vector<std::string>& arguments,
                          const std::string& builderFolder) {
    if (arguments.size() != 3 || arguments[0] != kCreateInstallationOption) {
        std::fputs("usage: TarnCBuilder --create-installation DESCRIPTION PACKAGE.exe\n", stderr);
        return 1;
    }
    PackageBuild build = CreateInstallation(arguments[1], arguments[2], builderFolder);
    if (build.built) return 0;
    std::string line = "TarnCBuilder: " + build.reason + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    return 1;
}

}  // namespace tarn::builder
