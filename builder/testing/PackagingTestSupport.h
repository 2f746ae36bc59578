#pragma once

#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "builder/ConduitForm.h"
#include "builder/InstallerScript.h"
#include "common/config/ConfigFile.h"
#include "common/model/clsTable.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"

// Helpers for tests that build installation packages with the real makensis.
namespace tarn::builder::test {

namespace fs = std::filesystem;

// The stand-ins made at build time (see builder/CMakeLists.txt).
inline fs::path WindowsStandIns() {
    return TARN_WINDOWS_STANDINS;
}

inline bool OnSearchPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':'))
        if (!folder.empty() && access((fs::path(folder) / program).c_str(), X_OK) == 0) return true;
    return false;
}

// Empty when this machine can compile packages from the folder; otherwise what is missing.
inline std::string WhyPackagesCannotBeBuilt(const fs::path& windowsFiles = WindowsStandIns()) {
    if (!OnSearchPath("makensis")) return "makensis is not installed (Debian package nsis)";
    for (const auto& name : PackedWindowsFiles())
        if (!fs::exists(windowsFiles / name))
            return (windowsFiles / name).string() + " is missing (mingw-w64 not installed?)";
    return "";
}

inline void CopyWindowsFiles(const fs::path& from, const fs::path& programFolder) {
    for (const auto& name : PackedWindowsFiles())
        fs::copy_file(from / name, programFolder / name, fs::copy_options::overwrite_existing);
}

// A program folder of its own for the real TarnCBuilder, with the Windows files beside it, so
// that runs in parallel never share the script or the deployment copy.
inline fs::path MakeBuilderFolder(const fs::path& folder,
                                  const fs::path& windowsFiles = WindowsStandIns()) {
    fs::create_directories(folder);
    fs::copy_file(tarn::test::BinDir() / "TarnCBuilder", folder / "TarnCBuilder",
                  fs::copy_options::overwrite_existing);
    CopyWindowsFiles(windowsFiles, folder);
    return folder;
}

// The command a script or CI runs: TarnCBuilder --create-installation DESCRIPTION PACKAGE.
inline tarn::test::ProcessResult BuildPackage(const fs::path& builderFolder,
                                              const fs::path& description,
                                              const fs::path& package) {
    return tarn::test::RunProcess(
        (builderFolder / "TarnCBuilder").string(),
        {"--create-installation", description.string(), package.string()});
}

// A conduit that verifies: one table with one field.
inline ConduitForm ValidConduitForm() {
    ConduitForm form;
    form.CompanyName = "Tarn Ltd";
    form.ConduitTitle = "Orders";
    form.CreatorID = "TORD";
    form.ConduitShortName = "TarnOrders";
    form.InstallationPath = "C:\\Tarn\\Orders";
    form.Version = "1.0";
    return form;
}

inline void AddOrdersTable(colTables& tables) {
    tables.Add("Orders", "TarnOrders")->Fields().Add("Id", 3);
}

// Writes a builder document (IsConfigFile true) describing `form` with the Orders table.
inline fs::path WriteDocument(const fs::path& path, const ConduitForm& form = ValidConduitForm(),
                              bool document = true) {
    colTables tables;
    AddOrdersTable(tables);
    if (!WriteConfigFile(path.string(), SettingsFromForm(form, document, tables.Count()), tables))
        ADD_FAILURE() << "cannot write " << path;
    return path;
}

// The files of a folder, by name.
inline std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace tarn::builder::test
