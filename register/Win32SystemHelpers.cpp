// The system helpers of the registration module on Windows, used by the installation packager.
#include <windows.h>

#include "platform/process/ProgramRunner.h"
#include "platform/win32/Win32Text.h"
#include "register/ComInstall.h"

namespace tarn::MComInstall {

std::string GetSystemDir() {
    wchar_t buffer[MAX_PATH + 1];
    UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length > MAX_PATH) return {};
    std::string folder = platform::win32::Utf8FromWide(std::wstring_view(buffer, length));
    while (!folder.empty() && folder.back() == ' ') folder.pop_back();
    if (folder.empty()) return {};
    if (folder.back() != '\\') folder += '\\';
    return folder;
}

bool ShellAndWait(const std::string& commandLine, long timeoutMs, int* exitCode) {
    return platform::process::RunHiddenAndWait(commandLine, timeoutMs, exitCode);
}

}  // namespace tarn::MComInstall
