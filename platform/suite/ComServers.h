#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tarn::platform {

// Which library serves a COM class, by ProgID: the conduit library's DllRegisterServer records
// itself here, and the host resolves the ProgID of a registration to the library it loads.
// Failures throw PlatformError.
class ComServers {
  public:
    virtual ~ComServers() = default;

    virtual void RegisterServer(const std::string& progId,
                                const std::filesystem::path& library) = 0;
    // Returns false when the ProgID was not registered.
    virtual bool UnregisterServer(const std::string& progId) = 0;
    virtual std::optional<std::filesystem::path> Resolve(const std::string& progId) = 0;
};

}  // namespace tarn::platform
