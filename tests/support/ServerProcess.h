#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

// Process plumbing for the private database servers of the tests: servers refuse to run as
// root, must not outlive the process that keeps them, and must never hold the test runner's
// output pipes open.
namespace tarn::test {

// The account server processes run under: "nobody" when this process is root, otherwise the
// current user unchanged.
struct ServerAccount {
    bool switchUser = false;
    uid_t uid = 0;
    gid_t gid = 0;
};
ServerAccount UnprivilegedAccount();

// Hands a folder and everything in it to the account (nothing to do when it is the caller).
void GiveToAccount(const std::filesystem::path& folder, const ServerAccount& account);

// Starts a program under the account, in `workDir`, with standard input from /dev/null and
// both outputs appended to `logFile`. The child is killed when the calling process dies.
pid_t SpawnServerProcess(const std::string& program, const std::vector<std::string>& args,
                         const ServerAccount& account, const std::filesystem::path& workDir,
                         const std::filesystem::path& logFile);

// Waits for a child; returns its exit code, or 128 + the signal that ended it.
int WaitForExit(pid_t pid);
// True while the child runs; reaps it (and stores its exit code) once it has ended.
bool StillRunning(pid_t pid, int* exitCode = nullptr);

// A TCP port on 127.0.0.1 that nothing listens on right now.
int FreeLoopbackPort();

// The first of the candidate paths that is an executable file, or empty.
std::string FindProgram(const std::vector<std::string>& candidates);

// The last lines of a log file, for error messages.
std::string LogTail(const std::filesystem::path& logFile, size_t lines = 15);

// Sleeps briefly between two looks at a starting or stopping process.
void PauseBriefly();

}  // namespace tarn::test
