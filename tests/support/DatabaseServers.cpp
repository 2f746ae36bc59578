#include "tests/support/DatabaseServers.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <map>
#include <stdexcept>
#include <vector>

#include "tests/support/PrivateServers.h"
#include "tests/support/ServerProcess.h"

namespace tarn::test {
namespace {

constexpr const char* kUser = "tarn";
constexpr const char* kPassword = "Tarn-test-1";
constexpr int kLaunchAttempts = 3;  // a port taken between choosing and binding costs one
constexpr auto kStartLimit = std::chrono::seconds(120);
constexpr auto kStopLimit = std::chrono::seconds(30);

volatile sig_atomic_t stopRequested = 0;
void RequestStop(int) {
    stopRequested = 1;
}

std::filesystem::path LockFile(const std::filesystem::path& file) {
    return file.string() + ".lock";
}

bool ProcessAlive(pid_t pid) {
    return kill(pid, 0) == 0 || errno == EPERM;
}

struct Running {
    std::unique_ptr<PrivateServer> server;
    pid_t pid = 0;
    int port = 0;
};

void Finish(Running& running) {
    if (running.pid <= 0) return;
    if (StillRunning(running.pid)) {
        running.server->RequestStop(running.pid);
        auto limit = std::chrono::steady_clock::now() + kStopLimit;
        while (StillRunning(running.pid) && std::chrono::steady_clock::now() < limit)
            PauseBriefly();
        if (StillRunning(running.pid)) {
            kill(running.pid, SIGKILL);
            WaitForExit(running.pid);
        }
    }
    running.pid = 0;
}

void Prepare(std::vector<Running>& servers) {
    std::vector<pid_t> preparing;
    for (auto& s : servers) preparing.push_back(s.server->BeginPrepare());
    std::string failures;
    for (size_t i = 0; i < servers.size(); ++i)
        if (int code = WaitForExit(preparing[i]); code != 0)
            failures += servers[i].server->Name() + ": making the data files failed (exit code " +
                        std::to_string(code) + "):\n" + LogTail(servers[i].server->PrepareLog());
    if (!failures.empty()) throw std::runtime_error(failures);
}

// Launches every server and waits until all take connections; a server that dies while
// starting (most often a port taken meanwhile) gets another port.
void Launch(std::vector<Running>& servers) {
    std::vector<int> attempts(servers.size(), 0);
    std::vector<bool> ready(servers.size(), false);
    auto launch = [&](size_t i) {
        ++attempts[i];
        servers[i].port = FreeLoopbackPort();
        servers[i].pid = servers[i].server->Launch(servers[i].port);
    };
    for (size_t i = 0; i < servers.size(); ++i) launch(i);
    const auto limit = std::chrono::steady_clock::now() + kStartLimit;
    for (;;) {
        bool all = true;
        for (size_t i = 0; i < servers.size(); ++i) {
            if (ready[i]) continue;
            Running& s = servers[i];
            int code = 0;
            if (!StillRunning(s.pid, &code)) {
                s.pid = 0;
                if (attempts[i] >= kLaunchAttempts)
                    throw std::runtime_error(
                        s.server->Name() + " stopped while starting (exit code " +
                        std::to_string(code) + "):\n" + LogTail(s.server->ServerLog()));
                launch(i);
            } else if (s.server->Ready()) {
                ready[i] = true;
                continue;
            }
            all = false;
        }
        if (all) return;
        if (stopRequested) throw std::runtime_error("asked to stop while starting");
        if (std::chrono::steady_clock::now() > limit) {
            std::string logs;
            for (size_t i = 0; i < servers.size(); ++i)
                if (!ready[i])
                    logs += servers[i].server->Name() + " did not start in time:\n" +
                            LogTail(servers[i].server->ServerLog());
            throw std::runtime_error(logs);
        }
        PauseBriefly();
    }
}

void WriteDescription(const std::filesystem::path& file, const DatabaseServers& servers) {
    const std::filesystem::path temp = file.string() + ".new";
    {
        std::ofstream out(temp);
        out << "keeper=" << servers.keeper << "\nfolder=" << servers.folder.string()
            << "\npostgres_port=" << servers.postgres.port
            << "\nmariadb_port=" << servers.mariadb.port << "\nuser=" << servers.postgres.user
            << "\npassword=" << servers.postgres.password << "\n";
        if (!out) throw std::runtime_error("cannot write " + temp.string());
    }
    std::filesystem::rename(temp, file);
}

void Report(int channel, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(channel, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += size_t(n);
    }
}

// The keeper: owns both servers from start to stop. Reports "ok" or what went wrong on
// `channel`, then watches for the end of the guarded process, a stop request, or the removal
// of the description file.
[[noreturn]] void Keep(const std::filesystem::path& file, pid_t guardedPid, int channel) {
    signal(SIGTERM, RequestStop);
    signal(SIGINT, RequestStop);
    signal(SIGHUP, RequestStop);
    int lock = open(LockFile(file).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock < 0 || flock(lock, LOCK_EX) != 0) {
        Report(channel, "cannot lock " + LockFile(file).string());
        _exit(1);
    }

    std::filesystem::path folder;
    std::vector<Running> servers;
    int exitCode = 0;
    try {
        const ServerAccount account = UnprivilegedAccount();
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tarn-servers-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        folder = pattern;
        GiveToAccount(folder, account);
        servers.push_back({NewPostgresServer(folder, account, kUser, kPassword)});
        servers.push_back({NewMariaDbServer(folder, account, kUser, kPassword)});
        Prepare(servers);
        Launch(servers);

        DatabaseServers description;
        description.keeper = getpid();
        description.folder = folder;
        description.postgres = {servers[0].port, kUser, kPassword};
        description.mariadb = {servers[1].port, kUser, kPassword};
        WriteDescription(file, description);
        Report(channel, "ok");
        close(channel);

        while (!stopRequested && ProcessAlive(guardedPid) && std::filesystem::exists(file)) {
            for (auto& s : servers)
                if (s.pid > 0 && !StillRunning(s.pid)) s.pid = 0;  // tests will say so loudly
            PauseBriefly();
        }
    } catch (const std::exception& e) {
        Report(channel, e.what());
        exitCode = 1;
    }
    for (auto& s : servers) Finish(s);
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    try {
        if (exitCode == 0 && ReadDatabaseServers(file).keeper == getpid())
            std::filesystem::remove(file, ignored);
    } catch (const std::exception&) {
    }
    _exit(exitCode);
}

}  // namespace

std::filesystem::path DatabaseServersFile() {
    const char* file = getenv("TARN_SERVERS_FILE");
    return file ? std::filesystem::path(file) : std::filesystem::path(TARN_DEFAULT_SERVERS_FILE);
}

DatabaseServers ReadDatabaseServers(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in)
        throw std::runtime_error(
            "The private database servers are not running (no " + file.string() +
            "). Run the tests through ctest, which starts them (fixture database_servers), or "
            "start them with `tarn-test-servers start " +
            file.string() + "`.");
    std::map<std::string, std::string> values;
    for (std::string line; std::getline(in, line);)
        if (auto eq = line.find('='); eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    auto number = [&](const char* key) {
        try {
            return std::stoi(values.at(key));
        } catch (const std::exception&) {
            throw std::runtime_error(file.string() + " lacks a valid " + key);
        }
    };
    DatabaseServers servers;
    servers.keeper = number("keeper");
    servers.folder = values["folder"];
    servers.postgres = {number("postgres_port"), values["user"], values["password"]};
    servers.mariadb = {number("mariadb_port"), values["user"], values["password"]};
    return servers;
}

DatabaseServers StartDatabaseServers(const std::filesystem::path& file, pid_t guardedPid) {
    StopDatabaseServers(file);
    std::filesystem::create_directories(file.parent_path());
    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    pid_t keeper = fork();
    if (keeper < 0) throw std::runtime_error("fork failed");
    if (keeper == 0) {
        close(channel[0]);
        // Its own session, and no share in the caller's output: a test runner waits for the
        // output pipes of a test to close, and the keeper outlives the test that starts it.
        setsid();
        int devNull = open("/dev/null", O_RDWR);
        for (int fd : {0, 1, 2}) dup2(devNull, fd);
        Keep(file, guardedPid, channel[1]);
    }
    close(channel[1]);
    std::string answer;
    char buffer[4096];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        answer.append(buffer, size_t(n));
    }
    close(channel[0]);
    if (answer != "ok") {
        WaitForExit(keeper);
        throw std::runtime_error("The private database servers could not start.\n" + answer);
    }
    return ReadDatabaseServers(file);
}

