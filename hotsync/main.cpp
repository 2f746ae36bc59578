#include <cstring>
#include <iostream>

#include "hotsync/Commands.h"

namespace {

void PrintUsage() {
    std::cerr
        << "usage: hotsync COMMAND [ARGS]\n"
           "  sync --handheld DIR [--user NAME] [--creator CRID] [--wait SECONDS] [--dry-run]\n"
           "                                    run a HotSync of a handheld folder\n"
           "  list                              list the registered conduits\n"
           "  regsvr [-u] LIBRARY               register (unregister) a conduit library\n"
           "  configure CRID [--user NAME]      open a conduit's configuration window\n"
           "  databases --handheld DIR          list the databases of a handheld folder\n"
           "  dump --handheld DIR NAME          show the records of one database\n"
           "  backups --handheld DIR            list the kept earlier database files\n"
           "  restore --handheld DIR NAME [--generation N] [--wait SECONDS]\n"
           "                                    put an earlier database file back\n"
           "  reg get KEYPATH NAME              read a registry value\n"
           "  reg set KEYPATH NAME VALUE [--dword]  write a registry value\n"
           "  reg delete KEYPATH NAME           delete a registry value\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) std::cerr << "hotsync: missing command\n";
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintUsage();
        return argc < 2 ? 2 : 0;
    }
    std::string command = argv[1];
    tarn::hotsync::Args args(argv + 2, argv + argc);
    try {
        if (command == "databases") return tarn::hotsync::RunDatabases(args);
        if (command == "dump") return tarn::hotsync::RunDump(args);
        if (command == "backups") return tarn::hotsync::RunBackups(args);
        if (command == "restore") return tarn::hotsync::RunRestore(args);
        if (command == "reg") return tarn::hotsync::RunReg(args);
        if (command == "regsvr") return tarn::hotsync::RunRegsvr(args);
        if (command == "list") return tarn::hotsync::RunList(args);
        if (command == "sync") return tarn::hotsync::RunSync(args);
        if (command == "configure") return tarn::hotsync::RunConfigure(args);
    } catch (const std::exception& e) {
        std::cerr << "hotsync: " << e.what() << "\n";
        return 1;
    }
    std::cerr << "hotsync: unknown command '" << command << "'\n";
    PrintUsage();
    return 2;
}
