#include "conduit/log/RegistryFunctions.h"

#include <charconv>

#include "platform/Error.h"

namespace tarn::conduit {
namespace {

using platform::RegistryHandle;
using platform::RegistryStatus;

constexpr std::uint32_t kFullAccess = 63;

[[noreturn]] void RaiseRegistryError(RegistryStatus status, const std::string& keyPath,
                                     const std::string& valueName) {
    std::string where = keyPath + (valueName.empty() ? "" : "\\" + valueName);
    throw platform::PlatformError(
        kRegistryError,
        "Registry operation on " + where + " failed with status " + std::to_string(status));
}

std::string AsText(const RegistryValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    if (const auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
    return {};
}

}  // namespace

std::optional<std::int32_t> RegistryValueAsNumber(const RegistryValue& value) {
    if (std::holds_alternative<std::monostate>(value)) return 0;
    if (const auto* number = std::get_if<std::int32_t>(&value)) return *number;
    std::string_view text = std::get<std::string>(value);
    while (!text.empty() && (text.back() == '\0' || text.back() == ' ')) text.remove_suffix(1);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int32_t parsed = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return parsed;
}

void CreateRegistryKey(platform::Registry& registry, const std::string& keyPath,
                       RegistryHandle rootKey) {
    RegistryHandle key = 0;
    RegistryStatus status = registry.CreateKey(rootKey, keyPath, 0, kFullAccess, key);
    if (status != platform::kRegSuccess) RaiseRegistryError(status, keyPath, "");
    registry.CloseKey(key);
}

void SetRegistryValue(platform::Registry& registry, const std::string& keyPath,
                      const std::string& valueName, const RegistryValue& value,
                      RegistryHandle rootKey, std::uint32_t valueType) {
    // A key that cannot be opened leaves the handle invalid, so the write reports the failure.
    RegistryHandle key = 0;
    bool opened = registry.OpenKey(rootKey, keyPath, kFullAccess, key) == platform::kRegSuccess;
    RegistryStatus status = platform::kRegInvalidHandle;
    try {
        status = WriteRegistryValue(registry, opened ? key : 0, valueName, valueType, value);
    } catch (...) {
        if (opened) registry.CloseKey(key);
        throw;
    }
    if (opened) registry.CloseKey(key);
    if (status != platform::kRegSuccess) RaiseRegistryError(status, keyPath, valueName);
}

RegistryStatus WriteRegistryValue(platform::Registry& registry, RegistryHandle key,
                                  const std::string& valueName, std::uint32_t valueType,
                                  const RegistryValue& value) {
    if (valueType == platform::kRegSz) {
        std::string data = AsText(value);
        data += '\0';
        return registry.SetValue(key, valueName, valueType, data);
    }
    if (valueType == platform::kRegBinary || valueType == platform::kRegDword) {
        std::optional<std::int32_t> number = RegistryValueAsNumber(value);
        if (!number) throw platform::PlatformError(13, "Type mismatch");
        return registry.SetValue(key, valueName, valueType,
                                 platform::DwordBytes(static_cast<std::uint32_t>(*number)));
    }
    return platform::kRegSuccess;
}

RegistryStatus ReadRegistryValue(platform::Registry& registry, RegistryHandle key,
                                 const std::string& valueName, RegistryValue& value) {
    std::uint32_t type = 0, size = 0;
    RegistryStatus status = registry.QueryValueInfo(key, valueName, type, size);
    if (status != platform::kRegSuccess) return status;
    std::string data;
    if (type == platform::kRegSz) {
        status = registry.QueryValue(key, valueName, size, type, data);
        if (status == platform::kRegSuccess) {
            data.resize(size, '\0');
            value = data;
        } else {
            value = std::string();
        }
        return status;
    }
    if (type == platform::kRegBinary || type == platform::kRegDword) {
        status = registry.QueryValue(key, valueName, 4, type, data);
        if (status == platform::kRegSuccess)
            value = static_cast<std::int32_t>(platform::DwordFromBytes(data));
        return status;
    }
    return -1;
}

RegistryValue GetRegistryValue(platform::Registry& registry, const std::string& keyPath,
                               const std::string& valueName, RegistryHandle rootKey) {
    RegistryHandle key = 0;
    RegistryStatus status = registry.OpenKey(rootKey, keyPath, kFullAccess, key);
    RegistryValue value;
    if (status == platform::kRegSuccess) {
        status = ReadRegistryValue(registry, key, valueName, value);
        registry.CloseKey(key);
    }
    if (status != platform::kRegSuccess) RaiseRegistryError(status, keyPath, valueName);
    return value;
}

}  // namespace tarn::conduit
