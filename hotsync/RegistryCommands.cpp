#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iostream>
#include <optional>

#include "hotsync/Commands.h"
#include "platform/suite/DefaultSuite.h"

namespace tarn::hotsync {
namespace {

using platform::Registry;
using platform::RegistryHandle;
using platform::RegistryStatus;

constexpr char kUsage[] =
    "usage: hotsync reg get KEYPATH NAME\n"
    "       hotsync reg set KEYPATH NAME VALUE [--dword]\n"
    "       hotsync reg delete KEYPATH NAME\n"
    "KEYPATH starts with HKEY_LOCAL_MACHINE (HKLM) or HKEY_CURRENT_USER (HKCU), e.g.\n"
    "  'HKEY_LOCAL_MACHINE\\Software\\TarnConduit2'\n";

int UsageError(const std::string& why) {
    std::cerr << "hotsync reg: " << why << "\n" << kUsage;
    return 2;
}

std::string Describe(RegistryStatus status) {
    switch (status) {
        case platform::kRegNotFound:
            return "not found";
        case platform::kRegAccessDenied:
            return "access denied (the registry cannot be written)";
        case platform::kRegCorrupt:
            return "the registry file is damaged";
        case platform::kRegInvalidParameter:
            return "invalid name";
        default:
            return "registry status " + std::to_string(status);
    }
}

int Failed(const std::string& what, RegistryStatus status) {
    std::cerr << "hotsync reg: " << what << ": " << Describe(status) << "\n";
    return 1;
}

struct KeyPath {
    RegistryHandle root = 0;
    std::string subKey;
};

std::optional<KeyPath> ParseKeyPath(const std::string& text) {
    size_t slash = text.find('\\');
    KeyPath path;
    path.root = platform::RootKeyFromName(text.substr(0, slash));
    if (path.root == 0) return std::nullopt;
    if (slash != std::string::npos) path.subKey = text.substr(slash + 1);
    return path;
}

// A REG_DWORD from decimal (negative numbers as their 32-bit pattern) or 0x-prefixed hex.
std::optional<std::uint32_t> ParseDword(const std::string& text) {
    std::string_view digits = text;
    int base = 10;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        digits.remove_prefix(2);
        base = 16;
    }
    std::int64_t value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() ||
        value < INT32_MIN || value > UINT32_MAX)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

std::string FormatValue(std::uint32_t type, std::string data) {
    if (type == platform::kRegSz) {
        if (!data.empty() && data.back() == '\0') data.pop_back();
        return data;
    }
    if ((type == platform::kRegDword || type == platform::kRegBinary) && data.size() == 4)
        return std::to_string(platform::DwordFromBytes(data));
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : data) {
        if (!hex.empty()) hex += ',';
        hex += kHex[byte >> 4];
        hex += kHex[byte & 15];
    }
    return hex;
}

int Get(Registry& registry, const KeyPath& path, const std::string& keyText,
        const std::string& name) {
    RegistryHandle key = 0;
    RegistryStatus status = registry.OpenKey(path.root, path.subKey, platform::kKeyRead, key);
    if (status != platform::kRegSuccess) return Failed(keyText, status);
    std::uint32_t type = 0, size = 0;
    std::string data;
    status = registry.QueryValueInfo(key, name, type, size);
    if (status == platform::kRegSuccess) status = registry.QueryValue(key, name, size, type, data);
    registry.CloseKey(key);
    if (status != platform::kRegSuccess) return Failed(keyText + "\\" + name, status);
    std::cout << FormatValue(type, data) << "\n";
    return 0;
}

int Set(Registry& registry, const KeyPath& path, const std::string& keyText,
        const std::string& name, const std::string& value, bool dword) {
    std::string data;
    std::uint32_t type = platform::kRegSz;
    if (dword) {
        std::optional<std::uint32_t> number = ParseDword(value);
        if (!number) return UsageError("'" + value + "' is not a 32-bit number");
        data = platform::DwordBytes(*number);
        type = platform::kRegDword;
    } else {
        data = value + '\0';
    }
    RegistryHandle key = 0;
    RegistryStatus status = registry.CreateKey(
        path.root, path.subKey, 0,
        platform::kKeyQueryValue | platform::kKeySetValue | platform::kKeyCreateSubKey, key);
    if (status != platform::kRegSuccess) return Failed(keyText, status);
    status = registry.SetValue(key, name, type, data);
    registry.CloseKey(key);
    if (status != platform::kRegSuccess) return Failed(keyText + "\\" + name, status);
    return 0;
}

int Delete(Registry& registry, const KeyPath& path, const std::string& keyText,
           const std::string& name) {
    RegistryHandle key = 0;
    RegistryStatus status = registry.OpenKey(path.root, path.subKey, platform::kKeySetValue, key);
    if (status != platform::kRegSuccess) return Failed(keyText, status);
    status = registry.DeleteValue(key, name);
    registry.CloseKey(key);
    if (status != platform::kRegSuccess) return Failed(keyText + "\\" + name, status);
    return 0;
}

}  // namespace

int RunReg(const Args& args) {
    Args rest = args;
    auto dwordFlag = std::find(rest.begin(), rest.end(), "--dword");
    bool dword = dwordFlag != rest.end();
    if (dword) rest.erase(dwordFlag);
    if (rest.empty()) return UsageError("missing sub-command");
    const std::string& action = rest[0];
    size_t wanted = action == "set" ? 4 : 3;
    if (action != "get" && action != "set" && action != "delete")
        return UsageError("unknown sub-command '" + action + "'");
    if (rest.size() != wanted) return UsageError("wrong number of arguments for " + action);
    if (dword && action != "set") return UsageError("--dword only goes with set");
    std::optional<KeyPath> path = ParseKeyPath(rest[1]);
    if (!path) return UsageError("'" + rest[1] + "' does not start with a root key");

    std::unique_ptr<Registry> registry = platform::DefaultRegistry();
    if (action == "get") return Get(*registry, *path, rest[1], rest[2]);
    if (action == "set") return Set(*registry, *path, rest[1], rest[2], rest[3], dword);
    return Delete(*registry, *path, rest[1], rest[2]);
}

}  // namespace tarn::hotsync
