#include <iostream>

#include "hotsync/Commands.h"

namespace tarn::hotsync {

int RunReg(const Args&) {
    std::cerr << "hotsync: reg is not available yet\n";
    return 2;
}

}  // namespace tarn::hotsync
