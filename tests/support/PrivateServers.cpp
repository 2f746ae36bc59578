#include "tests/support/PrivateServers.h"

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tarn::test {
namespace {

std::string ReadWhole(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteForAccount(const std::filesystem::path& file, const std::string& text,
                     const ServerAccount& account) {
    std::ofstream(file) << text;
    if (account.switchUser) GiveToAccount(file, account);
}

std::string Require(const std::string& found, const std::string& what, const std::string& package) {
    if (found.empty())
        throw std::runtime_error(what + " not found: install the " + package +
                                 " package (scripts/install-deps.sh)");
    return found;
}

// Debian keeps each PostgreSQL major version's programs in a folder of its own.
std::string PostgresProgram(const std::string& name) {
    std::vector<std::string> candidates;
    const std::filesystem::path versions = "/usr/lib/postgresql";
    if (std::filesystem::is_directory(versions))
        for (const auto& entry : std::filesystem::directory_iterator(versions))
            candidates.push_back((entry.path() / "bin" / name).string());
    std::sort(candidates.rbegin(), candidates.rend());  // newest first
    return Require(FindProgram(candidates), "PostgreSQL's " + name, "postgresql");
}

// What every server knows: its folder, the account it runs under, and its one user.
class ServerInFolder : public PrivateServer {
  public:
    ServerInFolder(std::filesystem::path folder, ServerAccount account, std::string user,
                   std::string password)
        : folder_(std::move(folder)),
          account_(account),
          user_(std::move(user)),
          password_(std::move(password)) {}

  protected:
    std::filesystem::path folder_;
    ServerAccount account_;
    std::string user_;
    std::string password_;
};

class PostgresServer : public ServerInFolder {
  public:
    using ServerInFolder::ServerInFolder;

    std::string Name() const override { return "PostgreSQL"; }

    pid_t BeginPrepare() override {
        const std::string initdb = PostgresProgram("initdb");
        WriteForAccount(folder_ / "postgres-password", password_ + "\n", account_);
        // Passwords are checked on TCP, as on a real server; the socket stays for maintenance.
        return SpawnServerProcess(
            initdb,
            {"-D", data().string(), "-U", user_,
             "--pwfile=" + (folder_ / "postgres-password").string(), "--auth-local=trust",
             "--auth-host=scram-sha-256", "--encoding=UTF8", "--no-locale", "--no-sync"},
            account_, folder_, PrepareLog());
    }

    pid_t Launch(int port) override {
        // Durability is no concern for data that lives as long as one test run.
        return SpawnServerProcess(
            PostgresProgram("postgres"),
            {"-D", data().string(), "-p", std::to_string(port), "-c", "listen_addresses=127.0.0.1",
             "-c", "unix_socket_directories=" + folder_.string(), "-c", "fsync=off", "-c",
             "synchronous_commit=off", "-c", "full_page_writes=off"},
            account_, folder_, ServerLog());
    }

    // The server marks its lock file "ready" once it takes connections.
    bool Ready() override {
        std::ifstream in(data() / "postmaster.pid");
        std::string line;
        for (int i = 0; i < 8 && std::getline(in, line); ++i) {
        }
        return in && line.rfind("ready", 0) == 0;
    }

    void RequestStop(pid_t server) override { kill(server, SIGINT); }  // fast shutdown

    std::filesystem::path PrepareLog() const override { return folder_ / "postgres-init.log"; }
    std::filesystem::path ServerLog() const override { return folder_ / "postgres.log"; }

  private:
    std::filesystem::path data() const { return folder_ / "postgres"; }
};

class MariaDbServer : public ServerInFolder {
  public:
    using ServerInFolder::ServerInFolder;

    std::string Name() const override { return "MariaDB"; }

    pid_t BeginPrepare() override {
        const std::string install = Require(
            FindProgram({"/usr/bin/mariadb-install-db", "/usr/local/bin/mariadb-install-db"}),
            "mariadb-install-db", "mariadb-server");
        // Accounts cannot be made while the system tables are being built; the server makes
        // this one each time it starts.
        WriteForAccount(folder_ / "mariadb-users.sql",
                        "CREATE USER IF NOT EXISTS '" + user_ + "'@'%' IDENTIFIED BY '" +
                            password_ + "';\nGRANT ALL PRIVILEGES ON *.* TO '" + user_ +
                            "'@'%' WITH GRANT OPTION;\n",
                        account_);
        return SpawnServerProcess(
            install,
            {"--no-defaults", "--datadir=" + data().string(),
             "--auth-root-authentication-method=normal", "--skip-test-db", "--skip-name-resolve"},
            account_, folder_, PrepareLog());
    }

    pid_t Launch(int port) override {
        const std::string mariadbd = Require(
            FindProgram({"/usr/sbin/mariadbd", "/usr/bin/mariadbd", "/usr/local/bin/mariadbd"}),
            "mariadbd", "mariadb-server");
        std::error_code ignored;
        logStart_ = std::filesystem::file_size(ServerLog(), ignored);
        if (ignored) logStart_ = 0;
        // utf8mb4 is what Debian's own configuration sets; native AIO is left out because
        // containers often forbid it.
        return SpawnServerProcess(
            mariadbd,
            {"--no-defaults", "--datadir=" + data().string(),
             "--socket=" + (folder_ / "mariadb.sock").string(), "--port=" + std::to_string(port),
             "--bind-address=127.0.0.1", "--skip-name-resolve",
             "--init-file=" + (folder_ / "mariadb-users.sql").string(),
             "--character-set-server=utf8mb4", "--collation-server=utf8mb4_unicode_ci",
             "--innodb-use-native-aio=0", "--innodb-flush-log-at-trx-commit=0",
             "--performance-schema=0", "--log-error=" + ServerLog().string(),
             "--pid-file=" + (folder_ / "mariadb.pid").string()},
            account_, folder_, folder_ / "mariadb-stdout.log");
    }

    bool Ready() override {
        std::string log = ReadWhole(ServerLog());
        return log.size() > logStart_ &&
               log.find("ready for connections", logStart_) != std::string::npos;
    }

    void RequestStop(pid_t server) override { kill(server, SIGTERM); }

    std::filesystem::path PrepareLog() const override { return folder_ / "mariadb-init.log"; }
    std::filesystem::path ServerLog() const override { return folder_ / "mariadb.log"; }

  private:
    std::filesystem::path data() const { return folder_ / "mariadb"; }

    std::uintmax_t logStart_ = 0;
};

}  // namespace

std::unique_ptr<PrivateServer> NewPostgresServer(const std::filesystem::path& folder,
                                                 const ServerAccount& account,
                                                 const std::string& user,
                                                 const std::string& password) {
    return std::make_unique<PostgresServer>(folder, account, user, password);
}

std::unique_ptr<PrivateServer> NewMariaDbServer(const std::filesystem::path& folder,
                                                const ServerAccount& account,
                                                const std::string& user,
                                                const std::string& password) {
    return std::make_unique<MariaDbServer>(folder, account, user, password);
}

}  // namespace tarn::test
