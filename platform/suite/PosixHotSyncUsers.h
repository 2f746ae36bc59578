#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/suite/HotSyncUsers.h"
#include "platform/suite/IniStore.h"

namespace tarn::platform {

struct SyncActions {
    std::optional<std::int32_t> permanent;
    std::optional<std::int32_t> temporary;
};

// "users.ini" under TARN_HOME: one section per user, named by the user ID in decimal, holding
// the name and the sync actions per Creator ID.
class PosixHotSyncUsers : public HotSyncUsers {
  public:
    PosixHotSyncUsers();  // users.ini under TarnHome()
    explicit PosixHotSyncUsers(std::filesystem::path file);

    std::vector<std::uint32_t> UserIds() override;
    void SetPermanentSyncAction(std::uint32_t userId, std::uint32_t creatorId,
                                std::int32_t action) override;
    void SetTemporarySyncAction(std::uint32_t userId, std::uint32_t creatorId,
                                std::int32_t action) override;

    HotSyncUser FindOrCreateUser(const std::string& name) override;
    std::vector<HotSyncUser> Users();
    SyncActions ActionsFor(std::uint32_t userId, std::uint32_t creatorId);

  private:
    void SetAction(std::uint32_t userId, std::uint32_t creatorId, const char* which,
                   std::int32_t action);
    IniDocument ReadAll();

    IniStore store_;
};

}  // namespace tarn::platform
