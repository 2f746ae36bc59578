#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/process/CommandWords.h"
#include "platform/process/ProgramRunner.h"

extern char** environ;

namespace tarn::platform::process {
namespace {

// Reaps a child we stopped waiting for, so it does not linger as a zombie once it ends.
void ReapLater(pid_t pid) {
    std::thread([pid] {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

// True when the child ended (or cannot be waited for any more) before the deadline; `status`
// then holds what waitpid reported, or -1 when it could not report.
bool WaitUntil(pid_t pid, long timeoutMs, int& status) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        status = -1;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return true;
        if (done < 0 && errno != EINTR) {
            status = -1;
            return true;  // e.g. SIGCHLD ignored: already reaped
        }
        if (timeoutMs >= 0 && Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

bool RunHiddenAndWait(const std::string& commandLine, long timeoutMs, int* exitCode) {
    if (exitCode) *exitCode = -1;
    std::optional<std::vector<std::string>> words = SplitCommandLine(commandLine);
    if (!words || words->empty()) return false;
    std::vector<char*> argv;
    for (auto& word : *words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    // glibc reports a program that cannot be executed here, not as an exit code of the child.
    int started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return false;

    int status = -1;
    if (!WaitUntil(pid, timeoutMs, status))
        ReapLater(pid);
    else if (exitCode && status != -1 && WIFEXITED(status))
        *exitCode = WEXITSTATUS(status);
    return true;
}

}  // namespace tarn::platform::process
