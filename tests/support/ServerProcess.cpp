#include "tests/support/ServerProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace tarn::test {

ServerAccount UnprivilegedAccount() {
    ServerAccount account;
    if (geteuid() != 0) return account;
    const passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr) throw std::runtime_error("running as root, but there is no user nobody");
    account.switchUser = true;
    account.uid = nobody->pw_uid;
    account.gid = nobody->pw_gid;
    return account;
}

void GiveToAccount(const std::filesystem::path& folder, const ServerAccount& account) {
    if (!account.switchUser) return;
    auto give = [&](const std::filesystem::path& path) {
        if (lchown(path.c_str(), account.uid, account.gid) != 0)
            throw std::runtime_error("cannot hand " + path.string() + " to the server account");
    };
    give(folder);
    if (!std::filesystem::is_directory(folder)) return;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        give(entry.path());
}

pid_t SpawnServerProcess(const std::string& program, const std::vector<std::string>& args,
                         const ServerAccount& account, const std::filesystem::path& workDir,
                         const std::filesystem::path& logFile) {
    // Everything the child needs is prepared before fork: after it only async-signal-safe
    // calls are allowed.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int log = open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log < 0) throw std::runtime_error("cannot open " + logFile.string());
    if (account.switchUser) fchown(log, account.uid, account.gid);
    int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t parent = getpid();

    pid_t pid = fork();
    if (pid < 0) {
        close(log);
        close(devNull);
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        dup2(devNull, 0);
        dup2(log, 1);
        dup2(log, 2);
        if (account.switchUser &&
            (setgroups(0, nullptr) != 0 || setgid(account.gid) != 0 || setuid(account.uid) != 0))
            _exit(126);
        // Set after the change of user, which clears it; checked against a parent that died
        // before it was set.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(126);
        if (chdir(workDir.c_str()) != 0) _exit(126);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(log);
    close(devNull);
    return pid;
}

int WaitForExit(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

bool StillRunning(pid_t pid, int* exitCode) {
    int status = 0;
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == 0) return true;
    if (exitCode != nullptr)
        *exitCode = done < 0              ? -1
                    : WIFEXITED(status)   ? WEXITSTATUS(status)
                    : WIFSIGNALED(status) ? 128 + WTERMSIG(status)
                                          : -1;
    return false;
}

int FreeLoopbackPort() {
    int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) throw std::runtime_error("socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(s);
        throw std::runtime_error("no free loopback port");
    }
    close(s);
    return ntohs(address.sin_port);
}

std::string FindProgram(const std::vector<std::string>& candidates) {
    for (const auto& candidate : candidates)
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    return {};
}

std::string LogTail(const std::filesystem::path& logFile, size_t lines) {
    std::ifstream in(logFile);
    std::deque<std::string> tail;
    for (std::string line; std::getline(in, line);) {
        tail.push_back(line);
        if (tail.size() > lines) tail.pop_front();
    }
    std::string text;
    for (const auto& line : tail) text += "  " + line + "\n";
    return text;
}

void PauseBriefly() {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

}  // namespace tarn::test
