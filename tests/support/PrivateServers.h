#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/ServerProcess.h"

// One private database server in a folder of its own: its data files are made from nothing,
// it listens on 127.0.0.1 only (and on a socket in its folder), and it knows one user with a
// password.
namespace tarn::test {

class PrivateServer {
  public:
    virtual ~PrivateServer() = default;

    virtual std::string Name() const = 0;
    // Starts making the data files; the returned process must exit with 0.
    virtual pid_t BeginPrepare() = 0;
    // Starts the server on a port; Ready() tells when it takes connections.
    virtual pid_t Launch(int port) = 0;
    virtual bool Ready() = 0;
    // Asks a launched server to shut down quickly but cleanly.
    virtual void RequestStop(pid_t server) = 0;
    // The logs to quote when something fails.
    virtual std::filesystem::path PrepareLog() const = 0;
    virtual std::filesystem::path ServerLog() const = 0;
};

// `folder` belongs to `account`; the user is created with `password`.
std::unique_ptr<PrivateServer> NewPostgresServer(const std::filesystem::path& folder,
                                                 const ServerAccount& account,
                                                 const std::string& user,
                                                 const std::string& password);
std::unique_ptr<PrivateServer> NewMariaDbServer(const std::filesystem::path& folder,
                                                const ServerAccount& account,
                                                const std::string& user,
                                                const std::string& password);

}  // namespace tarn::test
