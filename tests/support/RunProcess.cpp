#include "tests/support/RunProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace tarn::test {
namespace {

pid_t StartChild(const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        int code = 255;
        try {
            code = body();
        } catch (...) {
        }
        _exit(code);
    }
    return pid;
}

int WaitForChild(pid_t pid) {
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input) {
    int inPipe[2], outPipe[2], errPipe[2];
    if (pipe(inPipe) || pipe(outPipe) || pipe(errPipe)) throw std::runtime_error("pipe failed");
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(inPipe[0], 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
            close(fd);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(inPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    fcntl(inPipe[1], F_SETFL, O_NONBLOCK);

    ProcessResult result;
    size_t written = 0;
    bool inOpen = true, outOpen = true, errOpen = true;
    if (input.empty()) {
        close(inPipe[1]);
        inOpen = false;
    }
    while (outOpen || errOpen) {
        pollfd fds[3] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}, {inPipe[1], POLLOUT, 0}};
        nfds_t count = inOpen ? 3 : 2;
        if (!outOpen) fds[0].fd = -1;
        if (!errOpen) fds[1].fd = -1;
        if (poll(fds, count, -1) < 0) break;
        char buffer[65536];
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP))) {
                ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
                if (n <= 0) {
                    close(fds[i].fd);
                    (i == 0 ? outOpen : errOpen) = false;
                } else {
                    (i == 0 ? result.out : result.err).append(buffer, static_cast<size_t>(n));
                }
            }
        }
        if (inOpen && (fds[2].revents & (POLLOUT | POLLERR))) {
            ssize_t n = write(inPipe[1], input.data() + written, input.size() - written);
            if (n > 0) written += static_cast<size_t>(n);
            if (n < 0 || written == input.size()) {
                close(inPipe[1]);
                inOpen = false;
            }
        }
    }
    if (inOpen) close(inPipe[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

std::string Explain(const ProcessResult& result) {
    return "exit " + std::to_string(result.exitCode) + "\nstdout:\n" + result.out + "\nstderr:\n" +
           result.err;
}

int RunInChild(const std::function<int()>& body) {
    return WaitForChild(StartChild(body));
}

bool RunInChildrenAtOnce(int count, const std::function<int(int)>& body) {
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) children.push_back(StartChild([&] { return body(i); }));
    bool allSucceeded = true;
    for (pid_t pid : children) allSucceeded = WaitForChild(pid) == 0 && allSucceeded;
    return allSucceeded;
}

}  // namespace tarn::test
