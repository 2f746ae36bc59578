#pragma once

#include <filesystem>

#include "platform/suite/ConduitManager.h"
#include "platform/suite/IniStore.h"

namespace tarn::platform {

// The conduit list kept as "conduits.ini" under TARN_HOME: one section per registration, named
// by the Creator ID number in eight hex digits.
class PosixConduitManager : public ConduitManager {
  public:
    PosixConduitManager();  // conduits.ini under TarnHome()
    explicit PosixConduitManager(std::filesystem::path file);

    std::string CreatorIdToText(std::uint32_t creatorId) override;
    std::uint32_t CreatorIdFromText(const std::string& text) override;
    ConduitInfo Lookup(std::uint32_t creatorId) override;
    void Probe() override;
    void Register(const ConduitInfo& info) override;
    void Unregister(std::uint32_t creatorId) override;
    std::vector<ConduitInfo> List() override;

  private:
    IniDocument ReadAll();

    IniStore store_;
};

}  // namespace tarn::platform
