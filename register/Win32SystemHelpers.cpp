// The process helpers of the registration module on Windows, used by the installation packager.
#include <windows.h>

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

bool ShellAndWait(const std::string& commandLine, long timeoutMs) {
    if (commandLine.find_first_not_of(" \t") == std::string::npos) return false;
    // The system parses the line itself: a program path with blanks is written in quotes.
    std::wstring line = platform::win32::WideFromUtf8(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
    // A program still running after the wait is left to run; only our handle goes.
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace tarn::MComInstall