void StopDatabaseServers(const std::filesystem::path& file) {
    std::error_code ignored;
    pid_t keeper = 0;
    if (std::filesystem::exists(file)) {
        try {
            keeper = ReadDatabaseServers(file).keeper;
            if (keeper > 0) kill(keeper, SIGTERM);
        } catch (const std::exception&) {
        }
    }
    // The keeper holds the lock until it has stopped both servers and exits.
    int lock = open(LockFile(file).c_str(), O_RDWR | O_CLOEXEC);
    if (lock >= 0) {
        while (flock(lock, LOCK_EX) != 0 && errno == EINTR) {
        }
        close(lock);
    }
    // A keeper killed outright leaves its description (its servers died with it).
    if (std::filesystem::exists(file)) {
        try {
            std::filesystem::remove_all(ReadDatabaseServers(file).folder, ignored);
        } catch (const std::exception&) {
        }
        std::filesystem::remove(file, ignored);
    }
    std::filesystem::remove(LockFile(file), ignored);
    // The keeper may be a child of this process (the benchmark starts its own servers).
    if (keeper > 0) waitpid(keeper, nullptr, 0);  // ECHILD at once for anyone else's
}

void AddServerOdbcDrivers(TestEnvironment& environment) {
    const std::string postgres = FindOdbcDriverLibrary("psqlodbcw.so");
    const std::string mariadb = FindOdbcDriverLibrary("libmaodbc.so");
    if (postgres.empty())
        throw std::runtime_error("psqlODBC is not installed (package odbc-postgresql)");
    if (mariadb.empty())
        throw std::runtime_error("MariaDB Connector/ODBC is not installed (package odbc-mariadb)");
    environment.addOdbcDriver("PostgreSQL Unicode", postgres, "CommLog=0\nDebug=0");
    environment.addOdbcDriver("MariaDB Unicode", mariadb);
}

}  // namespace tarn::test
