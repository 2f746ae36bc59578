#include <iostream>

#include "hotsync/Commands.h"

namespace tarn::hotsync {

int RunDatabases(const Args&) {
    std::cerr << "hotsync: databases is not available yet\n";
    return 2;
}

int RunDump(const Args&) {
    std::cerr << "hotsync: dump is not available yet\n";
    return 2;
}

}  // namespace tarn::hotsync
