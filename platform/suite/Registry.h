#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The machine-wide settings store, shaped like the Windows registry calls the engine makes:
// keys are opened with an access mask and addressed through handles, values carry a type and
// raw bytes, and every call returns a Windows status code instead of throwing.
namespace tarn::platform {

using RegistryHandle = std::uint32_t;
using RegistryStatus = std::int32_t;

// Predefined root keys, with the handle values Windows gives them.
inline constexpr RegistryHandle kHkeyClassesRoot = 0x80000000u;
inline constexpr RegistryHandle kHkeyCurrentUser = 0x80000001u;
inline constexpr RegistryHandle kHkeyLocalMachine = 0x80000002u;
inline constexpr RegistryHandle kHkeyUsers = 0x80000003u;

inline constexpr RegistryStatus kRegSuccess = 0;
inline constexpr RegistryStatus kRegNotFound = 2;
inline constexpr RegistryStatus kRegAccessDenied = 5;
inline constexpr RegistryStatus kRegInvalidHandle = 6;
inline constexpr RegistryStatus kRegInvalidParameter = 87;
inline constexpr RegistryStatus kRegMoreData = 234;
inline constexpr RegistryStatus kRegCorrupt = 1009;  // the store cannot be read

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// Access rights; anything beyond querying needs a writable store.
inline constexpr std::uint32_t kKeyQueryValue = 0x01;
inline constexpr std::uint32_t kKeySetValue = 0x02;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x04;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x08;
inline constexpr std::uint32_t kKeyNotify = 0x10;
inline constexpr std::uint32_t kKeyCreateLink = 0x20;
inline constexpr std::uint32_t kKeyRead = kKeyQueryValue | kKeyEnumerateSubKeys | kKeyNotify;

class Registry {
  public:
    virtual ~Registry() = default;

    // Opens `subKey` (backslash-separated, may be empty) below `parent`, creating it when
    // missing.
    virtual RegistryStatus CreateKey(RegistryHandle parent, std::string_view subKey,
                                     std::uint32_t options, std::uint32_t access,
                                     RegistryHandle& key) = 0;
    virtual RegistryStatus OpenKey(RegistryHandle parent, std::string_view subKey,
                                   std::uint32_t access, RegistryHandle& key) = 0;
    // Type and size in bytes of a value, without its data.
    virtual RegistryStatus QueryValueInfo(RegistryHandle key, std::string_view name,
                                          std::uint32_t& type, std::uint32_t& size) = 0;
    // Type and data of a value; kRegMoreData when the data is larger than `capacity`.
    virtual RegistryStatus QueryValue(RegistryHandle key, std::string_view name,
                                      std::uint32_t capacity, std::uint32_t& type,
                                      std::string& data) = 0;
    virtual RegistryStatus SetValue(RegistryHandle key, std::string_view name, std::uint32_t type,
                                    std::string_view data) = 0;
    virtual RegistryStatus DeleteValue(RegistryHandle key, std::string_view name) = 0;
    virtual RegistryStatus CloseKey(RegistryHandle key) = 0;
};

// A registry whose values are read whole: both queries follow from one read.
class WholeValueRegistry : public Registry {
  public:
    RegistryStatus QueryValueInfo(RegistryHandle key, std::string_view name, std::uint32_t& type,
                                  std::uint32_t& size) override;
    RegistryStatus QueryValue(RegistryHandle key, std::string_view name, std::uint32_t capacity,
                              std::uint32_t& type, std::string& data) override;

  protected:
    virtual RegistryStatus ReadValue(RegistryHandle key, std::string_view name, std::uint32_t& type,
                                     std::string& data) = 0;
};

// A 32-bit number as the four little-endian bytes Windows stores for REG_DWORD, and back
// (fewer than four bytes are taken as the low bytes of the number).
std::string DwordBytes(std::uint32_t value);
std::uint32_t DwordFromBytes(std::string_view bytes);

// Full name of a predefined root key ("HKEY_LOCAL_MACHINE"), or empty for another handle.
std::string RootKeyName(RegistryHandle root);
// The root key handle for "HKEY_LOCAL_MACHINE" or its short form "HKLM" (any letter case);
// 0 when the name is not a root key.
RegistryHandle RootKeyFromName(std::string_view name);

}  // namespace tarn::platform
