#pragma once

#include <map>
#include <mutex>

#include "platform/suite/Registry.h"

namespace tarn::platform {

// The Windows registry itself. Names and text values are UTF-8 here and UTF-16 in the
// registry; other values keep their bytes.
class Win32Registry : public WholeValueRegistry {
  public:
    ~Win32Registry() override;

    RegistryStatus CreateKey(RegistryHandle parent, std::string_view subKey, std::uint32_t options,
                             std::uint32_t access, RegistryHandle& key) override;
    RegistryStatus OpenKey(RegistryHandle parent, std::string_view subKey, std::uint32_t access,
                           RegistryHandle& key) override;
    RegistryStatus SetValue(RegistryHandle key, std::string_view name, std::uint32_t type,
                            std::string_view data) override;
    RegistryStatus DeleteValue(RegistryHandle key, std::string_view name) override;
    RegistryStatus CloseKey(RegistryHandle key) override;

  private:
    // The system's key behind a handle of this interface; null when there is none.
    void* SystemKey(RegistryHandle key);
    RegistryStatus OpenOrCreate(RegistryHandle parent, std::string_view subKey,
                                std::uint32_t options, std::uint32_t access, bool create,
                                RegistryHandle& key);
    RegistryStatus ReadValue(RegistryHandle key, std::string_view name, std::uint32_t& type,
                             std::string& data) override;

    std::mutex mutex_;
    std::map<RegistryHandle, void*> openKeys_;
    RegistryHandle nextHandle_ = 0x100;
};

}  // namespace tarn::platform
