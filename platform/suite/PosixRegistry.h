#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>

#include "platform/suite/IniStore.h"
#include "platform/suite/Registry.h"

namespace tarn::platform {

// The registry kept as "registry.ini" under TARN_HOME. One section per key, named by its full
// path ("HKEY_LOCAL_MACHINE\Software\TarnConduit2"); a key also exists when a key below it does.
// Values are written in the familiar export notation:
//   "Name"="text"            REG_SZ whose data is the text and one terminating NUL
//   "Name"=dword:0000002a    REG_DWORD of four bytes
//   "Name"=hex:04,00,00,00   REG_BINARY
//   "Name"=hex(N):..         anything else (type N), so every value keeps its exact bytes
class PosixRegistry : public WholeValueRegistry {
  public:
    PosixRegistry();  // registry.ini under TarnHome()
    explicit PosixRegistry(std::filesystem::path file);

    RegistryStatus CreateKey(RegistryHandle parent, std::string_view subKey, std::uint32_t options,
                             std::uint32_t access, RegistryHandle& key) override;
    RegistryStatus OpenKey(RegistryHandle parent, std::string_view subKey, std::uint32_t access,
                           RegistryHandle& key) override;
    RegistryStatus SetValue(RegistryHandle key, std::string_view name, std::uint32_t type,
                            std::string_view data) override;
    RegistryStatus DeleteValue(RegistryHandle key, std::string_view name) override;
    RegistryStatus CloseKey(RegistryHandle key) override;

  private:
    struct OpenedKey {
        std::string path;  // full path, root name first
        std::uint32_t access;
    };

    RegistryStatus OpenOrCreate(RegistryHandle parent, std::string_view subKey,
                                std::uint32_t access, bool create, RegistryHandle& key);
    RegistryStatus Resolve(RegistryHandle key, std::uint32_t neededAccess, OpenedKey& opened);
    RegistryStatus ReadValue(RegistryHandle key, std::string_view name, std::uint32_t& type,
                             std::string& data) override;

    IniStore store_;
    std::mutex mutex_;
    std::map<RegistryHandle, OpenedKey> openKeys_;
    RegistryHandle nextHandle_ = 0x100;
};

}  // namespace tarn::platform
