#include "platform/suite/TarnHome.h"

#include <cstdlib>
#include <system_error>

#include "platform/Error.h"
#include "platform/suite/SuiteErrors.h"

namespace tarn::platform {

std::filesystem::path TarnHome() {
    std::filesystem::path home;
    const char* configured = std::getenv("TARN_HOME");
    if (configured && *configured) {
        home = configured;
    } else {
        home = DefaultTarnHome();
    }
    std::error_code error;
    std::filesystem::create_directories(home, error);
    if (error)
        throw PlatformError(suite_error::kAccessDenied,
                            "Cannot create " + home.string() + ": " + error.message());
    return home;
}

}  // namespace tarn::platform
