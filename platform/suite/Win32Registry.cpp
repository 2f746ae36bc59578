#include "platform/suite/Win32Registry.h"

#include <windows.h>

#include "platform/win32/Win32Text.h"

namespace tarn::platform {
namespace {

using win32::Utf8FromWide;
using win32::WideFromUtf8;

bool IsText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// A text value as this interface holds it: UTF-8 with one terminating NUL.
std::string TextFromSystem(const std::wstring& wide) {
    std::wstring_view text(wide);
    while (!text.empty() && text.back() == L'\0') text.remove_suffix(1);
    return Utf8FromWide(text) + '\0';
}

std::wstring TextToSystem(std::string_view data) {
    while (!data.empty() && data.back() == '\0') data.remove_suffix(1);
    return WideFromUtf8(data) + L'\0';
}

}  // namespace

Win32Registry::~Win32Registry() {
    for (auto& [handle, key] : openKeys_) RegCloseKey(static_cast<HKEY>(key));
}

void* Win32Registry::SystemKey(RegistryHandle key) {
    if (!RootKeyName(key).empty())
        // The predefined keys are 32-bit values sign-extended to a pointer.
        return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(key)));
    std::lock_guard lock(mutex_);
    auto it = openKeys_.find(key);
    return it == openKeys_.end() ? nullptr : it->second;
}

RegistryStatus Win32Registry::OpenOrCreate(RegistryHandle parent, std::string_view subKey,
                                           std::uint32_t options, std::uint32_t access, bool create,
                                           RegistryHandle& key) {
    HKEY base = static_cast<HKEY>(SystemKey(parent));
    if (!base) return kRegInvalidHandle;
    const std::wstring name = WideFromUtf8(subKey);
    HKEY opened = nullptr;
    LONG status = create ? RegCreateKeyExW(base, name.c_str(), 0, nullptr, options, access, nullptr,
                                           &opened, nullptr)
                         : RegOpenKeyExW(base, name.c_str(), 0, access, &opened);
    if (status != ERROR_SUCCESS) return status;
    std::lock_guard lock(mutex_);
    key = nextHandle_;
    nextHandle_ += 4;
    openKeys_[key] = opened;
    return kRegSuccess;
}

RegistryStatus Win32Registry::CreateKey(RegistryHandle parent, std::string_view subKey,
                                        std::uint32_t options, std::uint32_t access,
                                        RegistryHandle& key) {
    return OpenOrCreate(parent, subKey, options, access, true, key);
}

RegistryStatus Win32Registry::OpenKey(RegistryHandle parent, std::string_view subKey,
                                      std::uint32_t access, RegistryHandle& key) {
    return OpenOrCreate(parent, subKey, 0, access, false, key);
}

RegistryStatus Win32Registry::ReadValue(RegistryHandle key, std::string_view name,
                                        std::uint32_t& type, std::string& data) {
    HKEY opened = static_cast<HKEY>(SystemKey(key));
    if (!opened) return kRegInvalidHandle;
    const std::wstring wideName = WideFromUtf8(name);
    for (;;) {
        DWORD systemType = 0, size = 0;
        LONG status =
            RegQueryValueExW(opened, wideName.c_str(), nullptr, &systemType, nullptr, &size);
        if (status != ERROR_SUCCESS) return status;
        std::string bytes(size, '\0');
        status = RegQueryValueExW(opened, wideName.c_str(), nullptr, &systemType,
                                  reinterpret_cast<BYTE*>(bytes.data()), &size);
        if (status == ERROR_MORE_DATA) continue;  // changed meanwhile
        if (status != ERROR_SUCCESS) return status;
        bytes.resize(size);
        type = systemType;
        if (IsText(systemType)) {
            std::wstring wide(bytes.size() / sizeof(wchar_t), L'\0');
            std::copy(bytes.data(), bytes.data() + wide.size() * sizeof(wchar_t),
                      reinterpret_cast<char*>(wide.data()));
            data = TextFromSystem(wide);
        } else {
            data = std::move(bytes);
        }
        return kRegSuccess;
    }
}

RegistryStatus Win32Registry::SetValue(RegistryHandle key, std::string_view name,
                                       std::uint32_t type, std::string_view data) {
    HKEY opened = static_cast<HKEY>(SystemKey(key));
    if (!opened) return kRegInvalidHandle;
    const std::wstring wideName = WideFromUtf8(name);
    if (IsText(type)) {
        std::wstring text = TextToSystem(data);
        return RegSetValueExW(opened, wideName.c_str(), 0, type,
                              reinterpret_cast<const BYTE*>(text.data()),
                              static_cast<DWORD>(text.size() * sizeof(wchar_t)));
    }
    return RegSetValueExW(opened, wideName.c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size()));
}

RegistryStatus Win32Registry::DeleteValue(RegistryHandle key, std::string_view name) {
    HKEY opened = static_cast<HKEY>(SystemKey(key));
    if (!opened) return kRegInvalidHandle;
    return RegDeleteValueW(opened, WideFromUtf8(name).c_str());
}

RegistryStatus Win32Registry::CloseKey(RegistryHandle key) {
    if (!RootKeyName(key).empty()) return kRegSuccess;
    std::lock_guard lock(mutex_);
    auto it = openKeys_.find(key);
    if (it == openKeys_.end()) return kRegInvalidHandle;
    RegCloseKey(static_cast<HKEY>(it->second));
    openKeys_.erase(it);
    return kRegSuccess;
}

}  // namespace tarn::platform
