#include <cstdlib>

#include "platform/suite/TarnHome.h"

namespace tarn::platform {

std::filesystem::path DefaultTarnHome() {
    // The user's own, not roaming: the session and the logs belong to this machine.
    for (const wchar_t* name : {L"LOCALAPPDATA", L"APPDATA", L"USERPROFILE"})
        if (const wchar_t* folder = _wgetenv(name); folder && *folder)
            return std::filesystem::path(folder) / L"Tarn";
    return std::filesystem::path(L"C:\\Tarn");
}

}  // namespace tarn::platform
