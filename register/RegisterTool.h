#pragma once

#include <string>

#include "register/ComInstall.h"

// The register tool that installation packages run: "-R path" registers the conduit that a
// configuration file describes, "-U CRID" removes a registration, "?" shows the version.
namespace tarn::MMain {

inline constexpr char kProgramTitle[] = "Tarn Conduit Register Tool";

// The exit code after the usage message: the command line asked for nothing the tool does.
inline constexpr int kUsageError = 2;

// Runs the tool on its command line (everything after the program name, as one text) and
// returns the exit code: 0 after a registration or removal that worked and after the about
// message, 1 when the work failed, kUsageError after the usage message, so installers and
// scripts can tell them apart.
// Everything the tool says is a message box; it sets the program title for them.
int RunRegisterTool(const std::string& commandLine,
                    const MComInstall::PalmComObjects& palm = MComInstall::DefaultPalmComObjects());

// The command line as the tool sees it: the arguments joined by single spaces.
std::string JoinArguments(int argc, const char* const* argv);

// "Version: major.minor.revision" of this build.
std::string VersionLine();

}  // namespace tarn::MMain
