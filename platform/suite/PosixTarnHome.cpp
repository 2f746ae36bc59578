#include <cstdlib>

#include "platform/suite/TarnHome.h"

namespace tarn::platform {

std::filesystem::path DefaultTarnHome() {
    const char* user = std::getenv("HOME");
    return std::filesystem::path(user && *user ? user : "/tmp") / ".local" / "share" / "tarn";
}

}  // namespace tarn::platform
