// What every edition's registry shares: the names of the root keys, the bytes of a DWORD and
// the queries of a value read whole.
#include "text/Windows1252.h"
#include "platform/suite/Registry.h"

namespace tarn::platform {
namespace {

struct RootName {
    RegistryHandle handle;
    const char* name;
    const char* shortName;
};

constexpr RootName kRoots[] = {
    {kHkeyClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {kHkeyCurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {kHkeyLocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {kHkeyUsers, "HKEY_USERS", "HKU"},
};

}  // namespace

std::string DwordBytes(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

std::uint32_t DwordFromBytes(std::string_view bytes) {
    std::uint32_t value = 0;
    for (size_t i = 0; i < bytes.size() && i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return value;
}

std::string RootKeyName(RegistryHandle root) {
    for (const auto& r : kRoots)
        if (r.handle == root) return r.name;
    return {};
}

RegistryHandle RootKeyFromName(std::string_view name) {
    for (const auto& r : kRoots)
        if (text::EqualsIgnoreCase(name, r.name) || text::EqualsIgnoreCase(name, r.shortName))
            return r.handle;
    return 0;
}

RegistryStatus WholeValueRegistry::QueryValueInfo(RegistryHandle key, std::string_view name,
                                                  std::uint32_t& type, std::uint32_t& size) {
    std::string data;
    RegistryStatus status = ReadValue(key, name, type, data);
    if (status == kRegSuccess) size = static_cast<std::uint32_t>(data.size());
    return status;
}

RegistryStatus WholeValueRegistry::QueryValue(RegistryHandle key, std::string_view name,
                                              std::uint32_t capacity, std::uint32_t& type,
                                              std::string& data) {
    std::string value;
    RegistryStatus status = ReadValue(key, name, type, value);
    if (status != kRegSuccess) return status;
    if (value.size() > capacity) return kRegMoreData;
    data = std::move(value);
    return kRegSuccess;
}

}  // namespace tarn::platform
