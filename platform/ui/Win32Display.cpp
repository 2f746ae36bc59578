#include <windows.h>

#include <cstdlib>
#include <string_view>

#include "platform/ui/Display.h"

namespace tarn::platform::ui {

bool HasDisplay() {
    // The same switch as on POSIX systems keeps scripts and tests from waiting on a box.
    if (const char* platform = std::getenv("QT_QPA_PLATFORM")) {
        std::string_view name(platform);
        name = name.substr(0, name.find(':'));
        if (name == "offscreen" || name == "minimal") return false;
    }
    // A service's window station shows nothing to anyone.
    USEROBJECTFLAGS flags{};
    HWINSTA station = GetProcessWindowStation();
    if (station && GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr))
        return (flags.dwFlags & WSF_VISIBLE) != 0;
    return true;
}

}  // namespace tarn::platform::ui
