// tarn-run-once: what Windows does with the current user's RunOnce entries at the next logon.
// Each value of HKCU "Software\Microsoft\Windows\CurrentVersion\RunOnce" is deleted, then its
// data is started as a command line (CreateProcess with no program name, so an unquoted program
// path holding blanks is found as Windows finds it) and waited for. Prints each command line and
// its exit code; exit 0 when every command started and exited 0, 1 otherwise. Used by the wine
// tests to complete what an installer left for the next logon.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kRunOnceKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

struct Entry {
    std::wstring name, commandLine;
};

std::vector<Entry> TakeEntries(HKEY key) {
    std::vector<Entry> entries;
    for (DWORD index = 0;; ++index) {
        wchar_t name[512];
        DWORD nameSize = ARRAYSIZE(name);
        DWORD type = 0, size = 0;
        if (RegEnumValueW(key, index, name, &nameSize, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            break;
        if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
        std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
        DWORD read = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                             &read) != ERROR_SUCCESS)
            continue;
        data.resize(wcsnlen(data.c_str(), data.size()));
        entries.push_back({name, data});
    }
    for (const Entry& entry : entries) RegDeleteValueW(key, entry.name.c_str());
    return entries;
}

bool RunAndWait(std::wstring commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("  not started: error %lu\n", GetLastError());
        return false;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("  exit %lu\n", code);
    return code == 0;
}

}  // namespace

int wmain() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunOnceKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS)
        return 0;  // nothing left for the next logon
    const std::vector<Entry> entries = TakeEntries(key);
    RegCloseKey(key);
    bool allRan = true;
    for (const Entry& entry : entries) {
        std::printf("%ls: %ls\n", entry.name.c_str(), entry.commandLine.c_str());
        std::fflush(stdout);
        allRan = RunAndWait(entry.commandLine) && allRan;
    }
    return allRan ? 0 : 1;
}
