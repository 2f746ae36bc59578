#pragma once

#include "platform/suite/ComServers.h"
#include "platform/suite/IniStore.h"

namespace tarn::platform {

// "com-servers.ini" under TARN_HOME: one section [ProgIDs] mapping ProgID to library path.
// ProgIDs compare without regard to letter case, as on Windows.
class PosixComServers : public ComServers {
  public:
    PosixComServers();  // com-servers.ini under TarnHome()
    explicit PosixComServers(std::filesystem::path file);

    void RegisterServer(const std::string& progId, const std::filesystem::path& library) override;
    bool UnregisterServer(const std::string& progId) override;
    std::optional<std::filesystem::path> Resolve(const std::string& progId) override;

  private:
    IniStore store_;
};

}  // namespace tarn::platform
