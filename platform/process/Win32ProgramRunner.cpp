#include <windows.h>

#include "platform/process/ProgramRunner.h"
#include "platform/win32/Win32Text.h"

namespace tarn::platform::process {

bool RunHiddenAndWait(const std::string& commandLine, long timeoutMs, int* exitCode) {
    if (exitCode) *exitCode = -1;
    if (commandLine.find_first_not_of(" \t") == std::string::npos) return false;
    std::wstring line = win32::WideFromUtf8(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    DWORD waited = WaitForSingleObject(process.hProcess,
                                       timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
    DWORD code = 0;
    if (exitCode && waited == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &code))
        *exitCode = static_cast<int>(code);
    // A program still running after the wait is left to run; only our handle goes.
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace tarn::platform::process
