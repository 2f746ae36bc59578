#include "windows/PalmDesktopFolder.h"

#include <windows.h>

#include <cstdlib>

namespace tarn::windows {

std::optional<std::filesystem::path> RegisteredPalmDesktopFolder() {
    wchar_t buffer[MAX_PATH * 2];
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, kPalmCoreKey, kPalmPathValue, RRF_RT_REG_SZ, nullptr,
                     buffer, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::filesystem::path(buffer);
}

bool RegisterPalmDesktopFolder(const std::filesystem::path& folder) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kPalmCoreKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring text = folder.wstring();
    LONG status =
        RegSetValueExW(key, kPalmPathValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::filesystem::path DefaultPalmDesktopFolder() {
    const wchar_t* programs = _wgetenv(L"ProgramFiles");
    return std::filesystem::path(programs && *programs ? programs : L"C:\\Program Files") / L"Palm";
}

}  // namespace tarn::windows
