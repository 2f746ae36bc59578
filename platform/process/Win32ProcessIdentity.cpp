#include <windows.h>

#include "platform/process/ProcessIdentity.h"

namespace tarn::platform::process {

std::int64_t CurrentProcessId() {
    return static_cast<std::int64_t>(GetCurrentProcessId());
}

std::uint64_t ProcessStartTime(std::int64_t processId) {
    HANDLE process =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(processId));
    if (!process) return 0;
    FILETIME created{}, exited{}, kernel{}, user{};
    std::uint64_t start = 0;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user))
        start = (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    CloseHandle(process);
    return start;
}

bool ProcessExists(std::int64_t processId) {
    if (processId <= 0) return false;
    HANDLE process =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(processId));
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

}  // namespace tarn::platform::process
