#pragma once

#include <string>

// Runs the NSIS compiler on a packager script and judges the outcome.
namespace tarn::builder {

// The compiler beside the builder (`builderFolder` + "makensis") when there is one, otherwise
// "makensis" as the search path finds it.
std::string NsisCompiler(const std::string& builderFolder);

// The compiler and the script, each quoted as one word of the command line. With `logFile`,
// the compiler is told to write its messages there (its output is otherwise discarded).
std::string CompilerCommandLine(const std::string& compiler, const std::string& scriptPath,
                                const std::string& logFile = "");

// How long the builder waits for the compiler.
inline constexpr long kCompilerTimeoutMs = 60000;

enum class CompileOutcome {
    CompilerNotStarted,
    PackageNotFound,  // the compiler failed, ran out of time, or wrote no package
    PackageBuilt,
};

struct CompileResult {
    CompileOutcome outcome = CompileOutcome::CompilerNotStarted;
    int exitCode = -1;  // the compiler's, when it ended in time
};

// Deletes whatever is at `packageFile` first, so a package from an earlier run is never taken
// for this one's, runs the command line and waits up to `timeoutMs`. The package counts as built
// only when the compiler ended with exit code 0 and the file is there; what a failing compiler
// left at the path is deleted, for it is no working installer.
CompileResult CompilePackage(const std::string& commandLine, const std::string& packageFile,
                             long timeoutMs = kCompilerTimeoutMs);

}  // namespace tarn::builder
