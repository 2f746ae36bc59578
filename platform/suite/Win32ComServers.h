#pragma once

#include "platform/suite/ComServers.h"

namespace tarn::platform {

// COM registration in the registry, as regsvr32 leaves it: under HKLM\Software\Classes the
// ProgID names its class identifier, and CLSID\{...}\InprocServer32 names the library.
class Win32ComServers : public ComServers {
  public:
    void RegisterServer(const std::string& progId, const std::filesystem::path& library) override;
    bool UnregisterServer(const std::string& progId) override;
    std::optional<std::filesystem::path> Resolve(const std::string& progId) override;
};

}  // namespace tarn::platform
