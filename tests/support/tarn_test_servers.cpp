// Starts and stops the private database servers that the server tests of one run share.
//
//   tarn-test-servers start [FILE]   starts PostgreSQL and MariaDB, describes them in FILE
//   tarn-test-servers stop [FILE]    stops them and removes their folder
//
// FILE defaults to the build tree's (TARN_SERVERS_FILE overrides). The servers stop by
// themselves when the process that ran "start" (normally ctest) ends.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <string>

#include "tests/support/DatabaseServers.h"

int main(int argc, char** argv) {
    using namespace tarn::test;
    const std::string command = argc > 1 ? argv[1] : "";
    if (argc > 3 || (command != "start" && command != "stop")) {
        std::fprintf(stderr, "usage: tarn-test-servers start|stop [FILE]\n");
        return 2;
    }
    const std::filesystem::path file = argc > 2 ? argv[2] : DatabaseServersFile();
    try {
        if (command == "stop") {
            StopDatabaseServers(file);
            std::printf("database servers stopped\n");
            return 0;
        }
        DatabaseServers servers = StartDatabaseServers(file, getppid());
        std::printf("PostgreSQL on 127.0.0.1:%d, MariaDB on 127.0.0.1:%d, in %s\n",
                    servers.postgres.port, servers.mariadb.port, servers.folder.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
