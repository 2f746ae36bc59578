#include "conduit/sync/LockWaits.h"

#include "text/Windows1252.h"

namespace tarn::conduit {

std::string LockWaitOption(const std::string& driver) {
    // The driver's busy handler ignores a busy_timeout pragma, so the option is the one way in.
    if (text::FoldCase(driver).find("sqlite") == std::string::npos) return {};
    return "Timeout=" + std::to_string(kLockWaitMilliseconds) + ";";
}

}  // namespace tarn::conduit
