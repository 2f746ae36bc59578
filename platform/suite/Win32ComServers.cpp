#include "platform/suite/Win32ComServers.h"

#include <windows.h>

#include "text/Windows1252.h"
#include "platform/Error.h"
#include "platform/com/ClassIds.h"
#include "platform/suite/SuiteErrors.h"
#include "platform/win32/Win32Text.h"

namespace tarn::platform {
namespace com {

std::string_view ClassIdOf(std::string_view progId) {
    return text::EqualsIgnoreCase(progId, "TarnConduit2.cTarnConduit") ? kTarnConduitClassId
                                                                       : std::string_view();
}

}  // namespace com

namespace {

using win32::WideFromUtf8;

constexpr wchar_t kClasses[] = L"Software\\Classes\\";

void ThrowIfFailed(LONG status, const std::string& what) {
    if (status != ERROR_SUCCESS)
        throw PlatformError(suite_error::kAccessDenied, what + ": " + win32::ErrorText(status));
}

// Writes the default value (empty name) or a named text value of a key, creating the key.
void SetText(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY opened = nullptr;
    LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &opened, nullptr);
    ThrowIfFailed(status, "Cannot create the registry key " + win32::Utf8FromWide(key));
    status = RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(opened);
    ThrowIfFailed(status, "Cannot write the registry key " + win32::Utf8FromWide(key));
}

// The default value of a key below HKEY_CLASSES_ROOT (machine and user classes merged).
std::optional<std::wstring> ClassText(const std::wstring& key) {
    wchar_t buffer[MAX_PATH * 4];
    DWORD size = sizeof buffer;
    LONG status = RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                               buffer, &size);
    if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
    ThrowIfFailed(status, "Cannot read the registry key " + win32::Utf8FromWide(key));
    return std::wstring(buffer);
}

std::wstring ClassIdFor(const std::string& progId) {
    std::string_view classId = com::ClassIdOf(progId);
    if (progId.empty() || classId.empty())
        throw PlatformError(suite_error::kInvalidArgument,
                            "No class identifier is known for the ProgID \"" + progId + "\"");
    return WideFromUtf8(classId);
}

}  // namespace

void Win32ComServers::RegisterServer(const std::string& progId,
                                     const std::filesystem::path& library) {
    const std::wstring wideProgId = WideFromUtf8(progId);
    const std::wstring classId = ClassIdFor(progId);
    const std::wstring classKey = std::wstring(kClasses) + L"CLSID\\" + classId;
    SetText(std::wstring(kClasses) + wideProgId, L"", wideProgId);
    SetText(std::wstring(kClasses) + wideProgId + L"\\CLSID", L"", classId);
    SetText(classKey, L"", wideProgId);
    SetText(classKey + L"\\ProgID", L"", wideProgId);
    SetText(classKey + L"\\InprocServer32", L"", library.wstring());
    SetText(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
}

bool Win32ComServers::UnregisterServer(const std::string& progId) {
    const std::wstring progIdKey = std::wstring(kClasses) + WideFromUtf8(progId);
    const std::wstring classKey = std::wstring(kClasses) + L"CLSID\\" + ClassIdFor(progId);
    LONG first = RegDeleteTreeW(HKEY_LOCAL_MACHINE, progIdKey.c_str());
    LONG second = RegDeleteTreeW(HKEY_LOCAL_MACHINE, classKey.c_str());
    if (first == ERROR_FILE_NOT_FOUND && second == ERROR_FILE_NOT_FOUND) return false;
    if (first != ERROR_FILE_NOT_FOUND) ThrowIfFailed(first, "Cannot remove the ProgID " + progId);
    if (second != ERROR_FILE_NOT_FOUND)
        ThrowIfFailed(second, "Cannot remove the class of " + progId);
    return true;
}

std::optional<std::filesystem::path> Win32ComServers::Resolve(const std::string& progId) {
    std::optional<std::wstring> classId = ClassText(WideFromUtf8(progId) + L"\\CLSID");
    if (!classId) return std::nullopt;
    std::optional<std::wstring> library = ClassText(L"CLSID\\" + *classId + L"\\InprocServer32");
    if (!library) return std::nullopt;
    return std::filesystem::path(*library);
}

}  // namespace tarn::platform
