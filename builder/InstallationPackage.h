#pragma once

#include <string>
#include <vector>

// The Create Installation command without a window, for scripts and CI:
//   TarnCBuilder --create-installation DESCRIPTION PACKAGE.exe
namespace tarn::builder {

inline constexpr char kCreateInstallationOption[] = "--create-installation";

struct PackageBuild {
    bool built = false;
    std::string reason;  // why not, when not built
};

// Reads the document, verifies it, writes the deployment copy, the script and runs the compiler
// as the packager window does, with `packageFile` for the path the window asks for. The Windows
// files to pack and the compiler are looked for in `builderFolder`; the temporary files go
// where the window puts them and are gone afterwards, whatever happened.
PackageBuild CreateInstallation(const std::string& descriptionPath, const std::string& packageFile,
                                const std::string& builderFolder);

// The command line after the program name, starting with the option. Exit status 0 when the
// package was built; 1 otherwise, with the reason on standard error.
int RunCreateInstallation(const std::vector<std::string>& arguments,
                          const std::string& builderFolder);

}  // namespace tarn::builder
